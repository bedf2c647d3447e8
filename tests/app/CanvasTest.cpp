#include "app/Readout.h"
#include "support/TestEditor.h"

using namespace vortan::test;

// A level of 3000 x 2400 whose colour names each pixel; the window's room makes fit 623 / 3000.
struct Canvas : ::testing::Test {
    TestEditor e{3000, 2400};
    static Colour colourOf(int x, int y) { return rgb(x & 255, y & 255, 1 + (x >> 8) + 12 * (y >> 8)); }
    Canvas() {
        e.colour().draw([](Picture& p) {
            p.aboutToChange(p.image().rect());
            p.pixels() = imageFrom(p.width(), p.height(), colourOf);
        });
    }
    // The level pixel a pick at `at` takes its colour from.
    QPoint picked(QPointF at) {
        e.click(at, Qt::RightButton, Qt::ShiftModifier);
        const Colour c = e->brush().colour();
        return {redOf(c) + 256 * ((blueOf(c) - 1) % 12), greenOf(c) + 256 * ((blueOf(c) - 1) / 12)};
    }
    void key(int k, int times = 1) {
        for (int i = 0; i < times; ++i)
            e.key(k);
    }
    Colour at(int x, int y) { return e.colour().pixelAt(x, y); }
};

TEST_F(Canvas, PressesActOnTheLevelPixelUnderThePointerAtEveryScale) {
    for (auto [plus, minus, scale, points] :
         {std::tuple{2, 0, "3",
                     std::vector<std::pair<QPointF, QPoint>>{
                         {{2.9, 0}, {100, 200}}, {{3, 5.9}, {101, 201}}, {{3, 6}, {101, 202}}}},
          {0, 2, "1/4", {{{0, 0}, {100, 200}}, {{0.9, 1}, {103, 204}}, {{1, 2.3}, {104, 209}}}},
          {0, 3, "fit", {{{10, 10}, {48, 48}}, {{100, 100}, {481, 481}}, {{100.5, 300}, {483, 1444}}}}}) {
        key('=', plus);
        key('-', minus);
        e->view().scrollTo(e.level(), 100, 200);
        EXPECT_EQ(e->view().scaleName(), scale);
        for (auto [viewport, pixel] : points) {
            EXPECT_EQ(picked(viewport), pixel) << scale;
            // The brush's middle pixel lands there: the disc reaches 20 pixels each way, not 21.
            e.click(viewport);
            const Colour c = colourOf(pixel.x(), pixel.y());
            for (int d : {-20, 20})
                EXPECT_EQ(std::pair(at(pixel.x() + d, pixel.y()), at(pixel.x(), pixel.y() + d)),
                          std::pair(c, c));
            EXPECT_EQ(at(pixel.x() + 21, pixel.y()), colourOf(pixel.x() + 21, pixel.y())) << scale;
            e.key(Qt::Key_Z, Qt::ControlModifier);
        }
        // A quick drag at 1/4 leaves no gap between its stamps.
        if (scale == QString("1/4")) {
            key('1');
            e.drag({{10, 10}, {60, 10}});
            for (int x = 140; x <= 340; ++x)
                ASSERT_EQ(at(x, 240), e->brush().colour()) << x;
            e->brush().makeDisc(20);
        }
        key('=', minus);
        key('-', plus);
    }
}

TEST_F(Canvas, TheWheelZoomsAboutThePointerAndMinusEndsAtFit) {
    const QPointF pointer(201, 150);
    const QPoint under = picked(pointer);
    for (const char* scale : {"2", "3", "4", "6", "8", "12", "16", "16"}) {
        e->wheelInViewport({0, 120}, Qt::ControlModifier, pointer);
        EXPECT_EQ(std::pair(e->view().scaleName(), picked(pointer)), std::pair(QString(scale), under));
    }
    key('-', 12);
    EXPECT_EQ(std::tuple(e->view().scaleName(), e->view().offset(), e->controls().viewportOuter),
              std::tuple(QString("fit"), QPoint(0, 0), QSize(627, 503)));
    EXPECT_TRUE(e->view().visibleArea().contains(QRectF(0, 0, 3000, 2400)));
    // The Zoom box keeps its own scale: the free zoom waits.
    e->setZoomed(true);
    key('=');
    e->wheelInViewport({0, 120}, Qt::ControlModifier, pointer);
    EXPECT_EQ(std::tuple(e->view().scale(), e->view().scaleName(), picked({11, 11})),
              std::tuple(6.0, QString("fit"), QPoint(2, 2)));
}

TEST_F(Canvas, DragsWithTheMiddleButtonOrSpacePanWithoutPainting) {
    key('=', 2);
    e->view().scrollTo(e.level(), 300, 300);
    e.click({50, 50}); // then the middle press takes Backspace's copy
    const Layers painted = layersOf(e.level());
    e->pressInViewport(Qt::MiddleButton, {}, {100, 100});
    e->moveInViewport(Qt::MiddleButton, {}, {40, 70});
    e->releaseInViewport();
    EXPECT_EQ(e->view().offset(), QPoint(320, 310)); // 60 and 30 screen pixels at 3
    e.key(Qt::Key_Space);
    e->pressInViewport(Qt::LeftButton, {}, {40, 70});
    e->moveInViewport(Qt::LeftButton, {}, {100, 100});
    e->releaseInViewport();
    e->keyUpInViewport(Qt::Key_Space);
    EXPECT_EQ(e->view().offset(), QPoint(300, 300));
    key(Qt::Key_Backspace);
    EXPECT_TRUE(hasLayers(e.level(), painted));
    key(Qt::Key_Right); // 50 screen pixels, as at scale 1
    EXPECT_EQ(e->view().xOffset(), (900 + 50) / 3);
}

TEST_F(Canvas, TheReadoutTellsPixelMaterialBrushScaleAndUnsavedWork) {
    key('=', 2);
    e->view().scrollTo(e.level(), 0, 0);
    e->moveInViewport(Qt::NoButton, {}, {300, 300});
    EXPECT_EQ(readoutText(*e), "x 100  y 100\nNothing\nBrush 20\nScale 3\n");
    key('6');
    e.click({16, 30}); // on the wall frame
    EXPECT_EQ(readoutText(*e), "x 5  y 10\nWall\nBrush 22\nScale 3\n* Unsaved");
}

// The map over the colours: every material in its map colour at 25, 50 and 75 %, rounded
// to the nearest value, "nothing" clear; at 1, enlarged, in the Zoom box and zoomed out.
TEST_F(Canvas, MaterialsShowOverTheColoursAtEachOpacityAndScale) {
    const Colour kinds[] = {kBlack,           kWall,           rgb(128, 0, 0),
                            rgb(0, 0, 255),   rgb(0, 255, 0),  rgb(0, 255, 255),
                            rgb(255, 255, 0), rgb(10, 200, 30)}; // the last no material
    auto materialOf = [&](int x, int y) { return kinds[(x * 7 + y * 3) % 9 % 8]; };
    e.map().draw([&](Picture& p) {
        p.aboutToChange(p.image().rect());
        p.pixels() = imageFrom(p.width(), p.height(), materialOf);
    });
    auto blend = [](Colour c, Colour m, int percent) {
        if (m == kBlack) return c;
        const double p = percent / 100.0;
        auto mix = [p](int c, int m) { return int(std::floor(c * (1 - p) + m * p + 0.5)); };
        return rgb(mix(redOf(c), redOf(m)), mix(greenOf(c), greenOf(m)), mix(blueOf(c), blueOf(m)));
    };
    auto under = [&](int x, int y) { // the level pixel under a screen pixel's middle
        const QPointF l = e->view().toLevel({x + 0.5, y + 0.5});
        return QPoint(int(l.x()), int(l.y()));
    };
    const Layers before = layersOf(e.level());
    e->refreshNavigatorIfStale();
    const QImage navigator = e->view().navigator().image();
    e->view().scrollTo(e.level(), 700, 300);
    for (int percent : {75, 25, 50}) {
        e.key(Qt::Key_V, Qt::ShiftModifier); // from 50: 75, 25, 50, and shown
        ASSERT_EQ(std::pair(e->view().materialsOpacity(), e->view().materialsWanted()),
                  std::pair(percent, true));
        for (auto [zoomIn, box, scale] : {std::tuple{0, false, 1.0}, {2, false, 3.0}, {0, true, 6.0}}) {
            key('=', zoomIn);
            e->setZoomed(box);
            ASSERT_EQ(e->view().scale(), scale);
            EXPECT_TRUE(pixelsAre(e.viewport(),
                                  [&](int x, int y) {
                                      const QPoint l = under(x, y);
                                      return blend(colourOf(l.x(), l.y()), materialOf(l.x(), l.y()), percent);
                                  }))
                << percent << " at " << scale;
            e->setZoomed(false);
            key('-', zoomIn);
        }
        // Zoomed out, the material of the level pixel under each screen pixel's middle.
        key('-');
        e.key(Qt::Key_V);
        const Picture plain = e.viewport();
        e.key(Qt::Key_V);
        ASSERT_EQ(e->view().scaleName(), "1/2");
        EXPECT_TRUE(pixelsAre(e.viewport(), [&](int x, int y) {
            const QPoint l = under(x, y);
            return blend(plain.pixelAt(x, y), materialOf(l.x(), l.y()), percent);
        })) << percent;
        key('=');
    }
    // The layers, the navigator and the unsaved mark stay; the Map view shows the map alone.
    EXPECT_TRUE(hasLayers(e.level(), before));
    EXPECT_FALSE(e.level().isModified());
    e->refreshNavigatorIfStale();
    EXPECT_TRUE(sameImage(navigator, e->view().navigator().image()));
    e->showView(View::Shown::Map);
    const QPoint corner = e->view().offset();
    EXPECT_TRUE(
        pixelsAre(e.viewport(), [&](int x, int y) { return materialOf(corner.x() + x, corner.y() + y); }));
    // Back in the Level view it follows an edit of the map.
    e->showView(View::Shown::Level);
    e.map().setPixel(corner.x() + 5, corner.y() + 6, kWall);
    EXPECT_EQ(e.viewport().pixelAt(5, 6), blend(colourOf(corner.x() + 5, corner.y() + 6), kWall, 50));
    e.key(Qt::Key_V);
    EXPECT_EQ(e.viewport().pixelAt(5, 6), colourOf(corner.x() + 5, corner.y() + 6));
}
