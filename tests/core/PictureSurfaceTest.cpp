#include "core/PictureSurface.h"
#include "support/ImageCompare.h"

#include <cmath>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace vortan;
using vortan::test::filledImage;
using vortan::test::pixelsAre;
using vortan::test::sameImage;

namespace {

constexpr Colour kRed = RGB(255, 0, 0);
constexpr Colour kGreen = RGB(0, 255, 0);
constexpr Colour kBlue = RGB(0, 0, 255);

// A different colour at nearly every pixel, so a misplaced pixel shows.
Colour pattern(int x, int y) {
    return RGB(x * 7 + 1, y * 13 + 2, (x * 3 + y * 5) & 0xFF);
}

PictureSurface patterned(int w, int h) {
    PictureSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixelV(s, x, y, pattern(x, y));
    return s;
}

using Pixel = std::pair<int, int>;

// The surface is `back` except at the listed pixels, which are `c`.
::testing::AssertionResult onlyPixels(const PictureSurface& s, const std::set<Pixel>& pixels, Colour c,
                                      Colour back = kBlack) {
    return pixelsAre(s, [&](int x, int y) { return pixels.count({x, y}) ? c : back; });
}

} // namespace

// --- Single pixels ---------------------------------------------------------------

TEST(PictureSurfacePixels, ColoursReadBackExactlyAndOutsideIsMinusOne) {
    PictureSurface s(6, 5);
    SetPixelV(s, 0, 0, RGB(1, 2, 3));
    s.PSet(2.5f, 3.5f, kWhite); // ties go to the even pixel: (2, 4)
    EXPECT_EQ(GetPixel(s, 0, 0), 0x030201u);
    EXPECT_EQ(s.Point(0.4f, -0.4f), 0x030201);
    EXPECT_TRUE(pixelsAre(s, [](int x, int y) {
        return x == 0 && y == 0 ? RGB(1, 2, 3) : x == 2 && y == 4 ? kWhite : kBlack;
    }));

    for (auto [x, y] : {Pixel{-1, 0}, Pixel{0, -1}, Pixel{6, 0}, Pixel{0, 5}, Pixel{INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(GetPixel(s, x, y), 0xFFFFFFFFu) << x << "," << y;
        EXPECT_EQ(s.Point(float(x), float(y)), -1) << x << "," << y;
    }
    EXPECT_EQ(s.Point(5.5f, 0), -1);
    EXPECT_EQ(s.Point(1e30f, 0), -1);
    EXPECT_EQ(s.Point(NAN, 0), -1);
}

TEST(PictureSurfacePixels, WritesOutsideChangeNothing) {
    PictureSurface s = patterned(5, 4);
    const QImage before = s.Image().copy();
    for (auto [x, y] : {Pixel{-1, 0}, Pixel{0, -1}, Pixel{5, 0}, Pixel{0, 4}, Pixel{-100000, 2}}) {
        SetPixelV(s, x, y, kRed);
        s.PSet(float(x), float(y), kRed);
    }
    s.PSet(4.6f, 0, kRed);
    s.PSet(-0.6f, 0, kRed);
    s.PSet(NAN, 1, kRed);
    EXPECT_TRUE(sameImage(before, s.Image()));
}

// --- Lines -------------------------------------------------------------------------

TEST(PictureSurfaceLine, EndPointIsLeftOutInEveryDirection) {
    PictureSurface s(16, 3);
    s.Line(0, 0, 10, 0, kRed);
    s.Line(10, 1, 0, 1, kRed);
    s.Line(2, 2, 2, 2, kRed);            // zero length
    s.Line(1.2f, 2, 0.8f, 2, kRed);      // both ends round to the same pixel
    s.Line(12.5f, 2.5f, 15.5f, 2, kRed); // (12, 2) to (16, 2)
    EXPECT_TRUE(pixelsAre(s, [](int x, int y) {
        const bool on = (y == 0 && x <= 9) || (y == 1 && x >= 1 && x <= 10) || (y == 2 && x >= 12);
        return on ? kRed : kBlack;
    }));

    PictureSurface diag(8, 8);
    diag.Line(0, 0, 5, 5, kRed);
    EXPECT_TRUE(onlyPixels(diag, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, kRed));

    PictureSurface steep(4, 8);
    steep.ForeColor = kBlue;
    steep.Line(0, 0, 2, 6);
    EXPECT_TRUE(onlyPixels(steep, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}}, kBlue));

    PictureSurface upLeft(8, 8);
    upLeft.Line(6, 7, 0, 1, kRed);
    EXPECT_TRUE(onlyPixels(upLeft, {{6, 7}, {5, 6}, {4, 5}, {3, 4}, {2, 3}, {1, 2}}, kRed));
}

TEST(PictureSurfaceLine, ClippedLinesMatchTheUnclippedOnes) {
    // Lines drawn on a small surface must be exactly the part of the same line that a
    // surface large enough to hold it would show.
    constexpr int kPad = 100;
    const float ends[][4] = {{-30, 7, 50, 2},    {3, 40, 6, -25},   {-5, -5, 14, 14}, {12, -3, -4, 9},
                             {-50, 3, 60, 4},    {4, 11, 4, -1},    {9, 9, -90, 2},   {-7, 2, 2, 13},
                             {0.5f, -20, 9, 30}, {-20, -20, -1, -1}};
    for (const auto& e : ends) {
        PictureSurface small(10, 10), big(10 + 2 * kPad, 10 + 2 * kPad);
        small.Line(e[0], e[1], e[2], e[3], kRed);
        big.Line(e[0] + kPad, e[1] + kPad, e[2] + kPad, e[3] + kPad, kRed);
        EXPECT_TRUE(sameImage(big.Image().copy(kPad, kPad, 10, 10), small.Image()))
            << "(" << e[0] << ", " << e[1] << ") to (" << e[2] << ", " << e[3] << ")";
    }
}

TEST(PictureSurfaceLine, FarOffEndsAreCheapAndExact) {
    // The frame of a layer drawn from its bottom edge far upwards, and a long diagonal.
    PictureSurface s(10, 10);
    s.Line(3, 1e9f, 3, -1e9f, kRed);
    s.Line(-1e7f, -1e7f, 1e7f, 1e7f, kGreen);
    EXPECT_TRUE(pixelsAre(s, [](int x, int y) { return x == y ? kGreen : x == 3 ? kRed : kBlack; }));

    PictureSurface frame(10, 10);
    frame.Line(9, 10, 9, 10 - 4, kBlue); // (9, 10) is off the surface; rows 9..7 are drawn
    EXPECT_TRUE(onlyPixels(frame, {{9, 9}, {9, 8}, {9, 7}}, kBlue));
}

// --- Boxes ---------------------------------------------------------------------------

TEST(PictureSurfaceBox, OutlineIncludesBothCornersAndFillsByStyle) {
    auto onOutline = [](int x, int y) {
        return ((x == 2 || x == 6) && y >= 3 && y <= 7) || ((y == 3 || y == 7) && x >= 2 && x <= 6);
    };
    auto inside = [](int x, int y) { return x > 2 && x < 6 && y > 3 && y < 7; };

    PictureSurface open(10, 10, kGreen);
    open.FillStyle = 1;
    open.FillColor = kBlue;
    open.Box(6, 7, 2, 3, kRed); // corners in either order
    EXPECT_TRUE(pixelsAre(open, [&](int x, int y) { return onOutline(x, y) ? kRed : kGreen; }));

    PictureSurface solid(10, 10, kGreen);
    solid.FillStyle = 0;
    solid.FillColor = kBlue;
    solid.Box(2, 7, 6, 3, kRed);
    EXPECT_TRUE(pixelsAre(solid, [&](int x, int y) {
        return onOutline(x, y) ? kRed : inside(x, y) ? kBlue : kGreen;
    }));
}

TEST(PictureSurfaceBox, FilledBoxCoversCornersAndIsCutAtTheEdges) {
    // The zoom view's block over one level pixel: a 6 x 6 square.
    PictureSurface s(20, 20);
    s.FillStyle = 1;
    const int px = 1, py = 2;
    s.BoxFilled(6 * px, 6 * py, (px + 1) * 6 - 1, (py + 1) * 6 - 1, kRed);
    EXPECT_TRUE(
        pixelsAre(s, [](int x, int y) { return x >= 6 && x <= 11 && y >= 12 && y <= 17 ? kRed : kBlack; }));

    PictureSurface edge(8, 8);
    edge.BoxFilled(10, 5, -3, 100, kBlue);
    edge.Box(-1, -1, 8, 8, kRed); // the outline lies just off the surface
    EXPECT_TRUE(pixelsAre(edge, [](int, int y) { return y >= 5 ? kBlue : kBlack; }));
}

// --- Circles -------------------------------------------------------------------------

namespace {
bool inDisc(double cx, double cy, double r, int x, int y) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}
bool onRim(double cx, double cy, double r, int x, int y) {
    return inDisc(cx, cy, r, x, y) && !(inDisc(cx, cy, r, x - 1, y) && inDisc(cx, cy, r, x + 1, y) &&
                                        inDisc(cx, cy, r, x, y - 1) && inDisc(cx, cy, r, x, y + 1));
}
} // namespace

TEST(PictureSurfaceCircle, BrushDiscIsSymmetricWithTheExpectedRows) {
    // The round brush: the centre 42.5 of 85 x 85 is drawn as the pixel 42 (ties to
    // even), so the disc is symmetric about the middle column and row.
    PictureSurface brush(85, 85);
    brush.FillStyle = 0;
    brush.FillColor = kRed;
    brush.Circle(42.5f, 42.5f, 20, kRed);
    EXPECT_TRUE(pixelsAre(brush, [](int x, int y) { return inDisc(42, 42, 20, x, y) ? kRed : kBlack; }));
    for (int x = 0; x < 85; ++x)
        EXPECT_EQ(GetPixel(brush, x, 42), x >= 22 && x <= 62 ? kRed : kBlack) << x;
    brush.Circle(42.5f, 42.5f, 34, kRed);
    for (int x = 0; x < 85; ++x)
        EXPECT_EQ(GetPixel(brush, x, 42), x >= 8 && x <= 76 ? kRed : kBlack) << x;
}

TEST(PictureSurfaceCircle, OutlineInColourInsideByFillStyle) {
    PictureSurface open(30, 30, kGreen);
    open.FillStyle = 1;
    open.FillColor = kBlue;
    open.Circle(14, 15, 9.5f, kRed);
    EXPECT_TRUE(pixelsAre(open, [](int x, int y) { return onRim(14, 15, 9.5, x, y) ? kRed : kGreen; }));

    PictureSurface solid(30, 30, kGreen);
    solid.FillStyle = 0;
    solid.FillColor = kBlue;
    solid.Circle(14, 15, 9.5f, kRed);
    EXPECT_TRUE(pixelsAre(solid, [](int x, int y) {
        return onRim(14, 15, 9.5, x, y) ? kRed : inDisc(14, 15, 9.5, x, y) ? kBlue : kGreen;
    }));
}

TEST(PictureSurfaceCircle, CutAtTheEdges) {
    PictureSurface corner(10, 10);
    corner.FillStyle = 0;
    corner.FillColor = kBlue;
    corner.Circle(1, 2, 5, kRed);
    EXPECT_TRUE(pixelsAre(corner, [](int x, int y) {
        return onRim(1, 2, 5, x, y) ? kRed : inDisc(1, 2, 5, x, y) ? kBlue : kBlack;
    }));

    // A disc far larger than the surface: its rim lies entirely off it.
    PictureSurface covered(10, 10);
    covered.FillStyle = 0;
    covered.FillColor = kBlue;
    covered.Circle(5, 5, 1e6f, kRed);
    EXPECT_TRUE(pixelsAre(covered, [](int, int) { return kBlue; }));

    PictureSurface away(10, 10);
    away.FillStyle = 0;
    away.Circle(-20, 5, 8, kRed);
    away.Circle(5, 1e9f, 8, kRed);
    EXPECT_TRUE(pixelsAre(away, [](int, int) { return kBlack; }));
}

// --- Pictures, Cls and size -----------------------------------------------------------

TEST(PictureSurfacePicture, ClsRestoresAPictureTakenFromAnotherSurface) {
    PictureSurface source = patterned(12, 9);
    PictureSurface s(12, 9, kBlue);
    s.setPicture(source.Image());
    EXPECT_TRUE(sameImage(source.Image(), s.Image()));

    // Drawing on either surface afterwards must not reach the other's pixels or the picture.
    s.BoxFilled(0, 0, 11, 8, kRed);
    SetPixelV(source, 3, 3, kRed);
    EXPECT_EQ(GetPixel(s, 3, 3), kRed);
    s.Cls();
    EXPECT_TRUE(pixelsAre(s, pattern));

    // The thumbnail keeps what was drawn on it as its own picture.
    PictureSurface thumb = patterned(7, 5);
    thumb.setPicture(thumb.Image());
    thumb.BoxFilled(0, 0, 6, 4, kRed);
    thumb.Cls();
    EXPECT_TRUE(pixelsAre(thumb, pattern));

    s.setPicture(QImage()); // removing the picture keeps the pixels
    EXPECT_TRUE(pixelsAre(s, pattern));
    s.Cls();
    EXPECT_TRUE(pixelsAre(s, [](int, int) { return kBlue; }));
}

TEST(PictureSurfacePicture, LayerTakesThePictureSizeOtherSurfacesCutOrLeaveBackColor) {
    const QImage big = patterned(20, 15).Image();
    const QImage small = patterned(4, 3).Image();

    PictureSurface layer(10, 10, kBlack, true);
    layer.setPicture(big);
    EXPECT_EQ(layer.ScaleWidth(), 20);
    EXPECT_EQ(layer.ScaleHeight(), 15);
    EXPECT_TRUE(pixelsAre(layer, pattern));
    layer.setPicture(small);
    EXPECT_EQ(layer.ScaleWidth(), 4);
    EXPECT_TRUE(pixelsAre(layer, pattern));

    PictureSurface fixed(10, 10, kGreen);
    fixed.setPicture(big);
    EXPECT_EQ(fixed.ScaleWidth(), 10);
    EXPECT_TRUE(pixelsAre(fixed, pattern));
    fixed.setPicture(small);
    EXPECT_TRUE(pixelsAre(fixed, [](int x, int y) { return x < 4 && y < 3 ? pattern(x, y) : kGreen; }));
}

TEST(PictureSurfacePicture, ResizeKeepsTheTopLeftAndFillsNewAreaWithBackColor) {
    PictureSurface s = patterned(6, 5);
    s.BackColor = kBlue;
    s.resize(9, 3);
    EXPECT_EQ(s.ScaleWidth(), 9);
    EXPECT_EQ(s.ScaleHeight(), 3);
    EXPECT_TRUE(pixelsAre(s, [](int x, int y) { return x < 6 ? pattern(x, y) : kBlue; }));
    s.resize(-4, 2);
    EXPECT_EQ(s.ScaleWidth(), 0);
    EXPECT_EQ(GetPixel(s, 0, 0), 0xFFFFFFFFu);
}

// --- Block transfers -----------------------------------------------------------------

namespace {
// What BitBlt must leave at (x, y) of dst: the combined pixel where the rectangle and
// its source pixel are on both surfaces, the old pixel elsewhere.
Colour bltResult(const QImage& before, const PictureSurface& src, int dx, int dy, int w, int h, int sx,
                 int sy, Rop rop, int x, int y) {
    const Colour old = fromPixel(before.pixel(x, y));
    const int64_t u = int64_t(x) - dx + sx, v = int64_t(y) - dy + sy;
    if (x < dx || y < dy || x >= int64_t(dx) + w || y >= int64_t(dy) + h) return old;
    if (u < 0 || v < 0 || u >= src.ScaleWidth() || v >= src.ScaleHeight()) return old;
    const Colour s = GetPixel(src, int(u), int(v));
    switch (rop) {
    case Rop::SrcCopy:
        return s;
    case Rop::SrcAnd:
        return old & s;
    case Rop::SrcPaint:
        return old | s;
    }
    return old;
}
} // namespace

TEST(PictureSurfaceBitBlt, RasterOperationsCombineBitByBit) {
    PictureSurface a(2, 1, RGB(0xF0, 0x0F, 0x55)), b(1, 1, RGB(0x3C, 0xC3, 0xAA));
    BitBlt(a, 0, 0, 1, 1, b, 0, 0, Rop::SrcAnd);
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(0x30, 0x03, 0x00));
    BitBlt(a, 1, 0, 1, 1, b, 0, 0, Rop::SrcPaint);
    EXPECT_EQ(GetPixel(a, 1, 0), RGB(0xFC, 0xCF, 0xFF));
    BitBlt(a, 0, 0, 2, 1, b, 0, 0, Rop::SrcCopy); // only one column lies on the source
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(0x3C, 0xC3, 0xAA));
    EXPECT_EQ(GetPixel(a, 1, 0), RGB(0xFC, 0xCF, 0xFF));
}

TEST(PictureSurfaceBitBlt, BrushStampLeavesTheLayerWhereTheMaskIsWhite) {
    // Mask white around a black disc, brush black around a coloured disc: stamping
    // changes exactly the disc.
    PictureSurface mask(85, 85, kWhite), brush(85, 85, kBlack);
    mask.FillStyle = brush.FillStyle = 0;
    mask.FillColor = kBlack;
    brush.FillColor = RGB(10, 200, 30);
    mask.Circle(42.5f, 42.5f, 12, kBlack);
    brush.Circle(42.5f, 42.5f, 12, RGB(10, 200, 30));

    PictureSurface layer = patterned(120, 100);
    const int bx = 50, by = 40;
    BitBlt(layer, bx, by, 85, 85, mask, 0, 0, Rop::SrcAnd);
    BitBlt(layer, bx, by, 85, 85, brush, 0, 0, Rop::SrcPaint);
    EXPECT_TRUE(pixelsAre(layer, [&](int x, int y) {
        return inDisc(42, 42, 12, x - bx, y - by) ? RGB(10, 200, 30) : pattern(x, y);
    }));
}

TEST(PictureSurfaceBitBlt, CutToBothSurfacesWithNegativeOffsets) {
    const PictureSurface src = patterned(6, 5);
    struct Case {
        int dx, dy, w, h, sx, sy;
    };
    const Case cases[] = {
        {-2, 7, 6, 6, 0, 0},                                // off the left and bottom of dst
        {1, 1, 6, 6, -3, -2},                               // starts left of and above the source
        {8, -3, 40, 40, 2, -1},                             // larger than both
        {-4, -4, 30, 30, -4, -4},                           // negative on both
        {0, 0, 10, 10, 6, 0},                               // entirely off the source
        {10, 0, 5, 5, 0, 0},                                // entirely off dst
        {2, 2, 0, 3, 0, 0},                                 // empty
        {2, 2, -3, 3, 0, 0},                                // negative width
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0}, // ends just short of dst
    };
    for (Rop rop : {Rop::SrcCopy, Rop::SrcPaint})
        for (const Case& c : cases) {
            PictureSurface dst(10, 9, RGB(1, 1, 1));
            const QImage before = dst.Image().copy();
            BitBlt(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy, rop);
            EXPECT_TRUE(pixelsAre(dst,
                                  [&](int x, int y) {
                                      return bltResult(before, src, c.dx, c.dy, c.w, c.h, c.sx, c.sy, rop, x,
                                                       y);
                                  }))
                << c.dx << " " << c.dy << " " << c.w << " " << c.h << " " << c.sx << " " << c.sy;
        }

    // By hand: the source's (3, 2) lands on dst (0, 0).
    PictureSurface dst(10, 9);
    BitBlt(dst, -3, -2, 6, 5, src, 0, 0, Rop::SrcCopy);
    EXPECT_TRUE(pixelsAre(dst, [](int x, int y) { return x < 3 && y < 3 ? pattern(x + 3, y + 2) : kBlack; }));
}

TEST(PictureSurfaceBitBlt, OverlappingCopyWithinOneSurface) {
    // Shifting in every direction must read the pixels as they were before the transfer.
    const int moves[][2] = {{3, 2}, {-3, -2}, {2, 0}, {-2, 0}, {0, 3}, {0, -3}, {-1, 4}};
    for (const auto& m : moves) {
        for (Rop rop : {Rop::SrcCopy, Rop::SrcAnd}) {
            PictureSurface s = patterned(12, 10);
            const QImage before = s.Image().copy();
            PictureSurface original = patterned(12, 10);
            BitBlt(s, 2 + m[0], 2 + m[1], 7, 6, s, 2, 2, rop);
            EXPECT_TRUE(pixelsAre(s,
                                  [&](int x, int y) {
                                      return bltResult(before, original, 2 + m[0], 2 + m[1], 7, 6, 2, 2, rop,
                                                       x, y);
                                  }))
                << m[0] << "," << m[1] << " rop " << uint32_t(rop);
        }
    }
}

TEST(PictureSurfaceStretchBlt, EachSourcePixelBecomesABlock) {
    const PictureSurface src = patterned(3, 2);
    PictureSurface dst(14, 10, kGreen);
    StretchBlt(dst, 1, 1, 12, 8, src, 0, 0, 3, 2);
    EXPECT_TRUE(pixelsAre(dst, [](int x, int y) {
        if (x < 1 || y < 1 || x >= 13 || y >= 9) return kGreen;
        return pattern((x - 1) / 4, (y - 1) / 4);
    }));

    // Not a whole factor: nearest source column and row.
    PictureSurface odd(5, 3);
    StretchBlt(odd, 0, 0, 5, 3, src, 0, 0, 2, 2);
    const int col[] = {0, 0, 0, 1, 1}, row[] = {0, 0, 1};
    EXPECT_TRUE(pixelsAre(odd, [&](int x, int y) { return pattern(col[x], row[y]); }));
}

TEST(PictureSurfaceStretchBlt, CutToBothSurfaces) {
    const PictureSurface src = patterned(5, 4);
    // Zoomed view of a level narrower than the view: the offset is negative, and
    // blocks whose level pixel does not exist are left alone.
    PictureSurface view(20, 14, kGreen);
    StretchBlt(view, 0, 0, 18, 18, src, -1, 2, 6, 6);
    EXPECT_TRUE(pixelsAre(view, [](int x, int y) {
        const int u = x / 3 - 1, v = y / 3 + 2;
        if (x >= 18 || u < 0 || u >= 5 || v >= 4) return kGreen;
        return pattern(u, v);
    }));

    PictureSurface cut(7, 5, kGreen);
    StretchBlt(cut, -2, -1, 15, 12, src, 1, 1, 5, 4);
    EXPECT_TRUE(pixelsAre(cut, [](int x, int y) {
        const int u = 1 + (x + 2) / 3, v = 1 + (y + 1) / 3;
        if (u >= 5 || v >= 4) return kGreen;
        return pattern(u, v);
    }));

    // A surface enlarged onto itself reads its pixels as they were.
    PictureSurface self = patterned(8, 8);
    StretchBlt(self, 0, 0, 8, 8, self, 0, 0, 4, 4);
    EXPECT_TRUE(pixelsAre(self, [](int x, int y) { return pattern(x / 2, y / 2); }));
}

// --- Flood fill ------------------------------------------------------------------------

namespace {
// A surface drawn from text: '#' wall (red), '.' open (black).
PictureSurface fromRows(const std::vector<std::string>& rows) {
    PictureSurface s(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < s.ScaleHeight(); ++y)
        for (int x = 0; x < s.ScaleWidth(); ++x)
            SetPixelV(s, x, y, rows[size_t(y)][size_t(x)] == '#' ? kRed : kBlack);
    return s;
}

// The plain breadth-first fill the span fill must agree with.
QImage referenceFill(QImage img, int x0, int y0, Colour colour, Colour fill) {
    const uint32_t target = toPixel(colour), paint = toPixel(fill);
    if (img.pixel(x0, y0) != target || target == paint) return img;
    std::deque<Pixel> queue{{x0, y0}};
    img.setPixel(x0, y0, paint);
    while (!queue.empty()) {
        auto [x, y] = queue.front();
        queue.pop_front();
        for (auto [nx, ny] : {Pixel{x - 1, y}, Pixel{x + 1, y}, Pixel{x, y - 1}, Pixel{x, y + 1}})
            if (nx >= 0 && ny >= 0 && nx < img.width() && ny < img.height() && img.pixel(nx, ny) == target) {
                img.setPixel(nx, ny, paint);
                queue.push_back({nx, ny});
            }
    }
    return img;
}

// Walls everywhere except a one-pixel path winding through the surface: vertical runs
// in every other column joined alternately at the top and the bottom (or the same
// turned on its side). Returns the number of path pixels.
int64_t carveSerpentine(PictureSurface& s, bool vertical) {
    s.Cls();
    const int across = vertical ? s.ScaleWidth() : s.ScaleHeight();
    const int along = vertical ? s.ScaleHeight() : s.ScaleWidth();
    int64_t count = 0;
    auto open = [&](int a, int b) {
        if (vertical)
            SetPixelV(s, a, b, kBlack);
        else
            SetPixelV(s, b, a, kBlack);
        ++count;
    };
    for (int a = 0; a < across; a += 2) {
        for (int b = 0; b < along; ++b)
            open(a, b);
        if (a + 2 < across) open(a + 1, (a / 2) % 2 == 0 ? along - 1 : 0);
    }
    return count;
}
} // namespace

TEST(PictureSurfaceFloodFill, NothingHappensUnlessTheStartIsTheColour) {
    PictureSurface s = fromRows({"....#", "..#..", "#...."});
    const QImage before = s.Image().copy();
    s.FillColor = kBlue;
    ExtFloodFill(s, 0, 0, kRed);    // start is black, not red
    ExtFloodFill(s, -1, 0, kBlack); // start off the surface
    ExtFloodFill(s, 5, 0, kBlack);
    ExtFloodFill(s, 0, 0, Colour(s.Point(-1, 0))); // the colour of a spot off the surface
    s.FillColor = kBlack;
    ExtFloodFill(s, 0, 0, kBlack); // already the fill colour
    EXPECT_TRUE(sameImage(before, s.Image()));

    // White start with -1 as colour: the top byte must not make them equal.
    PictureSurface white(3, 3, kWhite);
    white.FillColor = kBlue;
    ExtFloodFill(white, 1, 1, 0xFFFFFFFFu);
    EXPECT_TRUE(pixelsAre(white, [](int, int) { return kWhite; }));
}

TEST(PictureSurfaceFloodFill, StopsAtWallsAndTheBorderFourConnectedOnly) {
    PictureSurface s = fromRows({
        "......#...", //
        "..###..#..", //
        "..#.#...#.", //
        "..###....#", //
        "....#.....", //
        "...#.#....", //
    });
    s.FillColor = kBlue;
    ExtFloodFill(s, 0, 0, kBlack);
    // The diagonal wall cuts off the top-right corner; the enclosed pixel at (3, 2) and
    // the pocket at (4, 5) are reached only diagonally.
    const std::vector<std::string> expected = {
        "bbbbbb#...", //
        "bb###bb#..", //
        "bb#.#bbb#.", //
        "bb###bbbb#", //
        "bbbb#bbbbb", //
        "bbb#.#bbbb", //
    };
    EXPECT_TRUE(pixelsAre(s, [&](int x, int y) {
        const char c = expected[size_t(y)][size_t(x)];
        return c == '#' ? kRed : c == 'b' ? kBlue : kBlack;
    }));
}

TEST(PictureSurfaceFloodFill, AgreesWithAPlainFillOnNoise) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + int(random() % 90), h = 1 + int(random() % 60);
        const int walls = int(random() % 60);
        PictureSurface s(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (int(random() % 100) < walls) SetPixelV(s, x, y, random() % 2 ? kRed : kGreen);
        const int x0 = int(random() % unsigned(w)), y0 = int(random() % unsigned(h));
        const Colour colour = GetPixel(s, x0, y0);
        const QImage expected = referenceFill(s.Image().copy(), x0, y0, colour, kBlue);
        s.FillColor = kBlue;
        ExtFloodFill(s, x0, y0, colour);
        ASSERT_TRUE(sameImage(expected, s.Image())) << "round " << round << " start " << x0 << "," << y0;
    }
}

TEST(PictureSurfaceFloodFill, MillionsOfPixelsWithoutRunningOutOfStack) {
    PictureSurface open(3000, 2000);
    open.FillColor = kGreen;
    ExtFloodFill(open, 1500, 1000, kBlack);
    EXPECT_TRUE(sameImage(filledImage(3000, 2000, kGreen), open.Image()));

    for (bool vertical : {true, false}) {
        PictureSurface maze(vertical ? 1999 : 500, vertical ? 1000 : 3999, kRed);
        const int64_t path = carveSerpentine(maze, vertical);
        ASSERT_GT(path, 900000);
        maze.FillColor = kBlue;
        ExtFloodFill(maze, 0, 0, kBlack);
        int64_t filled = 0, left = 0;
        for (int y = 0; y < maze.ScaleHeight(); ++y)
            for (int x = 0; x < maze.ScaleWidth(); ++x) {
                const Colour c = GetPixel(maze, x, y);
                filled += c == kBlue;
                left += c == kBlack;
            }
        EXPECT_EQ(filled, path) << (vertical ? "vertical" : "horizontal");
        EXPECT_EQ(left, 0);
    }
}

// --- Text ------------------------------------------------------------------------------

TEST(PictureSurfaceText, PrintDrawsWithinItsMeasuredBoxAndMovesDown) {
    PictureSurface s(200, 60);
    s.ForeColor = kWhite;
    s.Font = QFont("DejaVu Sans", 10);
    s.CurrentX = 30;
    s.CurrentY = 12;
    const QString text = "Level HQ";
    const int w = s.TextWidth(text), h = s.TextHeight(text);
    ASSERT_GT(w, 20);
    ASSERT_GT(h, 8);
    EXPECT_GT(s.TextWidth(text + text), w);
    EXPECT_EQ(s.TextHeight("x"), h);

    s.Print(text);
    int drawn = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (GetPixel(s, x, y) != kBlack) {
                ++drawn;
                EXPECT_TRUE(x >= 30 && x < 30 + w && y >= 12 && y < 12 + h) << x << "," << y;
            }
    EXPECT_GT(drawn, 20);
    EXPECT_EQ(s.CurrentX, 30);
    EXPECT_EQ(s.CurrentY, 12 + h);

    // A centred name often starts on a half pixel; it is drawn at the rounded pixel.
    auto printedAt = [&](float x, float y) {
        PictureSurface t(200, 60);
        t.ForeColor = kWhite;
        t.Font = s.Font;
        t.CurrentX = x;
        t.CurrentY = y;
        t.Print(text);
        return t.Image();
    };
    EXPECT_TRUE(sameImage(printedAt(30, 12), printedAt(30.5f, 11.5f)));
    EXPECT_TRUE(sameImage(printedAt(32, 12), printedAt(31.5f, 12.4f)));
}
