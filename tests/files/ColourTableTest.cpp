#include "files/ColourTable.h"
#include "support/ImageCompare.h"

#include <functional>
#include <random>
#include <set>
#include <vector>

using namespace vortan;
using vortan::test::filledImage;

namespace {

PictureSurface paint(int w, int h, const std::function<Colour(int x, int y)>& colour) {
    PictureSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixelV(s, x, y, colour(x, y));
    return s;
}

// What the game-file writers do: clear, then scan rows until the table is full.
void fill(ColourTable& t, const PictureSurface& s, int limit) {
    t.clearClut();
    for (int y = 0; y < s.ScaleHeight(); ++y)
        if (t.addRow(s, y, limit)) break;
}

// The first `limit` different colours of the surface in reading order.
std::vector<Colour> firstColours(const PictureSurface& s, size_t limit) {
    std::vector<Colour> found;
    std::set<Colour> seen;
    for (int y = 0; y < s.ScaleHeight(); ++y)
        for (int x = 0; x < s.ScaleWidth() && found.size() < limit; ++x)
            if (seen.insert(GetPixel(s, x, y)).second) found.push_back(GetPixel(s, x, y));
    return found;
}

std::vector<Colour> entries(const ColourTable& t) {
    std::vector<Colour> out;
    for (int i = 0; i < t.count; ++i)
        out.push_back(RGB(t.red[i], t.green[i], t.blue[i]));
    return out;
}

void setEntry(ColourTable& t, int i, Colour c) {
    t.red[i] = redOf(c);
    t.green[i] = greenOf(c);
    t.blue[i] = blueOf(c);
}

// The search by its definition: first of the nearest, stopping at an exact match.
int32_t linearBest(const ColourTable& t, int64_t r, int64_t g, int64_t b) {
    int64_t best = 999999;
    int32_t index = 0;
    for (int i = 0; i < t.count; ++i) {
        const int64_t d =
            2 * std::llabs(r - t.red[i]) + 3 * std::llabs(g - t.green[i]) + std::llabs(b - t.blue[i]);
        if (d < best) {
            best = d;
            index = i;
            if (d == 0) break;
        }
    }
    return index;
}

// mapRow and findBestRGB agree with the definition on every pixel.
::testing::AssertionResult mapsLikeTheLinearSearch(const ColourTable& t, const PictureSurface& s) {
    std::vector<uint8_t> row(s.ScaleWidth() + 1, 0xEE);
    for (int y = 0; y < s.ScaleHeight(); ++y) {
        t.mapRow(s, y, row.data());
        if (row.back() != 0xEE)
            return ::testing::AssertionFailure() << "row " << y << " written past its end";
        for (int x = 0; x < s.ScaleWidth(); ++x) {
            const Colour c = GetPixel(s, x, y);
            const int32_t expected = linearBest(t, redOf(c), greenOf(c), blueOf(c));
            const int32_t single = t.findBestRGB(redOf(c), greenOf(c), blueOf(c));
            if (row[x] != expected || single != expected)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << "): mapRow " << int(row[x]) << ", findBestRGB "
                       << single << ", expected " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

// Pixels drawn from `palette` with some colours of their own in between.
PictureSurface randomPicture(int w, int h, const std::vector<Colour>& palette, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, palette.size() - 1);
    std::uniform_int_distribution<uint32_t> any(0, 0xFFFFFF);
    std::uniform_int_distribution<int> kind(0, 9);
    Colour c = palette[0];
    return paint(w, h, [&](int, int) {
        const int k = kind(rng);
        if (k < 5) c = palette[pick(rng)]; // otherwise runs of the previous colour
        if (k == 9) c = any(rng);
        return c;
    });
}

std::vector<Colour> randomColours(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<uint32_t> any(0, 0xFFFFFF);
    std::set<Colour> distinct;
    std::vector<Colour> out;
    while (out.size() < n)
        if (Colour c = any(rng); distinct.insert(c).second) out.push_back(c);
    return out;
}

} // namespace

// --- Filling the table ---------------------------------------------------------------

TEST(ColourTableFill, OneColourLevelGivesOneEntry) {
    ColourTable t;
    PictureSurface level(7, 5);
    level.setPicture(filledImage(7, 5, RGB(10, 20, 30)));
    fill(t, level, 192);
    EXPECT_EQ(t.count, 1);
    EXPECT_EQ(t.genPal(), QByteArray::fromRawData("\x00\x0A\x14\x1E", 4));
    for (int i = 1; i < 256; ++i)
        ASSERT_TRUE(t.red[i] == 0 && t.green[i] == 0 && t.blue[i] == 0) << i;

    // A cleared table's zero places are not entries: black still gets its own.
    PictureSurface black(3, 3);
    fill(t, black, 192);
    EXPECT_EQ(t.count, 1);
    EXPECT_EQ(t.genPal(), QByteArray(4, '\0'));
}

TEST(ColourTableFill, EntriesInReadingOrder) {
    const Colour a = RGB(1, 2, 3), b = RGB(3, 2, 1), c = RGB(0, 0, 0), d = RGB(255, 255, 255);
    const Colour rows[3][4] = {{a, a, b, a}, {c, b, a, d}, {d, c, b, a}};
    ColourTable t;
    fill(t, paint(4, 3, [&](int x, int y) { return rows[y][x]; }), 192);
    EXPECT_EQ(entries(t), (std::vector<Colour>{a, b, c, d}));
}

TEST(ColourTableFill, StopsAtTheLimitInReadingOrder) {
    // 250 colours scattered over a 40 x 30 level: the 192nd new one comes mid-row.
    const std::vector<Colour> palette = randomColours(250, 1);
    const PictureSurface level = paint(40, 30, [&](int x, int y) { return palette[(x * 7 + y * 13) % 250]; });
    ColourTable t;
    for (int limit : {192, 128}) {
        t.clearClut();
        int y = 0;
        while (!t.addRow(level, y, limit))
            ++y;
        EXPECT_EQ(t.count, limit);
        EXPECT_EQ(entries(t), firstColours(level, limit)) << limit;
        for (int i = limit; i < 256; ++i)
            ASSERT_EQ(t.red[i] | t.green[i] | t.blue[i], 0) << i;
        // A full table takes nothing more, from any row.
        EXPECT_TRUE(t.addRow(level, y + 1, limit));
        EXPECT_TRUE(t.addRow(level, 29, limit));
        EXPECT_EQ(t.count, limit);
        EXPECT_EQ(entries(t), firstColours(level, limit));
    }
}

TEST(ColourTableFill, RowStopsWhereTheTableFills) {
    // One row of 300 new colours: the scan stops at the 192nd pixel.
    const std::vector<Colour> palette = randomColours(300, 2);
    const PictureSurface row = paint(300, 1, [&](int x, int) { return palette[x]; });
    ColourTable t;
    EXPECT_TRUE(t.addRow(row, 0, 192));
    EXPECT_EQ(entries(t), std::vector<Colour>(palette.begin(), palette.begin() + 192));

    // A limit above the table's 256 places fills them all and no more.
    t.clearClut();
    EXPECT_TRUE(t.addRow(row, 0, 1000));
    EXPECT_EQ(t.count, 256);

    // Rows outside the surface add nothing.
    t.clearClut();
    EXPECT_FALSE(t.addRow(row, 1, 192));
    EXPECT_FALSE(t.addRow(row, -1, 192));
    EXPECT_EQ(t.count, 0);
}

// --- Nearest entries -------------------------------------------------------------------

TEST(ColourTableNearest, FirstOfEquallyNearWins) {
    ColourTable t;
    const Colour far[8] = {RGB(255, 0, 0),   RGB(0, 255, 0), RGB(0, 0, 0),       RGB(100, 100, 100),
                           RGB(255, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(100, 100, 110)};
    for (int i = 0; i < 8; ++i)
        setEntry(t, i, far[i]);
    t.count = 8;
    EXPECT_EQ(t.findBestRGB(100, 100, 105), 3); // 5 from entries 3 and 7
    EXPECT_EQ(t.findBestRGB(100, 100, 110), 7);
    EXPECT_EQ(t.findBestRGB(101, 100, 105), 3); // 7 from both
    // Red weighs two, green three, blue one.
    setEntry(t, 0, RGB(54, 50, 50));
    setEntry(t, 1, RGB(50, 52, 50));
    setEntry(t, 2, RGB(50, 50, 57));
    EXPECT_EQ(t.findBestRGB(50, 50, 50), 1); // distances 8, 6, 7
    setEntry(t, 1, RGB(50, 53, 50));
    EXPECT_EQ(t.findBestRGB(50, 50, 50), 2); // 8, 9, 7
    setEntry(t, 2, RGB(50, 50, 58));
    EXPECT_EQ(t.findBestRGB(50, 50, 50), 0); // 8, 9, 8

    // Equal entries: an exact match stops at the first.
    setEntry(t, 5, RGB(100, 100, 100));
    EXPECT_EQ(t.findBestRGB(100, 100, 100), 3);
}

TEST(ColourTableNearest, EmptyTableGivesZero) {
    ColourTable t;
    EXPECT_EQ(t.findBestRGB(0, 0, 0), 0);
    EXPECT_EQ(t.findBestRGB(12, 200, 3), 0);
    std::vector<uint8_t> row(4, 0xEE);
    t.mapRow(PictureSurface(4, 1, RGB(9, 9, 9)), 0, row.data());
    EXPECT_EQ(row, std::vector<uint8_t>(4, 0));
    EXPECT_TRUE(t.genPal().isEmpty());
}

TEST(ColourTableNearest, MapRowMatchesTheSearchOnEveryPixel) {
    const std::vector<Colour> palette = randomColours(230, 4);
    const PictureSurface level = randomPicture(300, 200, palette, 5);
    ColourTable t;
    fill(t, level, 192);
    ASSERT_EQ(t.count, 192);
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));

    // A second fill from another picture forgets the first.
    const std::vector<Colour> other = randomColours(150, 6);
    const PictureSurface thumb = randomPicture(192, 177, other, 7);
    fill(t, thumb, 128);
    ASSERT_EQ(t.count, 128);
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, thumb));
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));
}

TEST(ColourTableNearest, DirectWritesAreNeverAnsweredFromStaleData) {
    const std::vector<Colour> palette = randomColours(64, 8);
    const PictureSurface level = randomPicture(120, 80, palette, 9);
    ColourTable t;
    fill(t, paint(8, 8, [&](int x, int y) { return palette[x + 8 * y]; }), 192);
    ASSERT_EQ(t.count, 64);
    ASSERT_TRUE(mapsLikeTheLinearSearch(t, level)); // the caches are now warm

    // The map writer's run base: places 64 to 132 are black entries now.
    t.count = 133;
    EXPECT_EQ(t.findBestRGB(0, 0, 0), 64);
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));

    // An earlier entry becoming an exact match takes over from the later one.
    t.count = 64;
    const Colour c = palette[40];
    const int32_t at = t.findBestRGB(redOf(c), greenOf(c), blueOf(c));
    ASSERT_GT(at, 3);
    setEntry(t, 3, c);
    EXPECT_EQ(t.findBestRGB(redOf(c), greenOf(c), blueOf(c)), 3);
    // The matched entry itself moved away.
    setEntry(t, 3, palette[3]);
    setEntry(t, at, RGB(redOf(c) ^ 1, greenOf(c), blueOf(c)));
    EXPECT_EQ(t.findBestRGB(redOf(c), greenOf(c), blueOf(c)), linearBest(t, redOf(c), greenOf(c), blueOf(c)));
    // A later entry becoming nearer than a cached nearest one.
    const Colour off = RGB(redOf(palette[0]) ^ 7, greenOf(palette[0]), blueOf(palette[0]) ^ 9);
    t.findBestRGB(redOf(off), greenOf(off), blueOf(off));
    setEntry(t, 63, off ^ 0x010000);
    EXPECT_EQ(t.findBestRGB(redOf(off), greenOf(off), blueOf(off)), 63);
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));

    // Shrinking the count.
    t.count = 10;
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));

    // Components outside 0 to 255 and a count past the table stay safe and exact.
    t.red[2] = 300;
    t.green[4] = -1000000;
    EXPECT_TRUE(mapsLikeTheLinearSearch(t, level));
    EXPECT_EQ(t.findBestRGB(300, 0, 0), linearBest(t, 300, 0, 0));
    t.count = 1000;
    ColourTable whole = t;
    whole.count = 256;
    EXPECT_EQ(t.findBestRGB(1, 2, 3), linearBest(whole, 1, 2, 3));
    EXPECT_EQ(t.genPal().size(), 1 + 3 * 256);
    t.count = -5;
    EXPECT_EQ(t.findBestRGB(1, 2, 3), 0);
    EXPECT_TRUE(t.genPal().isEmpty());
    EXPECT_FALSE(t.addRow(level, 0, 192));
    EXPECT_GT(t.count, 0);
}

// --- Palette block ----------------------------------------------------------------------

TEST(ColourTablePalette, FullLevelPaletteIs577Bytes) {
    const std::vector<Colour> palette = randomColours(192, 10);
    const PictureSurface level = paint(24, 8, [&](int x, int y) { return palette[x + 24 * y]; });
    ColourTable t;
    fill(t, level, 192);
    QByteArray expected(1, char(191));
    for (Colour c : palette) {
        expected.append(char(redOf(c)));
        expected.append(char(greenOf(c)));
        expected.append(char(blueOf(c)));
    }
    ASSERT_EQ(expected.size(), 577);
    EXPECT_EQ(t.genPal(), expected);

    t.clearClut();
    EXPECT_EQ(t.count, 0);
    EXPECT_TRUE(t.genPal().isEmpty());
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(t.red[i] | t.green[i] | t.blue[i], 0) << i;
}

// --- Snapping to material colours --------------------------------------------------------

TEST(ColourTableSnap, LastOfEquallyNearWins) {
    const std::array<Colour, 5> snap = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 0),
                                        RGB(0, 255, 255)};
    EXPECT_EQ(closestColor(RGB(0, 0, 255), snap), RGB(0, 255, 255)); // 765 from red and from cyan
    EXPECT_EQ(closestColor(RGB(250, 10, 0), snap), RGB(255, 0, 0));
    EXPECT_EQ(closestColor(RGB(10, 250, 10), snap), RGB(0, 255, 0));

    // Identical entries: the later index is the one taken, which shows once they differ
    // only outside the colour bits.
    const std::array<Colour, 5> twins = {RGB(0, 0, 0), 0x01000000, RGB(200, 0, 0), RGB(0, 200, 0),
                                         RGB(0, 0, 200)};
    EXPECT_EQ(closestColor(RGB(1, 1, 1), twins), 0x01000000u);
    // Whatever the caller passes, only the low 24 bits count.
    EXPECT_EQ(closestColor(0xFFFFFFFFu, snap), RGB(255, 255, 0));
}

TEST(ColourTableSnap, ComponentsOfAColour) {
    EXPECT_EQ(getRed(0x00AABBCC), 0xCC);
    EXPECT_EQ(getGreen(0x00AABBCC), 0xBB);
    EXPECT_EQ(getBlue(0x00AABBCC), 0xAA);
    EXPECT_EQ(getRed(0xFF123456), 0x56);
    EXPECT_EQ(getBlue(0xFF123456), 0x12);
}
