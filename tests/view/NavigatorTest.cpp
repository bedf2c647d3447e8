#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {

// Loads a level of the given size whose colour layer is one colour, the map empty.
void makeLevel(Editor& e, int w, int h, Colour colour = RGB(100, 100, 100)) {
    e.Level[0].setPicture(filledImage(w, h, colour));
    e.Level[1].setPicture(filledImage(w, h, kBlack));
    e.xRes = w;
    e.yRes = h;
}

struct Miniature {
    int x0, xr, rows;
};

// Where the thumbnail's miniature lies: its black frame on row 48.
Miniature findMiniature(const PictureSurface& t) {
    Miniature m{-1, -1, 0};
    for (int x = 0; x < t.ScaleWidth(); ++x)
        if (GetPixel(t, x, 48) == kBlack) {
            if (m.x0 < 0) m.x0 = x;
            m.xr = x;
        }
    while (48 + m.rows < t.ScaleHeight() && GetPixel(t, m.x0, 48 + m.rows) == kBlack)
        ++m.rows;
    return m;
}

} // namespace

TEST(Thumbnail, MiniatureGeometryFollowsTheLevelsSize) {
    TestEditor e;
    struct Case {
        int w, h, x0, columns, rows;
    };
    for (const Case& c :
         {Case{1000, 700, 18, 157, 110}, Case{4000, 100, 1, 191, 5}, Case{2000, 2000, 33, 127, 126}}) {
        makeLevel(*e, c.w, c.h);
        e->buildThumbnail();
        const Miniature m = findMiniature(e->thumbNail);
        SCOPED_TRACE(testing::Message()
                     << c.w << "x" << c.h << " x0 " << m.x0 << " xr " << m.xr << " rows " << m.rows);
        EXPECT_EQ(m.x0, c.x0) << c.w << "x" << c.h;
        EXPECT_EQ(m.xr - m.x0 + 1, c.columns) << c.w << "x" << c.h;
        EXPECT_EQ(m.rows, c.rows) << c.w << "x" << c.h;
        // Inside the frame the level's colour, outside white.
        EXPECT_EQ(GetPixel(e->thumbNail, m.x0 + 1, 49), RGB(100, 100, 100));
        EXPECT_EQ(GetPixel(e->thumbNail, m.x0 - 1, 49), m.x0 > 0 ? kWhite : 0xFFFFFFFF);
        EXPECT_EQ(GetPixel(e->thumbNail, m.x0 + 2, 48 + m.rows), kWhite);
    }
}

TEST(Thumbnail, WaterShowsPureBlueAndTheNameStandsAbove) {
    TestEditor e;
    makeLevel(*e, 1000, 700, RGB(0, 200, 0));
    e->Level[1].BoxFilled(0, 0, 999, 699, kWater);
    e->levelName = "Deep Lake";
    e->buildThumbnail();
    EXPECT_EQ(GetPixel(e->thumbNail, 50, 100), kWater);
    // The name: dark pixels between the top and row 32, roughly centred.
    int left = 192, right = -1, bottom = -1;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 192; ++x)
            if (GetPixel(e->thumbNail, x, y) != kWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0);
    EXPECT_LT(bottom, 33);
    EXPECT_GT(bottom, 20);
    EXPECT_NEAR((left + right) / 2.0, 96, 4);
}

TEST(Navigator, ShowsTheShownLayerAndScrolls) {
    TestEditor e;
    e->createEmpty(808, 808); // sizes the navigator: 8 level pixels per navigator pixel
    makeLevel(*e, 808, 808, RGB(1, 2, 3));
    e->Level[0].BoxFilled(400, 0, 807, 807, RGB(9, 9, 9));
    ASSERT_FLOAT_EQ(e->navScale, 8.0f);
    EXPECT_EQ(e->Thumb.ScaleHeight(), 100); // 812 / 8 + 2 = 103.5, to even 104 outer
    e->navigatorStale = true;
    e->Timer1_Timer();
    EXPECT_FALSE(e->navigatorStale);
    EXPECT_TRUE(pixelsAre(e->Thumb, [](int x, int) { return x * 8 >= 400 ? RGB(9, 9, 9) : RGB(1, 2, 3); }));

    // A click at (10, 5) scrolls to (80, 40); at the far corner the view stops at the edge.
    e->Thumb_MouseDown(kLeftButton, 0, 10, 5);
    EXPECT_EQ(e->viewPortXoff, 80);
    EXPECT_EQ(e->viewPortYoff, 40);
    e->Thumb_MouseMove(0, 0, 99, 99); // no button: no scroll
    EXPECT_EQ(e->viewPortXoff, 80);
    e->Thumb_MouseMove(kLeftButton, 0, 99, 99);
    EXPECT_EQ(e->viewPortXoff, 808 - 623);
    EXPECT_EQ(e->viewPortYoff, 808 - 516);
}

// A level far higher than wide: the navigator stops at 4096 screen pixels and takes the
// scale from the height, so its picture stays small and still shows the whole level.
TEST(Navigator, AVeryNarrowLevelIsScaledByItsHeight) {
    TestEditor e;
    e->createEmpty(1, 20000);
    e->xRes = 1;
    e->yRes = 20000;
    EXPECT_FLOAT_EQ(e->navScale, 20004.0f / 4094.0f);
    EXPECT_EQ(e->controls.thumbOuterHeight, 4096);
    EXPECT_EQ(e->Thumb.ScaleHeight(), 4092);
    e->Level[0].BoxFilled(0, 19980, 0, 19999, RGB(7, 7, 7)); // taller than one navigator row
    e->navigatorStale = true;
    e->Timer1_Timer();
    EXPECT_EQ(GetPixel(e->Thumb, 0, roundHalfEven(19990 / e->navScale)), RGB(7, 7, 7));
    e->Thumb_MouseDown(kLeftButton, 0, 0, 2000);
    EXPECT_EQ(e->viewPortYoff, roundHalfEven(e->navScale * 2000.0f));

    // Far beyond 32 bits the rounding saturates instead of overflowing.
    EXPECT_EQ(roundHalfEven(21000004.0 * 105), INT32_MAX);
    EXPECT_EQ(roundHalfEven(-3e9), INT32_MIN);
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);
}

TEST(Views, SwitchingSetsLayerBrushesZoomAndNavigator) {
    TestEditor e;
    e->createEmpty(300, 200);
    e->Level[1].BoxFilled(0, 0, 299, 199, kWater);
    e->navigatorStale = false;

    e->vPort_Click(1);
    EXPECT_EQ(e->layerIndex, 1);
    EXPECT_TRUE(e->controls.mapBrushVisible);
    EXPECT_FALSE(e->controls.brushVisible);
    EXPECT_EQ(GetPixel(e->viewPort, 100, 100), kWater);
    EXPECT_EQ(GetPixel(e->Thumb, 30, 10), kWater); // redrawn at once from the map
    EXPECT_FALSE(e->navigatorStale);
    // The switch took an undo copy of both layers.
    EXPECT_TRUE(sameImage(e->Level[1].Image(), e->undoLevel[1].Image()));

    e->vPort_Click(0);
    EXPECT_EQ(e->layerIndex, 0);
    EXPECT_TRUE(e->controls.brushVisible);
    EXPECT_EQ(GetPixel(e->Thumb, 30, 10), kBlack);

    e->zoomEnabled_Click(true);
    e->unsavedChanges = true;
    e->vPort_Click(2);
    EXPECT_EQ(e->layerIndex, 0);
    EXPECT_FALSE(e->controls.viewPortVisible);
    EXPECT_TRUE(e->controls.thumbNailVisible);
    EXPECT_FALSE(e->controls.zoomVisible);
    EXPECT_FALSE(e->controls.zoomEnabled);
    EXPECT_TRUE(e->controls.zoomTicked);                // keeps its tick while hidden
    EXPECT_EQ(GetPixel(e->thumbNail, 96, 100), kWater); // rebuilt: unsaved changes
}

TEST(Views, ThumbnailIsNotRebuiltWhenNothingChanged) {
    TestEditor e;
    e->buildThumbnail();
    e->thumbNail.PSet(5, 100, RGB(7, 7, 7));
    e->unsavedChanges = false;
    e->navigatorStale = false;
    e->vPort_Click(2);
    EXPECT_EQ(GetPixel(e->thumbNail, 5, 100), RGB(7, 7, 7));
}
