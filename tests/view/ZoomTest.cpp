#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {

class Zoom : public ::testing::Test {
  protected:
    TestEditor e;
    void SetUp() override {
        e->createEmpty(200, 150);
        e->xRes = 200;
        e->yRes = 150;
        e->unsavedChanges = false;
        e->navigatorStale = false;
        e->zoomEnabled_Click(true);
    }
};

} // namespace

TEST_F(Zoom, PointerColumnFiveIsLevelColumnOne) {
    e->currentColour = RGB(10, 20, 30);
    e->drawZoom(5, 5, kLeftButton, 0);
    EXPECT_EQ(GetPixel(e->Level[0], 1, 1), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(e->Level[1], 1, 1), kWall);
    EXPECT_EQ(GetPixel(e->Level[0], 0, 0), RGB(55, 100, 120)); // frame untouched
    // The block of viewport pixels 6 to 11 in both directions.
    EXPECT_EQ(GetPixel(e->viewPort, 6, 6), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(e->viewPort, 11, 11), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(e->viewPort, 12, 12), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->viewPort, 5, 5), RGB(55, 100, 120));
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);

    e->drawZoom(4, 4, kLeftButton, 0); // columns 0 to 4 are block 0
    EXPECT_EQ(GetPixel(e->Level[0], 0, 0), RGB(10, 20, 30));
}

TEST_F(Zoom, MapViewPaintsTheBlockInTheMaterialAndClearWritesBlack) {
    e->vPort_Click(1);
    e->currentMaterial = kWater;
    e->drawZoom(120, 120, kLeftButton, 0); // block 20
    EXPECT_EQ(GetPixel(e->Level[1], 20, 20), kWater);
    EXPECT_EQ(GetPixel(e->Level[0], 20, 20), RGB(55, 100, 120)); // both layers change
    EXPECT_EQ(GetPixel(e->viewPort, 122, 122), kWater);

    e->drawZoom(120, 120, kRightButton, 0);
    EXPECT_EQ(GetPixel(e->Level[1], 20, 20), kBlack);
    EXPECT_EQ(GetPixel(e->Level[0], 20, 20), kBlack);
    EXPECT_EQ(GetPixel(e->viewPort, 122, 122), kBlack);
}

TEST_F(Zoom, MovesWithoutAButtonChangeNothing) {
    const QImage before = e->Level[0].Image();
    e->drawZoom(100, 100, 0, 0);
    e->drawZoom(100, 100, kLeftButton | kRightButton, 0);
    e->drawZoom(100, 100, kMiddleButton, kCtrlKey);
    EXPECT_TRUE(sameImage(before, e->Level[0].Image()));
    EXPECT_FALSE(e->unsavedChanges);
}

TEST_F(Zoom, FillFollowsEachLayersOwnRegion) {
    // The colour layer is split by a vertical line, the map by a horizontal one.
    e->Level[0].Line(100, 17, 100, 134, RGB(1, 1, 1));
    e->Level[1].Line(17, 70, 184, 70, RGB(0, 255, 0));
    e->currentColour = RGB(9, 9, 9);
    e->currentMaterial = kExplosive;
    e->drawZoom(150, 150, kLeftButton, kCtrlKey); // level (25, 25)
    EXPECT_EQ(GetPixel(e->Level[0], 99, 100), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(e->Level[0], 101, 100), kBlack);
    EXPECT_EQ(GetPixel(e->Level[1], 150, 60), kExplosive);
    EXPECT_EQ(GetPixel(e->Level[1], 50, 80), kBlack);
    EXPECT_EQ(GetPixel(e->viewPort, 0, 0), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->viewPort, 140, 140), RGB(9, 9, 9)); // redrawn
    EXPECT_TRUE(e->unsavedChanges);

    // The same fill again meets its own colours in both layers: nothing changed, no flag.
    e->unsavedChanges = e->navigatorStale = false;
    e->drawZoom(150, 150, kLeftButton, kCtrlKey);
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_FALSE(e->navigatorStale);
}

TEST_F(Zoom, PickTakesTheColourOrTheMaterial) {
    e->Level[0].PSet(20, 20, RGB(77, 66, 55));
    e->Level[1].PSet(20, 20, kPlatformFS);
    e->drawZoom(120, 120, kRightButton, kShiftKey);
    EXPECT_EQ(e->currentColour, RGB(77, 66, 55));
    EXPECT_EQ(e->currentMaterial, kWall);
    EXPECT_EQ(GetPixel(e->Brush, 42, 42), RGB(77, 66, 55));
    EXPECT_FALSE(e->unsavedChanges);

    e->vPort_Click(1);
    e->drawZoom(120, 120, kRightButton, kShiftKey);
    EXPECT_EQ(e->currentColour, RGB(77, 66, 55));
    EXPECT_EQ(e->currentMaterial, kPlatformFS);
    EXPECT_EQ(e->controls.comboText, "PlatformFS");
}

TEST_F(Zoom, PickOrFillOutsideTheLevelDoesNothing) {
    // Far left of the viewport during a drag: a negative level column.
    const Colour colour = e->currentColour;
    e->drawZoom(-40, 10, kRightButton, kShiftKey);
    EXPECT_EQ(e->currentColour, colour);
    const QImage before = e->Level[0].Image();
    e->drawZoom(-40, 10, kLeftButton, kCtrlKey);
    EXPECT_TRUE(sameImage(before, e->Level[0].Image()));
    // Six pixels left of the viewport is still column 0: the division truncates.
    e->drawZoom(-6, 10, kLeftButton, 0);
    EXPECT_EQ(GetPixel(e->Level[0], 0, 1), e->currentColour);
}
