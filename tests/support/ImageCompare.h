#pragma once

#include "core/PictureSurface.h"
#include <QRect>
#include <functional>
#include <gtest/gtest.h>

namespace vortan::test {

// Same size and the same colour at every pixel; on failure names the first differing pixel.
::testing::AssertionResult sameImage(const QImage& expected, const QImage& actual);

// Every pixel of the surface has the colour that `expected` gives for it; on failure
// names the first pixel that does not, scanning row by row.
::testing::AssertionResult pixelsAre(const PictureSurface& s,
                                     const std::function<Colour(int x, int y)>& expected);

// A surface filled with one colour.
QImage filledImage(int w, int h, Colour c);

} // namespace vortan::test
