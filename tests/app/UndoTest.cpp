#include "files/PictureFiles.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan::test;

// Each edit is one step: Ctrl+Z walks back through them and Ctrl+Y forward, to the exact pixels.
TEST(Undo, EveryEditIsOneStepBackAndForth) {
    GameOnDisk game;
    TestEditor e(game.remembered());
    e.newLevel(300, 200);
    // clang-format off
    const std::function<void()> edits[] = {
        [&] { e.key(Qt::Key_T); e.drag({{60, 60}, {240, 150}}); }, // a fast stroke of water: two far points
        [&] { e.click({150, 30}, Qt::LeftButton, Qt::ControlModifier); },
        [&] { e->setZoomed(true); e.click({5, 5}, Qt::RightButton); e->setZoomed(false); },
        [&] { e->levelToMap(); },
        [&] { e.click({0, 0}, Qt::RightButton); },
        [&] { e.ui.choices = {std::nullopt}; e->exportToGame(); }, // cancelled, but the frame is back in the map
    };
    // clang-format on
    std::vector<Layers> states{layersOf(e.level())};
    for (const auto& edit : edits) {
        edit();
        states.push_back(layersOf(e.level()));
        EXPECT_FALSE(hasLayers(e.level(), states.end()[-2])) << states.size(); // each edit changed it
    }
    // No gap along the stroke: the level pixels on its way from (60, 60) to (240, 150) are painted.
    for (int x = 60; x <= 240; ++x)
        EXPECT_EQ(states[1].first.pixel(x, 60 + (x - 60) / 2) & 0xFFFFFF, toPixel(kWater) & 0xFFFFFF) << x;
    for (int i = int(states.size()) - 2; i >= 0; --i) {
        e.level().setModified(false);
        e.key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(hasLayers(e.level(), states[size_t(i)])) << "undo to " << i;
        EXPECT_TRUE(e.level().isModified() && e->view().navigatorStale());
    }
    e.key(Qt::Key_Z, Qt::ControlModifier); // nothing older than the new level
    EXPECT_TRUE(hasLayers(e.level(), states[0]));
    for (size_t i = 1; i < states.size(); ++i) {
        e.key(i % 2 ? Qt::Key_Y : Qt::Key_Z,
              Qt::ControlModifier | (i % 2 ? Qt::NoModifier : Qt::ShiftModifier));

        EXPECT_TRUE(hasLayers(e.level(), states[i])) << "redo to " << i;
    }
    EXPECT_TRUE(sameImage(states.back().first, e.viewport().image()));
}

TEST(Undo, BackspaceIsAStepAndWaitsAfterAnUndo) {
    TestEditor e(300, 200);
    e.map().fillRect(70, 70, 75, 75, kWater); // beside the disc, in its tile; Level -> Map clears it
    const Layers fresh = layersOf(e.level());
    e.click({100, 100});
    e->levelToMap(); // a second step on the same tiles since the press
    const Layers painted = layersOf(e.level());
    e.key(Qt::Key_Backspace);
    e.key(Qt::Key_Backspace); // nothing more
    EXPECT_TRUE(hasLayers(e.level(), fresh));
    e.key(Qt::Key_Z, Qt::ControlModifier); // takes the Backspace back
    EXPECT_TRUE(hasLayers(e.level(), painted));
    e.key(Qt::Key_Backspace); // waits for the next press
    EXPECT_TRUE(hasLayers(e.level(), painted));
    e.click({100, 100}, Qt::RightButton);
    const Layers erased = layersOf(e.level());
    e->showView(View::Shown::Map); // a view switch marks the state too
    e.key(Qt::Key_Backspace);
    EXPECT_TRUE(hasLayers(e.level(), erased));

    // A load starts afresh: nothing to undo into the level before.
    savePicture(Picture(50, 40, kWhite), e.folder.filePath("white.bmp"));
    e.ui.answers = {MsgAnswer::No};
    e.loadFrom(e.folder.filePath("white.bmp"));
    EXPECT_FALSE(e.level().history().canUndo());

    // Backspace puts the map of the last press back as the one Level -> Map clears to, even
    // when the layers are as they were: the middle press marks the painted state.
    e->showView(View::Shown::Level);
    e.newLevel(300, 200);
    // A ring, untagged: the map brush keeps its disc of wall.
    e->brush().usePicture(imageFrom(85, 85, [](int x, int y) {
        return std::abs((x - 42) * (x - 42) + (y - 42) * (y - 42) - 250) <= 150 ? rgb(90, 90, 90) : kBlack;
    }));
    e.click({100, 100});
    e.click({100, 100}, Qt::MiddleButton);
    e.key(Qt::Key_Backspace);
    e->levelToMap();
    EXPECT_EQ(std::pair(e.colour().pixelAt(100, 100), e.map().pixelAt(100, 100)), std::pair(kBlack, kWall));
}

// A key, view switch, zoom box or command while the button is held ends the stroke as its own step and acts.
TEST(Undo, NoStrokeOutlivesItsStep) {
    TestEditor e(400, 300);
    const Layers fresh = layersOf(e.level());
    auto undoAll = [&] {
        while (e.level().history().canUndo())
            e.key(Qt::Key_Z, Qt::ControlModifier);
    };
    // A press on the frame opens nothing: Backspace still goes back to the last press taken.
    e.click({150, 150});
    for (QPointF frame : {QPointF(-1, 50), QPointF(50, -2), QPointF(e.viewport().width(), 9)}) {
        const Layers before = layersOf(e.level());
        const int steps = e.level().history().steps();
        e.drag({frame, {100, 100}, {140, 120}});
        EXPECT_TRUE(hasLayers(e.level(), before));
        EXPECT_EQ(e.level().history().steps(), steps);
    }
    e.key(Qt::Key_Backspace);
    EXPECT_TRUE(hasLayers(e.level(), fresh));
    undoAll();

    // What is left: Backspace and Ctrl+Z take the stroke back whole.
    enum Leaves { Nothing, TheStroke, Either };
    // clang-format off
    const std::tuple<const char*, Leaves, std::function<void()>> triggers[] = {
        {"Backspace", Nothing, [&] { e.key(Qt::Key_Backspace); }},
        {"Ctrl+Z", Nothing, [&] { e.key(Qt::Key_Z, Qt::ControlModifier); }},
        {"Ctrl+Y", TheStroke, [&] { e.key(Qt::Key_Y, Qt::ControlModifier); }},
        {"a material key", TheStroke, [&] { e.key(Qt::Key_T); }},
        {"a view switch", TheStroke, [&] { e->showView(View::Shown::Map); }},
        {"the zoom box", TheStroke, [&] { e->setZoomed(true); }},
        {"Level -> Map", Either, [&] { e->levelToMap(); }},
        {"New, cancelled", TheStroke, [&] { e.ui.answers = {MsgAnswer::Cancel}; e->newLevel(); }},
    };
    // clang-format on
    for (const auto& [name, leaves, trigger] : triggers) {
        SCOPED_TRACE(name);
        e.drag({{100, 100}, {130, 100}}, true);
        const Layers stroked = layersOf(e.level());
        EXPECT_FALSE(hasLayers(e.level(), fresh));
        trigger();
        const Layers after = layersOf(e.level());
        for (QPointF at : {QPointF(200, 150), QPointF(30, 180), QPointF(36, 180)})
            e->moveInViewport(Qt::LeftButton, {}, at);
        e->releaseInViewport();
        e->moveInViewport(Qt::RightButton, {}, {100, 100}); // after the release too
        EXPECT_TRUE(hasLayers(e.level(), after));
        EXPECT_TRUE(hasLayers(e.level(), leaves == Nothing ? fresh : leaves == TheStroke ? stroked : after));
        undoAll();
        EXPECT_TRUE(hasLayers(e.level(), fresh));
        e->setZoomed(false);
        e->showView(View::Shown::Level);
        e.level().setModified(false);
    }
}

// Past the limit the oldest steps are let go; the newest stays even when it alone is larger.
TEST(Undo, TheHistoryKeepsTheTilesItTouchedWithinItsLimit) {
    LevelDocument level;
    level.makeEmpty(640, 640, kWhite);
    // Every tile of random colours, which pack little: each keeps nearly all its pixels.
    const auto noise = [](int x, int y) { return Colour((uint32_t(x * 640 + y) * 2654435761u) >> 8); };
    level.takeLayers(imageFrom(640, 640, noise),
                     imageFrom(640, 640, [&](int x, int y) { return noise(y, x); }));
    History& history = level.history();
    const auto dot = [&](int x, const char* step = "dot") {
        history.begin(step);
        level.setPixels({x, 100}, kWhite, kWater);
        history.end();
    };
    dot(36);
    const double tile = double(history.bytes()) / 2; // a step touching one tile of each layer keeps two
    EXPECT_GT(tile, 64 * 64 * 3);
    history.setLimit(qint64(5 * tile));
    for (int i = 1; i < 4; ++i) {
        dot(100 + 64 * i);
        EXPECT_NEAR(double(history.bytes()), std::min(2 * (i + 1), 4) * tile, tile / 20) << i;
    }
    dot(292, "dot again"); // changes no pixel: no step for an undo that seems to do nothing
    EXPECT_EQ(history.steps(), 4);
    history.undo();
    history.undo();
    EXPECT_FALSE(history.canUndo()); // the two oldest were let go
    EXPECT_EQ(std::pair(level.colourLayer().pixelAt(164, 100), level.colourLayer().pixelAt(228, 100)),
              std::pair(kWhite, noise(228, 100)));
    history.begin("everything");
    level.draw(
        [](Picture& colour, Picture&) { colour.fillRect(0, 0, 639, 639, kBlack); }); // far past the limit
    history.end();
    history.bytes();                    // its tiles packed: they count now
    history.setLimit(qint64(5 * tile)); // and the limit holds them, the newest step
    EXPECT_NEAR(double(history.bytes()), 100 * tile, tile);
    history.undo();
    EXPECT_EQ(level.colourLayer().pixelAt(16, 16), noise(16, 16));
}

TEST(Undo, OnlyWhatChangedIsRepaintedAndTheWheelScrolls) {
    TestEditor e(1000, 800);
    std::vector<QRect> repainted;
    QObject::connect(e.editor.get(), &Editor::pictureChanged, [&](ShownPicture p, QRect area) {
        if (p == ShownPicture::Viewport) repainted.push_back(area);
    });
    e.click({100, 100});                             // the disc's square in the brush's at round(57.5) = 58
    e->moveInViewport(Qt::NoButton, {}, {300, 200}); // the preview's disc
    e->moveInViewport(Qt::NoButton, {}, {310, 200}); // its old and new squares
    EXPECT_EQ(repainted, (std::vector<QRect>{{80, 80, 41, 41}, {280, 180, 41, 41}, {280, 180, 51, 41}}));
    // clang-format off
    for (auto [angle, modifiers, x, y] : {std::tuple{QPoint(0, -240), Qt::NoModifier, 0, 100},
             {QPoint(0, 120), Qt::NoModifier, 0, 50}, {QPoint(0, -120), Qt::ShiftModifier, 50, 50},
             {QPoint(-60, 0), Qt::NoModifier, 50, 50}, {QPoint(-60, 0), Qt::NoModifier, 100, 50}}) {
        // clang-format on
        e->wheelInViewport(angle, modifiers);
        EXPECT_EQ(QPoint(e->view().xOffset(), e->view().yOffset()), QPoint(x, y));
    }
}

// Resize Level at every anchor, larger and smaller: the level moved into black and nothing,
// one step that undo takes back exactly and redo brings again; the navigator, the thumbnail
// and the unsaved mark follow, and Level -> Map keeps the loaded map where the level went.
TEST(Undo, ResizeLevelAtEveryAnchorIsOneStep) {
    TestEditor e(30, 20);
    auto colourOf = [](int x, int y) { return rgb(x * 8 + 1, y * 12 + 1, 77); };
    auto materialOf = [](int x, int y) { return (x + y) % 3 ? kWall : rgb(0, 0, 255); };
    e.level().loadLayer(LevelDocument::kColourLayer, imageFrom(30, 20, colourOf));
    e.level().loadLayer(LevelDocument::kMaterialMap, imageFrom(30, 20, materialOf));
    e.level().setModified(false);
    const Layers before = layersOf(e.level());
    for (auto [size, columns, rows] : {std::tuple{QSize(37, 25), std::array{0, 3, 7}, std::array{0, 2, 5}},
                                       {QSize(23, 14), std::array{0, -3, -7}, std::array{0, -3, -6}}})
        for (int anchor = 0; anchor < 9; ++anchor) {
            e.ui.resizeScripts = {[&, wanted = size](ResizeLevelForm& f) {
                EXPECT_EQ(f.widthText(), "30");
                f.setWidthText(QString::number(wanted.width()));
                f.setHeightText(QString::number(wanted.height()));
                f.setAnchor(anchor);
                f.accept();
            }};
            e->resizeLevel();
            const QPoint shift(columns[size_t(anchor % 3)], rows[size_t(anchor / 3)]);
            auto from = [&](int x, int y, auto of, Colour outside) {
                const int ox = x - shift.x(), oy = y - shift.y();
                return ox >= 0 && oy >= 0 && ox < 30 && oy < 20 ? of(ox, oy) : outside;
            };
            ASSERT_EQ(e.level().size(), size);
            EXPECT_TRUE(pixelsAre(e.colour(), [&](int x, int y) { return from(x, y, colourOf, kBlack); }));
            EXPECT_TRUE(pixelsAre(e.map(), [&](int x, int y) { return from(x, y, materialOf, kBlack); }));
            // One step, in place of the one undone before.
            EXPECT_EQ(std::pair(e.level().history().steps(), e.level().isModified()), std::pair(1, true));
            const Layers after = layersOf(e.level());
            e.key(Qt::Key_Z, Qt::ControlModifier);
            EXPECT_TRUE(hasLayers(e.level(), before)) << anchor;
            e.key(Qt::Key_Y, Qt::ControlModifier);
            EXPECT_TRUE(hasLayers(e.level(), after)) << anchor;
            e.key(Qt::Key_Z, Qt::ControlModifier);
        }
    // The navigator takes the new proportions; the thumbnail shows the new level.
    auto thumbnail = [&] {
        e->showView(View::Shown::Thumbnail);
        e->showView(View::Shown::Level);
        return e->view().thumbnail().image();
    };
    const QImage thumbnailBefore = thumbnail();
    const int navigatorHeight = e->view().navigator().height();
    e.ui.resizeScripts = {[](ResizeLevelForm& f) { f.setWidthText("60"), f.setAnchor(8), f.accept(); }};
    e->resizeLevel();
    EXPECT_TRUE(e->view().navigator().height() < navigatorHeight && thumbnail() != thumbnailBefore);
    // Level -> Map clears to the loaded map, moved with the level: wall where it was wall.
    e.colour().fillRect(0, 0, 59, 19, kBlack);
    e->levelToMap();
    EXPECT_TRUE(pixelsAre(e.map(), [&](int x, int y) { return x < 30 ? kBlack : materialOf(x - 30, y); }));
    const Layers now = layersOf(e.level());
    e.ui.resizeScripts = {[](ResizeLevelForm& f) { f.setWidthText("5"), f.cancel(); }};
    e->resizeLevel(); // Cancel changes nothing
    EXPECT_TRUE(hasLayers(e.level(), now));
    for (int i = 0; i < 3; ++i)
        e.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(hasLayers(e.level(), before));
}
