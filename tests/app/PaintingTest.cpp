#include "files/PictureFiles.h"
#include "support/TestEditor.h"

using namespace vortan::test;

struct Painting : ::testing::Test {
    TestEditor e{1000, 800};
    Colour at(int layer, int x, int y) { return e.level().layer(layer).pixelAt(x, y); }
    bool unsaved() { return e.level().isModified(); }
    QString labels() { return e->controls().red + e->controls().green + e->controls().blue; }
};

TEST_F(Painting, TheColourDialogOpensOnWhatTheBrushPaintsAndSnapsInTheMapView) {
    e.ui.choices = {std::nullopt, ScriptedDialogs::Choice{{}, kWater}};
    e->pressOnBrush(Qt::LeftButton, true); // cancelled on a fresh start: nothing changes
    e->showView(View::Shown::Map);
    e->pressOnBrush(Qt::LeftButton, false); // pure blue snaps to cyan
    EXPECT_EQ(std::pair(e->brush().colour(), e->brush().material()), std::pair(kStart, kPlatformFSA));
    EXPECT_EQ(std::pair(e.ui.dialogsShown[0].colour, e.ui.dialogsShown[1].colour), std::pair(kStart, kWall));
}

TEST_F(Painting, PressesStampAndEraseTheDiscInBothLayersAndBackspaceUndoes) {
    e.colour().fillRect(17, 17, 983, 783, rgb(0, 128, 0)); // the mask keeps it around the disc
    e->view().scrollTo(e.level(), 10, 20);
    e->pressInViewport(Qt::LeftButton, {}, {623, 50}); // on the frame beside the last column
    e->keyInViewport(Qt::Key_Backspace, {});           // nothing to undo on a new level
    EXPECT_FALSE(e.level().history().steps() > 0 || unsaved());
    // Brush corners round(57.5) = 58 and round(58.5) = 58, ties to even: the centre is level (110, 120).
    for (bool paint : {true, false}) {
        e->pressInViewport(paint ? Qt::LeftButton : Qt::RightButton, {}, {100, 101});
        const Colour painted[] = {kStart, kWall}, around[] = {rgb(0, 128, 0), kBlack};
        for (int i : {0, 1})
            EXPECT_TRUE(pixelsAre(e.level().layer(i), [&](int x, int y) {
                if (x < 17 || y < 17 || x >= 984 || y >= 784) return painted[i]; // the frame
                return inDisc(x, y, 20, 110, 120) ? (paint ? painted[i] : kBlack) : around[i];
            }));
        EXPECT_TRUE(pixelsAre(e.viewport(), [&](int x, int y) { return at(0, x + 10, y + 20); }));
    }
    e->keyInViewport(Qt::Key_Backspace, {});
    e->keyInViewport(Qt::Key_Backspace, {}); // twice the same: the state before the erasing press
    EXPECT_EQ(std::tuple(at(0, 110, 120), at(1, 110, 120), e.viewport().pixelAt(100, 100), unsaved(),
                         e->view().navigatorStale()),
              std::tuple(kStart, kWall, kStart, true, true));
}

TEST_F(Painting, MovesPreviewAndPaintOnlyWithOneButtonAndNoModifier) {
    e->pressInViewport(Qt::MiddleButton, {}, {199, 151}); // opens a stroke, paints nothing
    e->moveInViewport(Qt::LeftButton | Qt::RightButton, {}, {199, 151});
    e->moveInViewport(Qt::LeftButton, Qt::AltModifier, {199, 151});
    EXPECT_FALSE(unsaved());
    // Only the preview, its corner at round(156.5) = 156 and round(108.5) = 108.
    EXPECT_TRUE(pixelsAre(e.viewport(),
                          [&](int x, int y) { return inDisc(x, y, 20, 198, 150) ? kStart : at(0, x, y); }));
    e->moveInViewport(Qt::LeftButton, {}, {400, 300}); // and what was under it comes back
    EXPECT_EQ(std::pair(e.viewport().pixelAt(198, 150), at(0, 400, 300)), std::pair(kBlack, kStart));
    e->moveInViewport(Qt::RightButton, {}, {400, 300});
    EXPECT_EQ(std::pair(at(1, 400, 300), unsaved()), std::pair(kBlack, true));
}

TEST_F(Painting, AFillTakesEachLayersOwnRegion) {
    e.colour().fillRect(200, 17, 200, 783, rgb(1, 1, 1));
    e.map().fillRect(17, 150, 983, 150, kPlatformFS);
    // Unzoomed a fill counts as a change even where it meets its own colours; zoomed only when one changed.
    for (auto [zoomed, colour, entry, material] :
         {std::tuple{false, kStart, "Explosive!", kExplosive}, {true, kWater, "Water", kWater}}) {
        e->setZoomed(zoomed);
        e->chooseMaterial(entry);
        e->pressInViewport(Qt::LeftButton, Qt::ControlModifier, {120, 120});
        EXPECT_EQ(std::tuple(at(0, 40, 60), at(0, 250, 60), at(1, 300, 100), at(1, 100, 200)),
                  std::tuple(colour, kBlack, material, kBlack));
        EXPECT_EQ(e.viewport().pixelAt(zoomed ? 240 : 40, zoomed ? 360 : 60), colour);
        e.level().setModified(false);
        e->pressInViewport(Qt::LeftButton, Qt::ControlModifier, {120, 120});
        EXPECT_EQ(unsaved(), !zoomed);
    }
}

TEST_F(Painting, KeysChooseMaterialsSizesScrollAndMirror) {
    const Colour materials[] = {kBehindWall, kPlatformFS, kPlatformFSA, kExplosive, kWater, kWall};
    for (int i = 0; i < 6; ++i) {
        e->keyInViewport("BSAETW"[i], Qt::ShiftModifier); // letter keys are their upper-case codes
        EXPECT_EQ(e->brush().materialBrush().pixelAt(42, 42), materials[i]);
    }
    for (auto [key, radius] : {std::pair{'1', 2}, {'9', 34}, {'0', 34}, {':', 34}, {'6', 22}}) {
        e->keyInViewport(key, key == '6' ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(e->brush().radius(), radius) << key;
    }
    e->view().scrollTo(e.level(), 100, 100);
    // clang-format off
    for (auto [key, zoomed, x, y] : {std::array{int(Qt::Key_Right), 0, 150, 100}, {Qt::Key_Down, 0, 150, 150},
                                     {Qt::Key_Left, 1, 142, 150}, {Qt::Key_Up, 1, 142, 142}}) {
        // clang-format on
        e->setZoomed(zoomed); // 50 pixels, zoomed round(50 / 6) = 8
        e->keyInViewport(key, {});
        EXPECT_EQ(QPoint(e->view().xOffset(), e->view().yOffset()), QPoint(x, y));
    }
    e->brush().usePicture(imageOf(2, 1, {kBlack, rgb(1, 2, 3)}));
    e->keyInViewport(Qt::Key_F, {});
    EXPECT_EQ(std::pair(e->brush().colour(), e->brush().colourBrush().pixelAt(83, 0)),
              std::pair(kWater, rgb(1, 2, 3)));
}

TEST_F(Painting, ZoomedPressesSetAndClearSinglePixelsAndPicksTakeTheShownLayer) {
    e->setZoomed(true);
    e->brush().take(kWater, true);
    // Pointer columns 0 to 4 are level column 0, 5 column 1; a drag 6 pixels left of the view is still 0.
    for (auto [button, p, x, y] : {std::tuple{Qt::LeftButton, QPointF(5, 5), 1, 1},
                                   {Qt::LeftButton, QPointF(4, 4), 0, 0},
                                   {Qt::RightButton, QPointF(10, 10), 1, 1},
                                   {Qt::LeftButton, QPointF(-6, 30), 0, 5}}) {
        p.x() < 0 ? e->moveInViewport(button, {}, p) : e->pressInViewport(button, {}, p);
        const bool set = button == Qt::LeftButton;
        EXPECT_EQ(std::pair(at(0, x, y), at(1, x, y)),
                  std::pair(set ? kWater : kBlack, set ? kWall : kBlack));
        // Only that pixel's 6 x 6 block is drawn: the viewport still shows the level six times enlarged.
        EXPECT_TRUE(pixelsAre(e.viewport(), [&](int vx, int vy) { return at(0, vx / 6, vy / 6); }));
    }
    e.level().setModified(false);
    e->moveInViewport(Qt::LeftButton | Qt::RightButton, {}, {100, 100}); // two buttons: nothing changes
    e.colour().setPixel(30, 30, rgb(128, 64, 32));
    e.map().setPixel(30, 30, kWater);
    e->pressInViewport(Qt::RightButton, Qt::ShiftModifier, {180, 180});
    e->moveInViewport(Qt::RightButton, Qt::ShiftModifier, {-40, 10}); // far left: no pick, the labels stay
    EXPECT_EQ(std::pair(e->brush().colour(), labels()), std::pair(rgb(128, 64, 32), QString("128 64 32 ")));
    e->showView(View::Shown::Map); // blue shows Water in the list, and choosing Water brings its colour
    e->pressInViewport(Qt::RightButton, Qt::ShiftModifier, {180, 180});
    EXPECT_EQ(std::tuple(e->brush().colour(), e->brush().listEntry(), labels(), unsaved()),
              std::tuple(kWater, QString("Water"), QString("0 0 255 "), false));
    e->pressInViewport(Qt::RightButton, Qt::ShiftModifier, {240, 240}); // black is no entry: the list stays
    EXPECT_EQ(std::pair(e->brush().material(), e->brush().listEntry()), std::pair(kBlack, QString("Water")));
}

TEST_F(Painting, ARightClickOnTheBrushLoadsAPictureFromTheBrushFolder) {
    const QString ring = e.folder.filePath("ring.bmp"), broken = e.folder.filePath("broken.bmp");
    ASSERT_TRUE(savePicture(Picture(3, 2, rgb(9, 8, 7)), ring));
    writeFile(broken, "BM not a picture");
    e.ui.choices = {std::nullopt, ScriptedDialogs::Choice{e.folder.filePath("gone.bmp")},
                    ScriptedDialogs::Choice{broken}, ScriptedDialogs::Choice{ring}};
    for (int i = 0; i < 3; ++i) { // cancelled, missing, unreadable: the disc stays
        e->pressOnBrush(Qt::RightButton, true);
        EXPECT_EQ(e->brush().colourBrush().pixelAt(42, 42), kStart) << i;
    }
    e->pressOnBrush(Qt::RightButton, true);
    // The picture sits at the brush square's top left, painting its own colours.
    EXPECT_EQ(std::tuple(e->brush().colourBrush().pixelAt(2, 1), e->brush().colourBrush().pixelAt(3, 1),
                         e->brush().colourBrush().pixelAt(42, 42)),
              std::tuple(rgb(9, 8, 7), kBlack, kBlack));
    const DialogSettings& asked = e.ui.dialogsShown.back();
    EXPECT_EQ(std::tuple(asked.title, asked.filter, asked.initialFolder.endsWith("/brushes")),
              std::tuple(QString("Load Brush..."), QString("Pictures (*.bmp;*.gif;*.png)|*.bmp;*.gif;*.png"),
                         true));
}
