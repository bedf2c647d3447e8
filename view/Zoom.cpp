// Single-pixel editing in the zoomed viewport.
#include "core/Editor.h"

namespace vortan {

void Editor::drawZoom(float x, float y, int16_t button, int16_t shift) {
    // The 1 added first: with factor 6, pointer columns 0 to 4 are block 0, column 5 block 1.
    const int32_t px = roundHalfEven(x + 1) / zoomFactor;
    const int32_t py = roundHalfEven(y + 1) / zoomFactor;
    const int32_t lx = viewPortXoff + px, ly = viewPortYoff + py;

    if (shift != 0) {
        bool changed = false;
        fillOrPick(button, lx, ly, &changed);
        if (!changed) return; // a pick, or a fill that met its own colour
    } else {
        Colour s;
        if (button == kLeftButton) {
            SetPixelV(Level[0], lx, ly, currentColour);
            SetPixelV(Level[1], lx, ly, currentMaterial);
            s = layerIndex == 0 ? currentColour : currentMaterial;
        } else if (button == kRightButton) {
            SetPixelV(Level[0], lx, ly, kBlack);
            SetPixelV(Level[1], lx, ly, kBlack);
            s = kBlack;
        } else {
            return;
        }
        // Only the changed block is drawn, straight into the viewport.
        viewPort.FillColor = s;
        viewPort.FillStyle = 0;
        viewPort.BoxFilled(float(zoomFactor * px), float(zoomFactor * py), float((px + 1) * zoomFactor - 1),
                           float((py + 1) * zoomFactor - 1), s);
        emit surfaceChanged(ShownSurface::ViewPort);
    }
    unsavedChanges = true;
    navigatorStale = true;
}

} // namespace vortan
