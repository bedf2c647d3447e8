#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {

// A level whose every pixel tells its own position: red = x mod 256, green = y mod 256,
// blue = x / 256 + 16 * (y / 256).
Colour positionColour(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, (x >> 8) + 16 * (y >> 8));
}

class Viewport : public ::testing::Test {
  protected:
    TestEditor e;
    void SetUp() override { makeLevel(1000, 800); }

    void makeLevel(int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixel(x, y, toPixel(positionColour(x, y)));
        for (PictureSurface& layer : e->Level)
            layer.setPicture(img);
        e->Level[1].setPicture(filledImage(w, h, RGB(255, 0, 0)));
        e->xRes = w;
        e->yRes = h;
        e->Form_Resize({760, 573}); // viewport 623 x 516 drawable
    }
};

} // namespace

TEST_F(Viewport, ClampsToTheLevel) {
    ASSERT_EQ(e->viewPort.ScaleWidth(), 623);
    ASSERT_EQ(e->viewPort.ScaleHeight(), 516);
    e->updateViewPort(-5, -1);
    EXPECT_EQ(e->viewPortXoff, 0);
    EXPECT_EQ(e->viewPortYoff, 0);
    e->updateViewPort(5000, 5000);
    EXPECT_EQ(e->viewPortXoff, 1000 - 623);
    EXPECT_EQ(e->viewPortYoff, 800 - 516);
    EXPECT_TRUE(pixelsAre(e->viewPort, [](int x, int y) { return positionColour(x + 377, y + 284); }));
}

TEST_F(Viewport, FractionalRequestsRoundTiesToEven) {
    e->updateViewPort(2.5f, 3.5f);
    EXPECT_EQ(e->viewPortXoff, 2);
    EXPECT_EQ(e->viewPortYoff, 4);
    EXPECT_EQ(GetPixel(e->viewPort, 0, 0), positionColour(2, 4));
    e->updateViewPort(10.49f, 10.51f);
    EXPECT_EQ(e->viewPortXoff, 10);
    EXPECT_EQ(e->viewPortYoff, 11);
}

TEST_F(Viewport, ShowsTheShownLayer) {
    e->layerIndex = 1;
    e->updateViewPort(0, 0);
    EXPECT_TRUE(pixelsAre(e->viewPort, [](int, int) { return RGB(255, 0, 0); }));
}

TEST_F(Viewport, ZoomEnlargesSixfoldAndKeepsTheTopLeftPixel) {
    e->updateViewPort(100, 200);
    e->zoomEnabled_Click(true);
    EXPECT_EQ(e->viewPortXoff, 100);
    EXPECT_EQ(e->viewPortYoff, 200);
    EXPECT_TRUE(
        pixelsAre(e->viewPort, [](int x, int y) { return positionColour(100 + x / 6, 200 + y / 6); }));

    // Zoomed, the level pixels that cover the viewport are (623 + 6) div 6 = 104 wide, 87 high.
    e->updateViewPort(5000, 5000);
    EXPECT_EQ(e->viewPortXoff, 1000 - 104);
    EXPECT_EQ(e->viewPortYoff, 800 - 87);
    // Unzoomed again, the offsets are pulled back inside.
    e->zoomEnabled_Click(false);
    EXPECT_EQ(e->viewPortXoff, 1000 - 623);
    EXPECT_EQ(e->viewPortYoff, 800 - 516);
}

TEST_F(Viewport, ZoomedEdgeOfTheWindowShowsPartOfTheLastBlock) {
    // A 241 x 225 viewport (237 x 221 drawable): (237 + 6) div 6 = 40 columns, the last cut.
    e->Form_Resize({374, 278});
    ASSERT_EQ(e->viewPort.ScaleWidth(), 237);
    e->zoomEnabled_Click(true);
    e->updateViewPort(0, 0);
    EXPECT_EQ(GetPixel(e->viewPort, 236, 0), positionColour(39, 0));
    EXPECT_EQ(GetPixel(e->viewPort, 234, 220), positionColour(39, 36));
}

TEST_F(Viewport, NarrowLevelGivesANegativeOffsetAndLeavesTheFirstColumns) {
    makeLevel(600, 800);
    e->Form_Resize({2000, 573}); // wider window; the viewport stops at the level's width
    ASSERT_EQ(e->viewPort.ScaleWidth(), 600);
    e->zoomEnabled_Click(true);
    e->updateViewPort(0, 0);
    // Zoomed: 101 columns of a 600-wide viewport; the level is exactly 600 columns.
    EXPECT_EQ(e->viewPortXoff, 0);
    e->zoomEnabled_Click(false);

    // A layer narrower than the viewport by 10 columns.
    e->xRes = 590;
    e->viewPort.BackColor = RGB(9, 9, 9);
    e->viewPort.Cls();
    e->updateViewPort(0, 0);
    EXPECT_EQ(e->viewPortXoff, -10);
    EXPECT_EQ(GetPixel(e->viewPort, 9, 5), RGB(9, 9, 9));
    EXPECT_EQ(GetPixel(e->viewPort, 10, 5), positionColour(0, 5));
}

TEST_F(Viewport, RepaintRedrawsFromTheLevelBetweenTwoYields) {
    e->updateViewPort(40, 30);
    e->viewPort.BoxFilled(0, 0, 50, 50, RGB(1, 1, 1)); // a preview drawn on the viewport
    std::vector<int32_t> offsetsAtYield;
    e->yieldHook = [&] { offsetsAtYield.push_back(GetPixel(e->viewPort, 0, 0)); };
    e->viewPort_Paint();
    EXPECT_EQ(offsetsAtYield, (std::vector<int32_t>{int32_t(RGB(1, 1, 1)), int32_t(positionColour(40, 30))}));
}

TEST_F(Viewport, ZoomClickAppliesTheFocusRule) {
    int focus = 0;
    QObject::connect(e.editor.get(), &Editor::focusRequested, [&](FocusTarget) { ++focus; });
    e->zoomEnabled_Click(true);
    EXPECT_EQ(focus, 1);
    e->controls.viewPortEnabled = false;
    e->zoomEnabled_Click(false);
    EXPECT_EQ(focus, 1);
}
