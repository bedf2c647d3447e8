#include "core/Layout.h"
#include "core/Numbers.h"

#include <algorithm>

namespace vortan {

int32_t viewPortExtent(int32_t windowOuter, int32_t layerOuter, int32_t marginTwips) {
    const int64_t twips = std::min(std::max(int64_t(windowOuter) * kTwipsPerPixel - marginTwips, int64_t(10)),
                                   int64_t(layerOuter) * kTwipsPerPixel);
    return roundHalfEven(double(twips) / kTwipsPerPixel);
}

QSize layoutViewPort(QSize windowOuter, QSize layerOuter) {
    return {viewPortExtent(windowOuter.width(), layerOuter.width(), 2000),
            viewPortExtent(windowOuter.height(), layerOuter.height(), 800)};
}

int32_t navigatorOuterHeight(int32_t layerOuterHeight, float navScale) {
    if (!(navScale > 0)) return 2; // a level without width: just the border
    const float twips =
        float(int64_t(layerOuterHeight) * kTwipsPerPixel) / navScale + float(2 * kTwipsPerPixel);
    return roundHalfEven(twips / kTwipsPerPixel);
}

} // namespace vortan
