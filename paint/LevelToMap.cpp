// "Level -> Map": every pixel of the colour layer that is not black becomes wall.
#include "core/Editor.h"

namespace vortan {

void Editor::Command4_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    Level[1].FillColor = kBlack;
    Level[1].Cls(); // back to the map's background: black, or the map last loaded
    progressSum = 0;
    progressPhases = 1;
    for (int y = 0; y < Level[0].ScaleHeight(); ++y) {
        // Looked up anew every row: the level may have changed during the last yield.
        if (y < Level[1].ScaleHeight()) {
            auto* src = reinterpret_cast<const uint32_t*>(Level[0].Image().constScanLine(y));
            auto* dst = reinterpret_cast<uint32_t*>(Level[1].image().scanLine(y));
            const int w = std::min(Level[0].ScaleWidth(), Level[1].ScaleWidth());
            for (int x = 0; x < w; ++x)
                if (src[x] & 0xFFFFFF) dst[x] = toPixel(kWall);
        }
        displayPercent(10000.0f / float(Level[0].ScaleHeight()));
        yield();
    }
    if (layerIndex == 1) updateViewPort(float(viewPortXoff), float(viewPortYoff));
    navigatorStale = true;
}

} // namespace vortan
