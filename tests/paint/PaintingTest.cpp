#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {

bool inDisc(int x, int y, int cx, int cy, int radius) {
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= double(radius) * radius;
}

class Painting : public ::testing::Test {
  protected:
    TestEditor e;
    void SetUp() override {
        e->createEmpty(1000, 800);
        e->xRes = 1000;
        e->yRes = 800;
        e->unsavedChanges = false;
        e->navigatorStale = false;
    }
};

} // namespace

TEST_F(Painting, AStampPaintsTheDiscIntoBothLayersAndTheViewPort) {
    e->updateViewPort(10, 20);
    // Pointer (100, 100): the brush's left = round(57.5) = 58, top = 58; the disc's centre,
    // brush pixel 42, lies at viewport (100, 100), level (110, 120).
    e->viewPort_MouseDown(kLeftButton, 0, 100, 100);
    auto expected = [](Colour background, Colour disc) {
        return [=](int x, int y) { return inDisc(x, y, 110, 120, 20) ? disc : background; };
    };
    auto frameless = [](const PictureSurface& s, auto f) {
        return pixelsAre(s, [&](int x, int y) {
            const bool frame = x <= 16 || y <= 16 || x >= 984 || y >= 784;
            return frame ? GetPixel(s, x, y) : f(x, y);
        });
    };
    EXPECT_TRUE(frameless(e->Level[0], expected(kBlack, RGB(55, 100, 120))));
    EXPECT_TRUE(frameless(e->Level[1], expected(kBlack, kWall)));
    EXPECT_EQ(GetPixel(e->viewPort, 100, 100), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->viewPort, 100, 79), kBlack);
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);

    // A right press erases the disc in both layers.
    e->viewPort_MouseDown(kRightButton, 0, 100, 100);
    EXPECT_TRUE(frameless(e->Level[0], expected(kBlack, kBlack)));
    EXPECT_TRUE(frameless(e->Level[1], expected(kBlack, kBlack)));
}

TEST_F(Painting, MaskKeepsTheDestinationOutsideTheShape) {
    e->Level[0].BoxFilled(0, 0, 999, 799, RGB(0, 128, 0));
    e->viewPort_MouseDown(kLeftButton, 0, 200, 150);
    EXPECT_EQ(GetPixel(e->Level[0], 158, 108), RGB(0, 128, 0)); // corner of the brush square
    EXPECT_EQ(GetPixel(e->Level[0], 200, 150), RGB(55, 100, 120));
}

TEST_F(Painting, StampsAreCutAtTheLevelsEdges) {
    e->viewPort_MouseDown(kLeftButton, 0, 0, 0);
    EXPECT_EQ(GetPixel(e->Level[0], 0, 0), RGB(55, 100, 120));
    e->updateViewPort(5000, 5000);
    e->viewPort_MouseDown(kRightButton, 0, 622, 515);
    EXPECT_EQ(GetPixel(e->Level[0], 999, 799), kBlack);
    EXPECT_EQ(GetPixel(e->Level[1], 999, 799), kBlack);
    EXPECT_EQ(GetPixel(e->Level[1], 999, 750), kWall);
    EXPECT_EQ(e->Level[0].ScaleWidth(), 1000);
}

TEST_F(Painting, MovesPaintOnlyWithExactlyOneButtonAndNoModifier) {
    const QImage before = e->Level[0].Image();
    e->viewPort_MouseMove(0, 0, 200, 150);
    e->viewPort_MouseMove(kLeftButton | kRightButton, 0, 200, 150);
    e->viewPort_MouseMove(kLeftButton, kShiftKey, 200, 150);
    EXPECT_TRUE(sameImage(before, e->Level[0].Image()));
    EXPECT_FALSE(e->unsavedChanges);
    // The preview is in the viewport only.
    EXPECT_EQ(GetPixel(e->viewPort, 200, 150), RGB(55, 100, 120));
    EXPECT_EQ(e->lastBrushX, 158); // round(157.5) goes to even
    EXPECT_EQ(e->lastBrushY, 108); // round(107.5)
    // The next move puts the viewport back under the old preview.
    e->viewPort_MouseMove(0, 0, 300, 250);
    EXPECT_EQ(GetPixel(e->viewPort, 200, 150), kBlack);
    e->viewPort_MouseMove(kLeftButton, 0, 200, 150);
    EXPECT_EQ(GetPixel(e->Level[0], 200, 150), RGB(55, 100, 120));
    EXPECT_TRUE(e->unsavedChanges);
}

TEST_F(Painting, FillsEachLayersOwnRegion) {
    e->Level[0].Line(200, 17, 200, 784, RGB(1, 1, 1));
    e->Level[1].Line(17, 150, 984, 150, kPlatformFS);
    e->currentColour = RGB(9, 9, 9);
    e->chooseMaterialEntry("Explosive!");
    e->viewPort_MouseDown(kLeftButton, kCtrlKey, 50, 50);
    EXPECT_EQ(GetPixel(e->Level[0], 150, 250), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(e->Level[0], 250, 100), kBlack);
    EXPECT_EQ(GetPixel(e->Level[1], 300, 100), kExplosive);
    EXPECT_EQ(GetPixel(e->Level[1], 100, 200), kBlack);
    EXPECT_EQ(GetPixel(e->viewPort, 150, 250), RGB(9, 9, 9));
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);
}

TEST_F(Painting, PicksSetTheColourOrTheMaterialAndTheLabels) {
    e->Level[0].PSet(50, 60, RGB(128, 64, 32));
    e->Level[1].PSet(50, 60, kWater);
    e->viewPort_MouseDown(kRightButton, kShiftKey, 50, 60);
    EXPECT_EQ(e->currentColour, RGB(128, 64, 32));
    EXPECT_EQ(e->controls.rValue, "128 ");
    EXPECT_EQ(e->controls.gValue, "64 ");
    EXPECT_EQ(e->controls.bValue, "32 ");
    EXPECT_FALSE(e->unsavedChanges);

    // In the Map view the material; Water also brings its colour along.
    e->vPort_Click(1);
    e->viewPort_MouseDown(kRightButton, kShiftKey, 50, 60);
    EXPECT_EQ(e->currentMaterial, kWater);
    EXPECT_EQ(e->controls.comboText, "Water");
    EXPECT_EQ(e->currentColour, kWater);
    EXPECT_EQ(e->controls.bValue, "255 ");

    // A black pixel in the Level view: black becomes white at once.
    e->vPort_Click(0);
    e->viewPort_MouseDown(kRightButton, kShiftKey, 100, 100);
    EXPECT_EQ(e->currentColour, kWhite);
    EXPECT_FALSE(e->unsavedChanges);
}

TEST_F(Painting, PickBesideANarrowLevelDoesNothing) {
    e->createEmpty(100, 300);
    e->xRes = 100;
    e->Form_Resize({2000, 573});
    e->viewPort.resize(150, e->viewPort.ScaleHeight()); // a viewport wider than the level
    e->updateViewPort(0, 0);
    ASSERT_EQ(e->viewPortXoff, -50);
    const Colour colour = e->currentColour;
    e->viewPort_MouseDown(kRightButton, kShiftKey, 10, 100);
    EXPECT_EQ(e->currentColour, colour);
    EXPECT_EQ(e->controls.rValue, "0 ");
}

// The viewport's frame shows no level: presses there neither paint, fill, pick nor take
// an undo copy, even when the level pixel beside the view exists (after a scroll).
TEST_F(Painting, PressesOnTheFrameDoNothing) {
    e->updateViewPort(100, 100);
    e->Level[0].BoxFilled(0, 0, 999, 799, RGB(40, 50, 60));
    const QImage level = e->Level[0].Image(), map = e->Level[1].Image();
    const Colour colour = e->currentColour;
    const float w = float(e->viewPort.ScaleWidth()), h = float(e->viewPort.ScaleHeight());
    for (const QPointF p : {QPointF(-1, 50), QPointF(-2, -2), QPointF(50, -1), QPointF(w, 50),
                            QPointF(w + 1, 50), QPointF(50, h), QPointF(50, h + 1)}) {
        for (auto [button, shift] : {std::pair{kLeftButton, 0},
                                     {kRightButton, 0},
                                     {kLeftButton, kCtrlKey},
                                     {kRightButton, kShiftKey}})
            e->viewPort_MouseDown(button, int16_t(shift), float(p.x()), float(p.y()));
    }
    EXPECT_TRUE(sameImage(level, e->Level[0].Image()));
    EXPECT_TRUE(sameImage(map, e->Level[1].Image()));
    EXPECT_EQ(e->currentColour, colour);
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_FALSE(e->undoBelongsToLevel);

    const int32_t xoff = e->viewPortXoff;
    e->Thumb_MouseDown(kLeftButton, 0, -1, 5);
    e->Thumb_MouseDown(kLeftButton, 0, float(e->Thumb.ScaleWidth()), 5);
    EXPECT_EQ(e->viewPortXoff, xoff);
}

TEST_F(Painting, BackspaceUndoesThePressTwiceTheSame) {
    e->Level[0].PSet(200, 150, RGB(5, 5, 5));
    const QImage colour = e->Level[0].Image(), map = e->Level[1].Image();
    e->viewPort_MouseDown(kLeftButton, 0, 200, 150);
    e->viewPort_MouseMove(kLeftButton, 0, 250, 150);
    e->unsavedChanges = false;
    e->navigatorStale = false;
    e->viewPort_KeyDown(8, 0);
    EXPECT_TRUE(sameImage(colour, e->Level[0].Image()));
    EXPECT_TRUE(sameImage(map, e->Level[1].Image()));
    EXPECT_EQ(GetPixel(e->viewPort, 200, 150), RGB(5, 5, 5));
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_FALSE(e->navigatorStale);
    e->viewPort_KeyDown(8, 0);
    EXPECT_TRUE(sameImage(colour, e->Level[0].Image()));
}

TEST(Undo, NothingToUndoOnAFreshLevel) {
    TestEditor e;
    e->Level[0].PSet(3, 3, RGB(1, 1, 1));
    e->viewPort_KeyDown(8, 0); // right after start-up
    EXPECT_EQ(e->Level[0].ScaleWidth(), 821);
    EXPECT_EQ(GetPixel(e->Level[0], 3, 3), RGB(1, 1, 1));

    e->viewPort_MouseDown(kLeftButton, 0, 300, 300);
    e->createEmpty(100, 80); // a new level: the copy belongs to the old one
    e->viewPort_KeyDown(8, 0);
    EXPECT_EQ(e->Level[0].ScaleWidth(), 100);
    EXPECT_EQ(e->Level[0].ScaleHeight(), 80);
}
