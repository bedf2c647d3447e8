#pragma once

#include <QSize>
#include <cstdint>

namespace vortan {

// The screen's units per pixel in the classic toolkit's geometry: the layout margins
// are whole numbers of those units, so the viewport's size keeps their rounding.
constexpr int kTwipsPerPixel = 15;

// One direction of the layout rule: the viewport's outer extent (pixels) in a window of
// windowOuter pixels showing a layer of layerOuter pixels. It fills the window less the
// margin, never drops below 10 units and never grows past the layer.
int32_t viewPortExtent(int32_t windowOuter, int32_t layerOuter, int32_t marginTwips);

// The viewport's outer size for a window and a shown layer (both outer, pixels).
QSize layoutViewPort(QSize windowOuter, QSize layerOuter);

// The navigator's outer height for a layer of this outer height at navScale level
// pixels per navigator pixel: the layer's full height at that scale plus its border.
int32_t navigatorOuterHeight(int32_t layerOuterHeight, float navScale);

} // namespace vortan
