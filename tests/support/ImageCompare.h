#pragma once

#include "core/LevelDocument.h"

#include <functional>
#include <gtest/gtest.h>

namespace vortan::test {

using namespace vortan; // the tests name the editor's own types plainly

// Same size and the same colour at every pixel; on failure names the first differing pixel.
::testing::AssertionResult sameImage(const QImage& expected, const QImage& actual);
// Every pixel has the colour `expected` gives for it; on failure names the first that
// does not, row by row.
::testing::AssertionResult pixelsAre(const Picture& p, const std::function<Colour(int x, int y)>& expected);
// A picture of one colour.
QImage filledImage(int w, int h, Colour c);
// A picture given row by row from the top.
QImage imageOf(int w, int h, std::initializer_list<Colour> colours);

// Both layers' pixels, to compare a level with an earlier state of it.
using Layers = std::pair<QImage, QImage>;
Layers layersOf(const LevelDocument& level);
::testing::AssertionResult hasLayers(const LevelDocument& level, const Layers& expected);

} // namespace vortan::test
