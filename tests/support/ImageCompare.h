#pragma once

#include "core/LevelDocument.h"

#include <functional>
#include <gtest/gtest.h>

namespace vortan::test {

using namespace vortan; // the tests name the editor's own types plainly

// The colour a new brush paints, and whether (x, y) lies in a disc, by default the new brush's.
constexpr Colour kStart = rgb(55, 100, 120);
inline bool inDisc(int x, int y, int radius = 20, int cx = 42, int cy = 42) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// Same size and the same colour at every pixel; on failure names the first differing pixel.
::testing::AssertionResult sameImage(const QImage& expected, const QImage& actual);
// Every pixel has the colour `expected` gives for it; on failure names the first that does not, row by row.
::testing::AssertionResult pixelsAre(const Picture& p, const std::function<Colour(int x, int y)>& expected);
// A picture of one colour.
QImage filledImage(int w, int h, Colour c);
Picture pictureOf(const QImage& pixels); // a picture of these pixels
// A picture given row by row from the top.
QImage imageOf(int w, int h, std::initializer_list<Colour> colours);
// A picture whose every pixel has the colour `colour` gives for it, made row by row from the top.
QImage imageFrom(int w, int h, const std::function<Colour(int x, int y)>& colour);

// Both layers' pixels, to compare a level with an earlier state of it.
using Layers = std::pair<QImage, QImage>;
Layers layersOf(const LevelDocument& level);
::testing::AssertionResult hasLayers(const LevelDocument& level, const Layers& expected);

} // namespace vortan::test
