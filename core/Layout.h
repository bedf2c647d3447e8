#pragma once

#include <QSize>
#include <cstdint>

namespace vortan {

// Every picture box on screen has a two-pixel frame around its pixels.
constexpr int kFrame = 2;

// The layout keeps its margins in fifteenths of a pixel, so the viewport's size keeps
// the rounding of those margins.
constexpr int kUnitsPerPixel = 15;

// One direction of the layout rule: the viewport's outer extent (pixels) in a window of
// windowOuter pixels showing a layer of layerOuter pixels. It fills the window less the
// margin, never drops below 10 units and never grows past the layer.
int32_t viewportExtent(int32_t windowOuter, int32_t layerOuter, int32_t marginUnits);

// The viewport's outer size for a window and a shown layer (both outer, pixels).
QSize viewportOuterSize(QSize windowOuter, QSize layerOuter);

// The navigator shows the whole level at one scale (level pixels per navigator pixel):
// its width is fixed and its height follows the level's proportions, but never past
// kMaxNavigatorOuterHeight screen pixels; a level far higher than wide then takes its
// scale from its height.
constexpr int kNavigatorOuterWidth = 105;
constexpr int kMaxNavigatorOuterHeight = 4096;
struct NavigatorGeometry {
    float scale;
    int32_t outerHeight;
};
NavigatorGeometry navigatorGeometry(QSize levelOuter);

} // namespace vortan
