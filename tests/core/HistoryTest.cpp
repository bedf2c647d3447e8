#include "core/LevelDocument.h"
#include "support/ImageCompare.h"

#include <random>

using namespace vortan::test;

namespace {

constexpr Colour kRed = rgb(255, 0, 0);

// Random colours of a few kinds, `black` percent of them black.
QImage speckled(int w, int h, unsigned seed, int black = 0) {
    std::mt19937 draw(seed);
    const Colour kinds[] = {rgb(128, 128, 128), rgb(160, 80, 32), kWater, rgb(32, 192, 64), kWhite};
    return imageFrom(w, h, [&](int, int) { return int(draw() % 100) < black ? kBlack : kinds[draw() % 5]; });
}

} // namespace

// clear() brings back the background picture exactly, whatever was drawn, cut or grown; a fixed size cuts it.
TEST(Picture, ClearBringsBackTheBackgroundPictureExactly) {
    const QImage background = speckled(150, 100, 1);
    Picture layer(10, 10, kRed, Picture::Sizing::FollowsPicture);
    layer.setBackgroundPicture(background);
    layer.fillDisc(70, 40, 30, kBlack);
    layer.drawLine(0, 99, 149, 0, kWhite);
    layer.clear();
    EXPECT_TRUE(sameImage(background, layer.image()));

    layer.fillRect(0, 0, 40, 40, kBlack);
    layer.resize(90, 70); // what was cut comes back with clear()
    layer.resize(200, 130);
    layer.fillRect(0, 0, 199, 129, kWhite);
    layer.clear();
    EXPECT_TRUE(pixelsAre(
        layer, [&](int x, int y) { return x < 150 && y < 100 ? fromPixel(background.pixel(x, y)) : kRed; }));

    layer.fillRect(10, 10, 180, 120, kBlack);
    const QImage kept = layer.image().copy();
    layer.keepAsBackground();
    layer.fillDisc(100, 60, 50, kWater);
    layer.clear();
    EXPECT_TRUE(sameImage(kept, layer.image()));

    Picture fixed(100, 120, kRed);
    fixed.setBackgroundPicture(background);
    fixed.fillRect(0, 0, 99, 119, kWhite);
    fixed.clear();
    EXPECT_TRUE(
        pixelsAre(fixed, [&](int x, int y) { return y < 100 ? fromPixel(background.pixel(x, y)) : kRed; }));
}

// A fill of a whole structured level costs what its packed tiles take: twenty fit within the history's limit
// scaled to the level (256 MB at 8000 x 8000); undo walks back to the first state exactly, redo to the last.
TEST(History, TwentyFillsOfAStructuredLevelStayUndoableWithinTheLimit) {
    constexpr int side = 640;
    LevelDocument level;
    level.makeEmpty(side, side, kWhite);
    level.draw([](Picture& colour, Picture& map) {
        std::mt19937 random(18);
        for (int i = 0; i < side / 150 * (side / 150) * 4; ++i) { // rocks
            const float x = float(random() % side), y = float(random() % side), r = float(8 + random() % 32);
            colour.fillDisc(x, y, r, Colour(random() & 0xFFFFFF));
            map.fillDisc(x, y, r, kWall);
        }
        const QImage noise = speckled(side - 40, side / 20, 3, 62);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) {
                colour.setPixel(20 + x, side / 2 + y, fromPixel(noise.pixel(x, y)));
                if (noise.pixel(x, y) != toPixel(kBlack)) map.setPixel(20 + x, side / 2 + y, kWall);
            }
        colour.fillRect(17, 17, 40, 40, kBlack);
        map.fillRect(17, 17, 40, 40, kBlack);
    });
    const qint64 limit = History::kDefaultLimit * side * side / (8000ll * 8000);
    level.history().setLimit(limit);
    const Layers first = layersOf(level);
    for (int n = 0; n < 20; ++n) { // the open region, back and forth between two colours
        level.history().begin("Fill");
        level.fill({20, 20}, n % 2 ? kBlack : rgb(0, 0, 1), n % 2 ? kBlack : kWater, false);
        level.history().end();
    }
    const Layers last = layersOf(level);
    EXPECT_LE(level.history().bytes(), limit);
    int undone = 0;
    while (level.undo())
        ++undone;
    EXPECT_EQ(undone, 20);
    EXPECT_TRUE(hasLayers(level, first));
    while (level.redo()) {
    }
    EXPECT_TRUE(hasLayers(level, last));
}
