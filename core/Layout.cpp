#include "core/Layout.h"
#include "core/Numbers.h"

#include <algorithm>

namespace vortan {

int32_t viewportExtent(int32_t windowOuter, int32_t layerOuter, int32_t marginUnits) {
    const int64_t units = std::min(std::max(int64_t(windowOuter) * kUnitsPerPixel - marginUnits, int64_t(10)),
                                   int64_t(layerOuter) * kUnitsPerPixel);
    return roundHalfEven(double(units) / kUnitsPerPixel);
}

QSize viewportOuterSize(QSize windowOuter, QSize layerOuter) {
    return {viewportExtent(windowOuter.width(), layerOuter.width(), 2000),
            viewportExtent(windowOuter.height(), layerOuter.height(), 800)};
}

NavigatorGeometry navigatorGeometry(QSize levelOuter) {
    const int drawableWidth = kNavigatorOuterWidth - 2 * kFrame;
    // Single precision, as the navigator's sampling adds it up row by row.
    const float scale = float(levelOuter.width() - 2 * kFrame) / float(drawableWidth);
    if (!(scale > 0)) return {scale, 2}; // a level without width: just the border
    const float units =
        float(int64_t(levelOuter.height()) * kUnitsPerPixel) / scale + float(2 * kUnitsPerPixel);
    const int32_t outer = roundHalfEven(units / kUnitsPerPixel);
    if (outer <= kMaxNavigatorOuterHeight) return {scale, outer};
    // Less the two border pixels that the height adds.
    return {float(levelOuter.height()) / float(kMaxNavigatorOuterHeight - 2), kMaxNavigatorOuterHeight};
}

} // namespace vortan
