#include "app/MainWindow.h"
#include "app/QtUserDialogs.h"
#include "app/ToolStrip.h"
#include "core/Layout.h"
#include "dialogs/FormDialogs.h"
#include "support/TestEditor.h"
#include "view/PictureWidget.h"

#include <QTest>
#include <QtWidgets>

using namespace vortan::test;

// The window of an editor that remembers a game holding levels 0 to 8.
struct Window : ::testing::Test {
    GameOnDisk game{8};
    TestEditor e{game.remembered()};
    MainWindow w{*e};
    Window() {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
};

// A drag of these files over the window: whether the window takes it.
static bool takesDrag(MainWindow& w, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    std::transform(paths.begin(), paths.end(), std::back_inserter(urls), QUrl::fromLocalFile);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    QCoreApplication::processEvents(); // the load runs once the drop has ended
    return drop.isAccepted();
}

static void type(std::initializer_list<std::pair<QLineEdit*, QString>> edits) {
    for (const auto& [edit, text] : edits) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
}

TEST_F(Window, LaysOutTheControlsWithTheirCaptionsAndTooltips) {
    EXPECT_EQ(std::tuple(w.windowTitle(), w.toolColumn->geometry(), w.windowIcon().cacheKey()),
              std::tuple(QString("VORTAN Level Editor 1.0 - EMPTY"), QRect(8, 0, 105, 412),
                         QApplication::windowIcon().cacheKey()));
    EXPECT_EQ(QApplication::windowIcon().pixmap(64).toImage().pixelColor(32, 24), QColor(0, 0, 0));
    const std::tuple<QWidget*, QRect, const char*, const char*> controls[] = {
        {w.newButton, {16, 24, 73, 25}, "&New", "Create a new empty level (Ctrl+N, Alt+N)"},
        {w.randomButton, {16, 48, 73, 25}, "&Random", "Create a new level with random content (Alt+R)"},
        {w.loadButton, {16, 80, 73, 25}, "L&oad", "Load a level from disk (Ctrl+O)"},
        {w.saveButton, {16, 104, 73, 25}, "&Save", "Save your level before it is to late! (Alt+S)"},
        {w.exportButton, {16, 136, 73, 25}, "&Export", "Make your level ready to play (Alt+E)"},
        {w.levelToMapButton, {16, 168, 73, 25}, "Le&vel -> Map", "Everything not black becomes wall (Alt+V)"},
        {w.optionsButton, {16, 200, 73, 25}, "&Options", "Change the name of your level"},
        {w.helpButton, {16, 232, 73, 25}, "&Help", "View the Help file (F1, Alt+H)"},
        {w.redLabel, {8, 280, 30, 17}, "0 ", "The Red portion of your current color"},
        {w.greenLabel, {38, 280, 30, 17}, "0 ", "The Green portion of your current color"},
        {w.blueLabel, {67, 280, 30, 17}, "0 ", "The Blue portion of your current color"},
        {w.colourBrush, {8, 296, 89, 89}, "", "Left Click = New color,  Right Click = Load Brush"},
        {w.materialList, {8, 384, 89, 21}, "Wall", "Choose the property of your brush"},
        {w.navigator, {8, 416, 105, 85}, "", "Click to move around on your level"},
        {w.viewButtons[0], {120, 8, 57, 17}, "&Level", "This is where you do most of your drawing (Alt+L)"},
        {w.viewButtons[1], {176, 8, 57, 17}, "&Map", "If you are in doubt, Click on 'Level' (Alt+M)"},
        {w.viewButtons[2], {232, 8, 72, 17}, "&Thumbnail", "If you are in doubt, Click on 'Level' (Alt+T)"},
        {w.zoomBox, {304, 8, 57, 17}, "&Zoom", "Edit single pixels, six times larger (Alt+Z)"},
        {w.materialsBox,
         {372, 8, 76, 17},
         "Materials",
         "Show the materials over the colours in the Level view (V), at 50 % (Shift+V: 25, 50 or 75 %)"},
        {w.thumbnail, {120, 24, 196, 181}, "", ""},
    };
    QWidget* previous = nullptr;
    for (const auto& [widget, geometry, caption, tooltip] : controls) {
        const QVariant shown = widget->property(widget == w.materialList ? "currentText" : "text");
        EXPECT_EQ(std::tuple(widget->geometry(), widget->toolTip(), shown.toString()),
                  std::tuple(geometry, QString(tooltip), QString(caption)));
        // The tab order runs down the command buttons.
        EXPECT_TRUE(widget == w.newButton || geometry.x() != 16 || previous->nextInFocusChain() == widget);
        previous = widget;
    }
    EXPECT_EQ(w.redLabel->palette().color(QPalette::Window), QColor(255, 180, 180));
    EXPECT_TRUE(w.viewButtons[0]->isChecked() && !w.materialBrush->isVisible() && !w.thumbnail->isVisible());
    EXPECT_EQ(w.viewport->geometry(), QRect(QPoint(120, 24), viewportOuterSize(w.outerSize(), {825, 673})));
    // A smaller window: the viewport follows it and shows the level again.
    e.colour().fillRect(0, 0, 820, 668, rgb(10, 20, 30));
    w.resize(500, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.viewport->size(), viewportOuterSize(w.outerSize(), {825, 673}));
    EXPECT_EQ(e.viewport().pixelAt(e.viewport().width() - 1, 5), rgb(10, 20, 30));
}

// Through the window: a drag from the viewport's frame paints nothing, nor does one after Backspace.
TEST_F(Window, InputReachesTheEditorAndNoStrokeOutlivesItsStep) {
    auto mouse = [&](QEvent::Type type, QPoint inside, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF at(inside + QPoint(kFrame, kFrame));
        QMouseEvent event(type, at, w.viewport->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(w.viewport, &event);
    };
    const QImage fresh = e.colour().image().copy();
    mouse(QEvent::MouseButtonPress, {-1, 40}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {60, 60}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(sameImage(fresh, e.colour().image()));
    mouse(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, {120, 100}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(e.colour().pixelAt(120, 100), kStart);
    QTest::keyClick(w.viewport, Qt::Key_Backspace);
    mouse(QEvent::MouseMove, {150, 150}, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {150, 150}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(sameImage(fresh, e.colour().image()));
    // Mouse, keys and buttons reach the editor.
    QTest::mouseClick(w.viewport, Qt::LeftButton, Qt::NoModifier, QPoint(2 + 200, 2 + 150));
    EXPECT_EQ(e.colour().pixelAt(200, 150), kStart);
    w.viewport->setFocus();
    QTest::keyClick(w.viewport, Qt::Key_6, Qt::KeypadModifier);
    emit w.materialList->activated(2);
    EXPECT_EQ(std::pair(e->brush().radius(), e->brush().material()), std::pair(22, kWater));
    w.viewButtons[2]->click();
    EXPECT_FALSE(w.viewport->isVisible() || w.zoomBox->isVisible());
    w.viewButtons[1]->click();
    EXPECT_TRUE(w.materialBrush->isVisible() && !w.colourBrush->isVisible() && e->view().shownLayer() == 1);
    // The tool strip beside the Zoom box: a click chooses a tool, and so does its key.
    EXPECT_EQ(
        std::tuple(w.toolStrip->geometry(), w.toolStrip->buttons.size(), w.toolStrip->buttons[3]->toolTip()),
        std::tuple(QRect(452, 3, 140, 19), size_t(7),
                   QString("Filled rectangle: drag from corner to corner (Shift+R)")));
    w.toolStrip->buttons[1]->click();
    EXPECT_EQ(e->chosenTool(), "Line");
    QTest::keyClick(w.viewport, Qt::Key_O, Qt::ShiftModifier);
    EXPECT_TRUE(w.toolStrip->buttons[5]->isChecked() && !w.toolStrip->buttons[1]->isChecked());
    // Closing asks about the unsaved work; Cancel keeps the window.
    e.ui.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_TRUE(!w.close() && w.close());
}

TEST_F(Window, EveryCommandEndsWithTheKeysInTheViewport) {
    ScriptedDialogs& ui = e.ui;
    auto choose = [&](std::optional<ScriptedDialogs::Choice> c) { return [&ui, c] { ui.choices = {c}; }; };
    auto file = [](const QString& path) { return ScriptedDialogs::Choice{path}; };
    const std::tuple<const char*, std::function<void()>, QWidget*> steps[] = {
        {"New", [&] { ui.newLevelScripts = {[](NewLevelForm& f) { f.accept(); }}; }, w.newButton},
        {"Random", [] {}, w.randomButton},
        {"Save", choose(file(e.folder.filePath("levels/kept.bmp"))), w.saveButton},
        {"Load", choose(file(e.folder.filePath("levels/kept.level.bmp"))), w.loadButton},
        {"cancelled Load", choose(std::nullopt), w.loadButton},
        {"Export", choose(file(game.gfx + "level09t.quox")), w.exportButton},
        {"Level -> Map", [] {}, w.levelToMapButton},
        {"Options", [&] { ui.optionsScripts = {[](OptionsForm& f) { f.accept(); }}; }, w.optionsButton},
        {"Help", [] {}, w.helpButton},
        {"map brush colour", choose(ScriptedDialogs::Choice{{}, kPlatformFS}), w.materialBrush},
        {"cancelled colour", choose(std::nullopt), w.colourBrush},
    };
    for (const auto& [command, script, clicked] : steps) {
        if (clicked == w.materialBrush) QTest::mouseClick(w.viewButtons[1], Qt::LeftButton);
        if (clicked == w.colourBrush) QTest::mouseClick(w.viewButtons[0], Qt::LeftButton);
        e.level().setModified(false);
        script();
        QTest::mouseClick(clicked, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCoreApplication::processEvents();
        EXPECT_TRUE(ui.choices.empty()) << command;
        e->view().scrollTo(e.level(), 0, 0);
        ASSERT_EQ(QApplication::focusWidget(), w.viewport) << command;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        EXPECT_GT(e->view().xOffset(), 0) << command;
    }
    EXPECT_EQ(ui.beeps, 1); // the export went through
    EXPECT_EQ(e->brush().material(), kPlatformFS);
}

// While a command yields, nothing that starts another one or changes what it works on takes a click.
TEST_F(Window, NothingElseTakesInputWhileACommandRuns) {
    bool clicked = false;
    e->setYieldHook([&] {
        if (!clicked) {
            clicked = true;
            for (QWidget* input : std::initializer_list<QWidget*>{
                     w.viewButtons[1], w.viewButtons[2], w.zoomBox, w.materialList, w.navigator,
                     w.colourBrush, w.materialBrush, w.optionsButton})
                QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            QTest::keyClick(w.materialList, Qt::Key_Down);
        }
        QCoreApplication::processEvents();
    });
    e->view().scrollTo(e.level(), 100, 100);
    for (QPushButton* command : {w.levelToMapButton, w.exportButton}) {
        clicked = false;
        e.choose(game.gfx + "level09t.quox");
        QTest::mouseClick(command, Qt::LeftButton);
        EXPECT_EQ(std::tuple(clicked, e->view().shown(), e->view().zoomed(), e->brush().material(),
                             e->view().xOffset()),
                  std::tuple(true, View::Shown::Level, false, kWall, 100));
        EXPECT_TRUE(w.viewButtons[2]->isEnabled());
    }
    EXPECT_EQ(e.ui.dialogsShown.size(), 1u); // the export's own dialog, no colour or brush dialog
}

// Ctrl+N, Ctrl+O and F1 do what their buttons do, Ctrl+R resizes; Ctrl+Q asks about unsaved
// work, kept by Cancel.
TEST_F(Window, ShortcutsStartNewLoadHelpAndClosing) {
    e.level().setModified(true);
    e.ui.answers = {MsgAnswer::No, MsgAnswer::No, MsgAnswer::Cancel};
    e.ui.newLevelScripts = {[](NewLevelForm& f) { f.cancel(); }};
    e.ui.resizeScripts = {[](ResizeLevelForm& f) {
        f.setWidthText("900");
        f.accept();
    }};
    e.ui.choices = {std::nullopt};
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O, QKeyCombination(Qt::Key_F1),
                                      Qt::CTRL | Qt::Key_R, Qt::CTRL | Qt::Key_Q})
        QTest::keyClick(w.viewport, key.key(), key.keyboardModifiers());
    EXPECT_TRUE(e.ui.answers.empty() && e.ui.newLevelScripts.empty() && e.ui.choices.empty() &&
                e.ui.resizeScripts.empty());
    EXPECT_EQ(e.level().size(), QSize(900, 669));
    EXPECT_EQ(std::pair(e.ui.openedDocuments.size(), w.isVisible()), std::pair(size_t(1), true));
}

TEST_F(Window, ADroppedLevelLoadsAsLoadWould) {
    e.newLevel(60, 40);
    e.map().fillRect(5, 5, 20, 20, kWater);
    const QImage map = e.map().image();
    ASSERT_TRUE(e.saveAs(e.folder.filePath("levels/Dropped 2.5")));
    const QString member = e.folder.filePath("levels/Dropped 2.5.map.bmp"),
                  notes = e.folder.filePath("a.txt");
    writeFile(notes, "x");
    e.newLevel(30, 30);
    e.level().setModified(true);
    for (const QStringList& refused : {QStringList{notes}, {member, member}, {e.folder.filePath("gone.bmp")}})
        EXPECT_FALSE(takesDrag(w, refused));
    e.ui.answers = {MsgAnswer::Cancel, MsgAnswer::No};
    EXPECT_TRUE(takesDrag(w, {member}) && e.level().width() == 30); // the user kept the level
    EXPECT_TRUE(takesDrag(w, {member}));
    EXPECT_TRUE(sameImage(map, e.map().image()));
    EXPECT_EQ(std::tuple(e.ui.messages.size(), w.windowTitle(), e.level().isModified(),
                         QApplication::focusWidget()),
              std::tuple(2u, QString("VORTAN Level Editor 1.0 - Dropped 2.5"), false,
                         (QWidget*)w.viewport)); // asked each time
}

TEST(QtDialogs, HelpOpensWithoutABrowserAndFiltersBecomeQtNameFilters) {
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH"), opened = bin.filePath("opened").toLocal8Bit();
    const QString page = QCoreApplication::applicationDirPath() + "/Help.htm";
    auto openWith = [&](const QByteArray& script) { // no script: no xdg-open at all
        QFile::remove(bin.filePath("xdg-open"));
        if (!script.isEmpty()) writeFile(bin.filePath("xdg-open"), "#!/bin/sh\n" + script + "\n");
        QFile::setPermissions(bin.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", bin.path().toLocal8Bit() + (script.isEmpty() ? "" : ":" + path));
        auto ui = std::make_unique<QtUserDialogs>();
        ui->openDocument(page);
        for (int i = 0; i < 500 && !QFileInfo::exists(opened) && !ui->helpWindow(); ++i)
            QTest::qWait(10);
        QTest::qWait(50);
        qputenv("PATH", path);
        return ui;
    };
    EXPECT_FALSE(openWith("echo \"$1\" > " + opened)->helpWindow());
    EXPECT_EQ(readFile(opened).trimmed(), page.toLocal8Bit());
    QFile::remove(opened);
    for (const QByteArray& script : {QByteArray("exit 3"), QByteArray()}) {
        const auto ui = openWith(script);
        const std::unique_ptr<QTextBrowser> help(ui->helpWindow());
        ASSERT_TRUE(help && help->isVisible()) << script.toStdString();
        EXPECT_EQ(help->windowTitle() + help->source().toString(),
                  "VORTAN Level Editor Help" + QUrl::fromLocalFile(page).toString());
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(help.get(), Qt::Key_Tab); // to the seventh link of the contents, "#keys"
        QTest::keyClick(help.get(), Qt::Key_Return);
        EXPECT_TRUE(help->source().fragment() == "keys" && help->verticalScrollBar()->value() > 0);
    }
    // File filters become Qt's name filters.
    EXPECT_EQ(QtUserDialogs::nameFilters("Pictures (*.bmp;*.gif)|*.bmp;*.gif"),
              QStringList{"Pictures (*.bmp *.gif)"});
    EXPECT_EQ(QtUserDialogs::nameFilters("Level|*.level.bmp|All|*.*"),
              (QStringList{"Level (*.level.bmp)", "All (*.*)"}));
}

TEST(FormDialogs, ResizeLevelTakesTheSizeAndTheAnchor) {
    ScriptedDialogs ui;
    ResizeLevelForm form(ui, 24ll << 30);
    form.begin({821, 669});
    ResizeLevelDialog d(form, nullptr);
    d.show();
    EXPECT_EQ(std::tuple(d.windowTitle(), d.size(), d.sizeField->text(), d.anchorButtons[4]->isChecked()),
              std::tuple(QString("Resize Level"), QSize(402, 213), QString(" 549249"), true));
    type({{d.widthEdit, "1000"}, {d.heightEdit, "700"}});
    d.anchorButtons[8]->click();
    EXPECT_EQ(d.sizeField->text(), " 700000");
    d.okButton->click();
    EXPECT_TRUE(!d.isVisible() && form.accepted());
    EXPECT_EQ(std::pair(form.chosenSize(), form.shift()), std::pair(QSize(1000, 700), QPoint(179, 31)));
}

TEST(FormDialogs, ShowTheFormsAndHandThemTheEdits) {
    ScriptedDialogs ui;
    ScriptedRandom random;
    NewLevelForm form(ui, random, 24ll << 30);
    NewLevelDialog d(form, nullptr);
    d.show();
    EXPECT_EQ(std::tuple(d.windowTitle(), d.size(), d.sizeField->text()),
              std::tuple(QString("New Level"), QSize(402, 213), QString(" 983040")));
    EXPECT_TRUE(d.nameEdit->hasSelectedText()); // typing replaces the proposed name
    type({{d.widthEdit, "wide"}});
    ui.answers = {MsgAnswer::OK};
    d.okButton->click();
    EXPECT_TRUE(d.isVisible()); // refused: the dialog stays
    type({{d.widthEdit, "1500"}, {d.heightEdit, "600"}, {d.nameEdit, "Deep"}});
    EXPECT_EQ(d.sizeField->text(), " 900000");
    // The warning comes up over the size that caused it, in a field that takes no typing.
    QStringList shownWithWarning;
    ui.whileMessageShows = [&](const ScriptedDialogs::Message&) { shownWithWarning << d.sizeField->text(); };
    ui.answers = {MsgAnswer::OK, MsgAnswer::OK, MsgAnswer::OK};
    type({{d.heightEdit, "2000"}});            // 1500 x 2 ... x 2000: the warning at 1500 x 2000
    random.draws = {0.99f, 0.99f, 0.0f, 0.0f}; // 2026 x 2000, 2026 x 1113, then 640 x 480
    d.randomSizeButton->click();
    EXPECT_TRUE(shownWithWarning == QStringList({" 3000000", " 4052000", " 2254938"}) &&
                !d.sizeField->isEnabled())
        << shownWithWarning.join(',').toStdString();
    ui.whileMessageShows = {};
    type({{d.widthEdit, "1500"}, {d.heightEdit, "600"}});
    QTest::keyClick(d.nameEdit, Qt::Key_Return); // Enter presses OK
    EXPECT_EQ(std::tuple(d.result(), form.chosenName(), form.chosenSize()),
              std::tuple(int(QDialog::Accepted), QString("Deep"), QSize(1500, 600)));
    NewLevelDialog again(form, nullptr);
    again.show();
    QTest::keyClick(again.widthEdit, Qt::Key_Escape);
    EXPECT_FALSE(form.accepted());
}

// Zoomed out, the viewport samples the level at once; the window makes the reduced copies
// between its other work, and then shows their means.
TEST_F(Window, ZoomedOutTheViewportShowsTheMeansOnceTheWindowMadeThem) {
    e.newLevel(3000, 2400);
    e.level().loadLayer(LevelDocument::kColourLayer,
                        imageFrom(3000, 2400, [](int x, int y) { return (x + y) % 2 ? kWhite : kBlack; }));
    e.key('-');
    ASSERT_EQ(e->view().scaleName(), "1/2");
    auto middle = [&] { return w.viewport->grab().toImage().pixel(w.viewport->rect().center()); };
    EXPECT_EQ(middle(), qRgb(0, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !e->view().makingReducedCopies(); }));
    EXPECT_EQ(middle(), qRgb(127, 127, 127));
}

// The Materials box and V show the map over the colours on screen: Wall at 50 % over grey.
TEST_F(Window, TheMaterialsBoxShowsTheMapOverTheColoursOnScreen) {
    e.newLevel(3000, 2400);
    e.colour().fillRect(20, 20, 200, 200, rgb(100, 100, 100));
    e.map().fillRect(20, 20, 200, 100, kWall);
    auto shown = [&](int x, int y) { return w.viewport->grab().toImage().pixel(x + kFrame, y + kFrame); };
    EXPECT_EQ(std::pair(shown(50, 50), shown(50, 150)), std::pair(qRgb(100, 100, 100), qRgb(100, 100, 100)));
    w.materialsBox->click();
    EXPECT_TRUE(w.materialsBox->isChecked() && w.viewport->hasFocus());
    EXPECT_EQ(std::pair(shown(50, 50), shown(50, 150)), std::pair(qRgb(178, 50, 50), qRgb(100, 100, 100)));
    QTest::keyClick(w.viewport, Qt::Key_V, Qt::ShiftModifier);
    EXPECT_EQ(shown(50, 50), qRgb(216, 25, 25)); // 75 %
    // Zoomed out, the means of the colours as shown, once the window made them.
    QTest::keyClick(w.viewport, Qt::Key_V, Qt::ShiftModifier); // 25 %, then 50 % again
    QTest::keyClick(w.viewport, Qt::Key_V, Qt::ShiftModifier);
    QTest::keyClick(w.viewport, Qt::Key_Minus);
    ASSERT_EQ(e->view().scaleName(), "1/2");
    EXPECT_EQ(shown(25, 50), qRgb(100, 100, 100)); // sampled at first: level row 101
    EXPECT_TRUE(QTest::qWaitFor([&] { return !e->view().makingReducedCopies(); }));
    EXPECT_EQ(std::pair(shown(25, 25), shown(25, 50)), std::pair(qRgb(178, 50, 50), qRgb(139, 75, 75)));
    e.map().fillRect(20, 150, 200, 180, rgb(0, 0, 255)); // water, brought into the copies at once
    EXPECT_EQ(shown(25, 80), qRgb(50, 50, 178));
    QTest::keyClick(w.viewport, Qt::Key_V);
    EXPECT_FALSE(w.materialsBox->isChecked());
    EXPECT_EQ(shown(25, 50), qRgb(100, 100, 100));
    // In the Map view the box waits, greyed.
    w.viewButtons[1]->click();
    EXPECT_TRUE(w.materialsBox->isVisible() && !w.materialsBox->isEnabled());
}
