#include "paint/Tools.h"
#include "support/ImageCompare.h"

using namespace vortan::test;

TEST(Brush, StartsAsADiscNeverPaintsBlackAndTakesTaggedPictures) {
    Brush b;
    EXPECT_TRUE(pixelsAre(b.colourBrush(), [](int x, int y) { return inDisc(x, y) ? kStart : kBlack; }));
    EXPECT_TRUE(pixelsAre(b.materialBrush(), [](int x, int y) { return inDisc(x, y) ? kWall : kBlack; }));
    EXPECT_TRUE(pixelsAre(b.mask(), [](int x, int y) { return inDisc(x, y) ? kBlack : kWhite; }));
    b.take(kBlack, true);
    EXPECT_TRUE(pixelsAre(b.colourBrush(), [](int x, int y) { return inDisc(x, y) ? kWhite : kBlack; }));

    // A tagged picture paints its material, and mirrors. The tag pixel paints as its right-hand neighbour.
    auto ink = [](int x, int y) { return x < 43 ? rgb(x + 1 + (x + y == 0), y, 7) : kBlack; };
    QImage picture = imageFrom(85, 85, ink);
    picture.setPixel(0, 0, toPixel(kExplosive));
    b.usePicture(picture);
    EXPECT_TRUE(pixelsAre(b.colourBrush(), ink));
    EXPECT_TRUE(pixelsAre(b.materialBrush(), [&](int x, int y) { return ink(x, y) ? kExplosive : kBlack; }));
    const std::array<const Picture*, 3> parts{&b.colourBrush(), &b.materialBrush(), &b.mask()};
    const std::array<QImage, 3> before{parts[0]->image(), parts[1]->image(), parts[2]->image()};
    for (bool flipped : {true, false}) { // twice gives the first brush back
        b.mirror();
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(sameImage(before[i].mirrored(flipped, false), parts[i]->image())) << i;
    }
    b.usePicture(imageOf(1, 1, {kWater})); // pure blue is no exact material: the material brush stays
    EXPECT_TRUE(sameImage(before[1], b.materialBrush().image()) && b.colourBrush().pixelAt(0, 0) == kWater);
}

// Each press goes to the first tool that takes it; each tool writes through the level and names its step.
TEST(ToolBox, RoutesPressesByZoomButtonAndModifierAndToolsWriteThroughTheLevel) {
    ToolBox tools;
    auto press = [](Qt::MouseButton b, Qt::KeyboardModifiers m, bool zoomed = false) {
        return Pointer{{100, 101}, {10, 20}, zoomed, b, b, m};
    };
    auto stepFor = [&](Qt::MouseButton b, Qt::KeyboardModifiers m, bool zoomed = false) {
        const Tool* t = tools.forPress(press(b, m, zoomed));
        return t ? t->stepName() : QString("none");
    };
    EXPECT_EQ(
        QStringList({stepFor(Qt::LeftButton, {}), stepFor(Qt::RightButton, {}),
                     stepFor(Qt::LeftButton, Qt::AltModifier), stepFor(Qt::RightButton, Qt::ShiftModifier),
                     stepFor(Qt::RightButton, Qt::ControlModifier, true), stepFor(Qt::MiddleButton, {})}),
        QStringList({"Paint", "Erase", "Fill", "Pick", "Pixels", "none"}));

    LevelDocument level;
    level.makeEmpty(200, 200, rgb(1, 2, 3));
    Brush brush;
    QRect selection, changed;
    ToolContext c{level, brush, LevelDocument::kColourLayer, true, selection};
    QObject::connect(&level, &LevelDocument::areaChanged, [&](QRect r) { changed |= r; });
    Tool* paint = tools.forPress(press(Qt::LeftButton, {}));
    paint->press(c, press(Qt::LeftButton, {}));
    // The brush's corner at round(57.5) = 58 and round(58.5) = 58 from the viewport's offset;
    // only the disc's square, 22 pixels inside the brush's, changes.
    EXPECT_EQ(changed, QRect(90, 100, 41, 41));
    EXPECT_EQ(std::pair(level.colourLayer().pixelAt(110, 120), level.materialMap().pixelAt(110, 120)),
              std::pair(kStart, kWall));
    // A drag with the button held paints from the last point; after the release it starts anew.
    Pointer drag = press(Qt::LeftButton, {});
    drag.at = {140, 101};
    ASSERT_EQ(tools.forDrag(drag), paint);
    paint->drag(c, drag);
    EXPECT_EQ(level.colourLayer().pixelAt(130, 120), kStart);
    tools.release(c);
    Tool* pick = tools.forPress(press(Qt::RightButton, Qt::ShiftModifier));
    brush.take(kWater, true);
    EXPECT_TRUE(pick->press(c, press(Qt::RightButton, Qt::ShiftModifier)));
    EXPECT_EQ(brush.colour(), kStart);
}
