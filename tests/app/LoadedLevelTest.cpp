#include "support/TestEditor.h"

#include <random>

using namespace vortan::test;

// A loaded set keeps what Backspace and Level -> Map go back to without a second copy of its layers, taking
// each tile only as it is about to change: after presses both give the exact pixels all the same.
TEST(LoadedLevel, BackspaceAndLevelToMapGiveExactPixelsAfterPresses) {
    TestEditor e(300, 200);
    std::mt19937 random(5);
    e.level().draw([&](Picture& colour, Picture& map) { // every tile of many colours
        for (int i = 0; i < 300 * 200; ++i) {
            const uint32_t r = random();
            colour.setPixel(i % 300, i / 300, r % 3 ? Colour(r & 0xFFFFFF) : kBlack);
            map.setPixel(i % 300, i / 300, r % 5 ? kBlack : r % 2 ? kWater : kBehindWall);
        }
    });
    ASSERT_TRUE(e.saveAs(e.folder.filePath("speckled.bmp")));
    e.newLevel(300, 200);
    e.loadFrom(e.folder.filePath("speckled.level.bmp"));
    const Layers loaded = layersOf(e.level());
    // Level -> Map: the map's background, wall under every pixel of colour.
    const auto levelToMap = [&](const QImage& background) {
        return [&](int x, int y) {
            return e.colour().pixelAt(x, y) != kBlack ? kWall : fromPixel(background.pixel(x, y));
        };
    };

    e.click({60, 60});
    e.click({120, 90}, Qt::LeftButton, Qt::ControlModifier); // a fill
    const Layers pressed = layersOf(e.level());
    e->levelToMap();
    EXPECT_TRUE(pixelsAre(e.map(), levelToMap(loaded.second)));
    e.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(hasLayers(e.level(), pressed));

    e.click({200, 100}, Qt::RightButton);
    e.key(Qt::Key_Backspace); // back to before the erasing press: that map is what Level -> Map keeps
    EXPECT_TRUE(hasLayers(e.level(), pressed));
    e.click({150, 150});
    e->levelToMap();
    EXPECT_TRUE(pixelsAre(e.map(), levelToMap(pressed.second)));
    e.key(Qt::Key_Z, Qt::ControlModifier);
    e.key(Qt::Key_Z, Qt::ControlModifier); // Level -> Map and the last press
    EXPECT_TRUE(hasLayers(e.level(), pressed));
}
