#include "support/ImageCompare.h"
#include "support/TestEditor.h"
#include "view/InputCodes.h"

using namespace vortan;
using namespace vortan::test;

TEST(InputCodes, QtEventsBecomeTheEditorsCodes) {
    EXPECT_EQ(buttonCode(Qt::LeftButton), 1);
    EXPECT_EQ(buttonCode(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton), 7);
    EXPECT_EQ(shiftCode(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(shiftCode(Qt::ControlModifier | Qt::KeypadModifier), 2);
    // Letters keep their upper-case code with any modifier.
    EXPECT_EQ(keyCode(Qt::Key_W, Qt::ShiftModifier), 87);
    EXPECT_EQ(keyCode(Qt::Key_E, Qt::ControlModifier), 69);
    EXPECT_EQ(keyCode(Qt::Key_6, Qt::NoModifier), 54);
    EXPECT_EQ(keyCode(Qt::Key_6, Qt::KeypadModifier), 102);
    EXPECT_EQ(keyCode(Qt::Key_Left, Qt::NoModifier), 37);
    EXPECT_EQ(keyCode(Qt::Key_Down, Qt::KeypadModifier), 40);
    EXPECT_EQ(keyCode(Qt::Key_Backspace, Qt::NoModifier), 8);
    EXPECT_EQ(keyCode(Qt::Key_F1, Qt::NoModifier), 0);
}

TEST(Keys, LettersChooseMaterials) {
    TestEditor e;
    const struct {
        int16_t key;
        Colour material;
        const char* entry;
    } rows[] = {{66, kBehindWall, "Behind Wall"},
                {83, kPlatformFS, "PlatformFS"},
                {65, kPlatformFSA, "PlatformFSA"},
                {69, kExplosive, "Explosive!"},
                {87, kWall, "Wall"},
                {84, kWater, "Water"}};
    for (const auto& r : rows) {
        e->viewPort_KeyDown(r.key, kShiftKey);
        EXPECT_EQ(e->currentMaterial, r.material) << r.entry;
        EXPECT_EQ(e->controls.comboText, r.entry);
        EXPECT_EQ(GetPixel(e->mapBrush, 42, 42), r.material);
    }
    EXPECT_EQ(e->currentColour, kWater);
}

TEST(Keys, ArrowsScrollFiftyOrEightWhenZoomed) {
    TestEditor e;
    e->updateViewPort(100, 100);
    e->viewPort_KeyDown(39, 0);
    e->viewPort_KeyDown(40, 0);
    EXPECT_EQ(e->viewPortXoff, 150);
    EXPECT_EQ(e->viewPortYoff, 150);
    e->zoomEnabled_Click(true);
    e->viewPort_KeyDown(37, 0);
    e->viewPort_KeyDown(38, 0);
    EXPECT_EQ(e->viewPortXoff, 142);
    EXPECT_EQ(e->viewPortYoff, 142);
}

TEST(Keys, DigitsSetTheBrushSize) {
    TestEditor e;
    e->viewPort_KeyDown(49, 0);
    EXPECT_EQ(e->brushSize, 2);
    e->viewPort_KeyDown(57, 0);
    EXPECT_EQ(e->brushSize, 34);
    EXPECT_EQ(GetPixel(e->Brush, 9, 42), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->Brush, 7, 42), kBlack);
    const QImage brush = e->Brush.Image();
    e->viewPort_KeyDown(48, 0); // 0 does nothing
    e->viewPort_KeyDown(96, 0);
    EXPECT_EQ(e->brushSize, 34);
    // Keypad 6 is size 22 and no mirror (its code is 102, F is 70).
    e->viewPort_KeyDown(102, 0);
    EXPECT_EQ(e->brushSize, 22);
}

TEST(Keys, FMirrorsAllThreeBrushesAndTwiceGivesThemBack) {
    TestEditor e;
    e->Brush.PSet(3, 10, RGB(1, 2, 3));
    e->mapBrush.PSet(3, 10, kExplosive);
    e->makeMask();
    const QImage brush = e->Brush.Image(), mapBrush = e->mapBrush.Image(), mask = e->Mask.Image();
    e->viewPort_KeyDown(70, 0);
    EXPECT_EQ(GetPixel(e->Brush, 81, 10), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(e->Brush, 3, 10), kBlack);
    EXPECT_EQ(GetPixel(e->mapBrush, 81, 10), kExplosive);
    EXPECT_EQ(GetPixel(e->Mask, 81, 10), kBlack);
    EXPECT_EQ(GetPixel(e->Mask, 3, 10), kWhite);
    e->viewPort_KeyDown(70, 0);
    EXPECT_TRUE(sameImage(brush, e->Brush.Image()));
    EXPECT_TRUE(sameImage(mapBrush, e->mapBrush.Image()));
    EXPECT_TRUE(sameImage(mask, e->Mask.Image()));
}

TEST(LevelToMap, EveryNonBlackPixelBecomesWall) {
    TestEditor e;
    e->createEmpty(50, 40);
    e->unsavedChanges = false;
    e->Level[0].BoxFilled(0, 0, 49, 39, kBlack);
    e->Level[0].PSet(20, 20, RGB(1, 0, 0));
    e->Level[1].PSet(30, 30, kWater); // painted by hand: lost to the map's background
    int yields = 0;
    e->yieldHook = [&] { ++yields; };
    e->Command4_Click();
    EXPECT_TRUE(pixelsAre(e->Level[1], [](int x, int y) { return x == 20 && y == 20 ? kWall : kBlack; }));
    EXPECT_EQ(e->controls.rValue, "100%");
    EXPECT_EQ(yields, 40);
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST(LevelToMap, KeepsTheLoadedMapUnderBlackPixels) {
    TestEditor e;
    QImage map = filledImage(30, 1, kBlack);
    map.setPixel(5, 0, toPixel(kPlatformFS));
    e->Level[1].setPicture(map); // as a load leaves it
    e->Level[0].setPicture(filledImage(30, 1, kBlack));
    e->Level[0].PSet(9, 0, RGB(0, 0, 1));
    e->Level[1].PSet(7, 0, kWater); // painted afterwards
    std::vector<QString> progress;
    e->yieldHook = [&] { progress.push_back(e->controls.rValue); };
    e->Command4_Click();
    EXPECT_EQ(progress, std::vector<QString>{"100%"}); // one row: done at once
    EXPECT_EQ(GetPixel(e->Level[1], 5, 0), kPlatformFS);
    EXPECT_EQ(GetPixel(e->Level[1], 7, 0), kBlack);
    EXPECT_EQ(GetPixel(e->Level[1], 9, 0), kWall);
}

TEST(LevelToMap, ProgressOverSixHundredRows) {
    TestEditor e;
    e->Level[0].setPicture(filledImage(3, 600, RGB(1, 1, 1)));
    e->Level[1].setPicture(filledImage(3, 600, kBlack));
    std::vector<QString> progress;
    e->yieldHook = [&] { progress.push_back(e->controls.rValue); };
    e->Command4_Click();
    ASSERT_EQ(progress.size(), 600u);
    EXPECT_EQ(progress[0], "0%");
    EXPECT_EQ(progress[299], "50%");
    EXPECT_EQ(progress[599], "100%");
    EXPECT_TRUE(pixelsAre(e->Level[1], [](int, int) { return kWall; }));
}
