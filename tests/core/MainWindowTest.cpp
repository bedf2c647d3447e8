#include "core/MainWindow.h"
#include "core/Layout.h"
#include "core/QtUserDialogs.h"
#include "support/TestEditor.h"
#include "view/SurfaceWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vortan;
using namespace vortan::test;

namespace {

struct ShownWindow {
    TestEditor e;
    MainWindow w{*e};
    explicit ShownWindow(const std::function<void(const QString&)>& writeFiles = {}) : e(writeFiles) {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
};

// An own folder with a level folder, and a game folder whose levels 0 to 8 exist.
struct GameFolder {
    QTemporaryDir game;
    std::function<void(const QString&)> writeFiles() {
        QDir(game.path()).mkpath("gameData/Gfx");
        for (const QString& name : {QString("Vortan.exe"), QString("gameData/Gfx/level0%1t.quox")})
            for (int n = 0; n < 9; ++n) {
                QFile f(game.filePath(name.arg(n)));
                EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            }
        return [this](const QString& own) {
            QDir(own).mkdir("levels");
            QFile f(own + "/gameFolder.txt");
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write((game.path() + "/").toUtf8());
        };
    }
};

} // namespace

TEST(Window, LaysOutTheControlsWithTheirCaptionsAndTooltips) {
    ShownWindow t;
    MainWindow& w = t.w;
    EXPECT_EQ(w.windowTitle(), "VORTAN Level Editor 1.0 - EMPTY");
    EXPECT_EQ(w.size(), QSize(760, 573));
    EXPECT_EQ(w.Frame1->geometry(), QRect(8, 0, 105, 412));

    struct Expected {
        QPushButton* button;
        const char* caption;
        int y;
        const char* tooltip;
    };
    const Expected buttons[] = {
        {w.Command2, "&New", 24, "Create a new empty level"},
        {w.Command3, "&Random", 48, "Create a new level with random content"},
        {w.Command5, "L&oad", 80, "Load a level from disk"},
        {w.saveLevel, "&Save", 104, "Save your level before it is to late!"},
        {w.Command6, "&Export", 136, "Make your level ready to play"},
        {w.Command4, "Le&vel -> Map", 168, ""},
        {w.Command7, "&Options", 200, "Change the name of your level"},
        {w.Command1, "&Help", 232, "View the Help file"},
    };
    for (const Expected& b : buttons) {
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->geometry(), QRect(16, b.y, 73, 25)) << b.caption;
        EXPECT_EQ(b.button->toolTip(), b.tooltip);
        EXPECT_EQ(b.button->parentWidget(), w.Frame1);
    }
    // Tab order starts with the buttons, top to bottom.
    QWidget* next = w.Command2;
    for (QPushButton* b :
         {w.Command3, w.Command5, w.saveLevel, w.Command6, w.Command4, w.Command7, w.Command1}) {
        next = next->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        EXPECT_EQ(next, b);
    }

    EXPECT_EQ(w.rValue->geometry(), QRect(8, 280, 30, 17));
    EXPECT_EQ(w.gValue->geometry(), QRect(38, 280, 30, 17));
    EXPECT_EQ(w.bValue->geometry(), QRect(67, 280, 30, 17));
    EXPECT_EQ(w.rValue->text(), "0 ");
    EXPECT_EQ(w.rValue->palette().color(QPalette::Window), QColor(255, 180, 180));
    EXPECT_EQ(w.gValue->toolTip(), "The Green portion of your current color");
    EXPECT_EQ(w.Brush->geometry(), QRect(8, 296, 89, 89));
    EXPECT_EQ(w.Brush->toolTip(), "Left Click = New color,  Right Click = Load Brush");
    EXPECT_FALSE(w.mapBrush->isVisible());
    EXPECT_EQ(w.Combo1->geometry(), QRect(8, 384, 89, 21));
    EXPECT_EQ(w.Combo1->toolTip(), "Choose the property of your brush");

    EXPECT_EQ(w.Thumb->geometry(), QRect(8, 416, 105, 85));
    EXPECT_EQ(w.Thumb->toolTip(), "Click to move around on your level");
    EXPECT_EQ(w.vPort[0]->text(), "&Level");
    EXPECT_TRUE(w.vPort[0]->isChecked());
    EXPECT_EQ(w.vPort[1]->text(), "&Map");
    EXPECT_EQ(w.vPort[2]->text(), "&Thumbnail");
    EXPECT_EQ(w.vPort[2]->toolTip(), "If you are in doubt, Click on 'Level'");
    EXPECT_EQ(w.vPort[0]->toolTip(), "This is where you do most of your drawing");
    EXPECT_EQ(w.zoomEnabled->text(), "&Zoom");
    EXPECT_FALSE(w.zoomEnabled->isChecked());
    EXPECT_EQ(w.zoomEnabled->geometry(), QRect(304, 8, 57, 17));
    EXPECT_FALSE(w.thumbNail->isVisible());
    EXPECT_EQ(w.thumbNail->geometry(), QRect(120, 24, 196, 181));
    // The viewport by the layout rule: the window's outer size less the margins.
    EXPECT_EQ(w.viewPort->geometry(), QRect(QPoint(120, 24), layoutViewPort(w.outerSize(), {825, 673})));
}

TEST(Window, ViewPortFollowsTheWindowAndRepaintsFromTheLevel) {
    ShownWindow t;
    t.e->Level[0].BoxFilled(0, 0, 820, 668, RGB(10, 20, 30));
    t.w.resize(500, 400);
    QCoreApplication::processEvents();
    const QSize outer = layoutViewPort(t.w.outerSize(), {825, 673});
    EXPECT_LT(outer.width(), 400);
    EXPECT_EQ(t.w.viewPort->size(), outer);
    EXPECT_EQ(t.e->viewPort.ScaleWidth(), outer.width() - 4);
    EXPECT_EQ(GetPixel(t.e->viewPort, outer.width() - 5, outer.height() - 5), RGB(10, 20, 30));
}

TEST(Window, ZoomBoxZoomsTheViewPort) {
    ShownWindow t;
    t.e->Level[0].PSet(0, 0, RGB(200, 0, 0));
    t.w.zoomEnabled->click();
    EXPECT_TRUE(t.e->controls.zoomTicked);
    EXPECT_EQ(GetPixel(t.e->viewPort, 5, 5), RGB(200, 0, 0));
    EXPECT_EQ(GetPixel(t.e->viewPort, 6, 0), kBlack);
}

TEST(Window, CloseAsksAboutUnsavedWorkAndCancelKeepsTheWindow) {
    ShownWindow t;
    t.e->unsavedChanges = true;
    t.e.ui.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(t.w.close());
    EXPECT_TRUE(t.w.isVisible());
    EXPECT_EQ(t.e.ui.messages.size(), 1u);
    t.e.ui.answers = {MsgAnswer::No};
    EXPECT_TRUE(t.w.close());
}

TEST(Window, BusyDisablesTheLevelCommandsAndDefersTheClose) {
    ShownWindow t;
    {
        Editor::CommandScope scope(*t.e);
        EXPECT_FALSE(t.w.Command2->isEnabled());
        EXPECT_FALSE(t.w.saveLevel->isEnabled());
        EXPECT_TRUE(t.w.Command1->isEnabled()); // Help changes nothing
        EXPECT_FALSE(t.w.viewPort->isEnabled());
        EXPECT_FALSE(t.w.close());
        EXPECT_TRUE(t.w.isVisible());
    }
    EXPECT_TRUE(t.w.Command2->isEnabled());
    QCoreApplication::processEvents(); // the waiting close goes through now
    EXPECT_FALSE(t.w.isVisible());
}

// After every command the keys reach the level again: one Right key scrolls the view.
TEST(Window, EveryCommandEndsWithTheKeysInTheViewPort) {
    GameFolder game;
    ShownWindow t(game.writeFiles());
    MainWindow& w = t.w;
    Editor& e = *t.e;
    ScriptedDialogs& ui = t.e.ui;
    const QString saved = t.e.folder.filePath("levels/kept.bmp");
    const struct {
        const char* command;
        std::function<void()> script;
        QWidget* clicked;
    } steps[] = {
        {"New", [&] { ui.newLevelScripts = {[](NewLevelForm& f) { f.okClick(); }}; }, w.Command2},
        {"Random", [] {}, w.Command3},
        {"Save", [&] { ui.choices = {ScriptedDialogs::Choice{saved}}; }, w.saveLevel},
        {"Load",
         [&] { ui.choices = {ScriptedDialogs::Choice{t.e.folder.filePath("levels/kept.level.bmp")}}; },
         w.Command5},
        {"cancelled Load", [&] { ui.choices = {std::nullopt}; }, w.Command5},
        {"Export",
         [&] { ui.choices = {ScriptedDialogs::Choice{game.game.filePath("gameData/Gfx/level09t.quox")}}; },
         w.Command6},
        {"Level -> Map", [] {}, w.Command4},
        {"Options", [&] { ui.optionsScripts = {[](OptionsForm& f) { f.okClick(); }}; }, w.Command7},
        {"Help", [] {}, w.Command1},
        {"map brush colour",
         [&] {
             ui.choices = {ScriptedDialogs::Choice{{}, kPlatformFS}};
         },
         w.mapBrush},
        {"cancelled colour", [&] { ui.choices = {std::nullopt}; }, w.Brush},
    };
    for (const auto& step : steps) {
        if (step.clicked == w.mapBrush) QTest::mouseClick(w.vPort[1], Qt::LeftButton);
        if (step.clicked == w.Brush) QTest::mouseClick(w.vPort[0], Qt::LeftButton);
        e.unsavedChanges = false;
        step.script();
        QTest::mouseClick(step.clicked, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCoreApplication::processEvents();
        EXPECT_TRUE(ui.choices.empty()) << step.command;
        e.updateViewPort(0, 0);
        ASSERT_EQ(QApplication::focusWidget(), w.viewPort) << step.command;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        EXPECT_GT(e.viewPortXoff, 0) << step.command;
    }
    EXPECT_EQ(ui.beeps, 1); // the export went through
}

// While a command yields, nothing that starts another one or changes what it works on
// takes a click: no view switch, zoom, material, scroll, brush or rename in between.
TEST(Window, NothingElseTakesInputWhileACommandRuns) {
    GameFolder game;
    ShownWindow t(game.writeFiles());
    MainWindow& w = t.w;
    Editor& e = *t.e;
    bool clicked = false;
    e.yieldHook = [&] {
        if (!clicked) {
            clicked = true;
            for (QWidget* input :
                 std::initializer_list<QWidget*>{w.vPort[1], w.vPort[2], w.zoomEnabled, w.Combo1, w.Thumb,
                                                 w.Brush, w.mapBrush, w.Command7})
                QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
            QTest::keyClick(w.Combo1, Qt::Key_Down);
        }
        QCoreApplication::processEvents();
    };
    e.updateViewPort(100, 100);
    for (QPushButton* command : {w.Command4, w.Command6}) {
        clicked = false;
        t.e.ui.choices = {ScriptedDialogs::Choice{game.game.filePath("gameData/Gfx/level09t.quox")}};
        QTest::mouseClick(command, Qt::LeftButton);
        EXPECT_TRUE(clicked);
        EXPECT_EQ(e.controls.viewOption, 0);
        EXPECT_EQ(e.layerIndex, 0);
        EXPECT_FALSE(e.controls.zoomTicked);
        EXPECT_EQ(e.currentMaterial, kWall);
        EXPECT_EQ(e.viewPortXoff, 100);
        EXPECT_TRUE(w.vPort[2]->isEnabled());
    }
    EXPECT_EQ(t.e.ui.dialogsShown.size(), 1u); // the export's own dialog, no colour or brush dialog
}

TEST(Window, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtUserDialogs::nameFilters("Pictures (*.bmp;*.gif)|*.bmp;*.gif"),
              QStringList{"Pictures (*.bmp *.gif)"});
    EXPECT_EQ(QtUserDialogs::nameFilters("Level|*.level.bmp|All|*.*"),
              (QStringList{"Level (*.level.bmp)", "All (*.*)"}));
    EXPECT_TRUE(QtUserDialogs::nameFilters("").isEmpty());
}

TEST(Window, MouseAndKeysReachTheEditorAsItsCodes) {
    ShownWindow t;
    MainWindow& w = t.w;
    // A left press in the viewport paints the brush under the pointer (inside the frame).
    QTest::mouseClick(w.viewPort, Qt::LeftButton, Qt::NoModifier, QPoint(2 + 200, 2 + 150));
    EXPECT_EQ(GetPixel(t.e->Level[0], 200, 150), RGB(55, 100, 120));
    EXPECT_TRUE(t.e->unsavedChanges);
    // Keys: Shift+E still chooses Explosive; keypad 6 sets the size 22; Backspace undoes.
    w.viewPort->setFocus();
    QTest::keyClick(w.viewPort, Qt::Key_E, Qt::ShiftModifier);
    EXPECT_EQ(t.e->currentMaterial, kExplosive);
    EXPECT_EQ(w.Combo1->currentText(), "Explosive!");
    QTest::keyClick(w.viewPort, Qt::Key_6, Qt::KeypadModifier);
    EXPECT_EQ(t.e->brushSize, 22);
    QTest::keyClick(w.viewPort, Qt::Key_Backspace);
    EXPECT_EQ(GetPixel(t.e->Level[0], 200, 150), kBlack);
    // Choosing from the list.
    w.Combo1->setCurrentIndex(2);
    emit w.Combo1->activated(2);
    EXPECT_EQ(t.e->currentMaterial, kWater);
}

TEST(Window, ViewButtonsSwapTheViewPortAndTheThumbnail) {
    ShownWindow t;
    MainWindow& w = t.w;
    w.vPort[2]->click();
    EXPECT_FALSE(w.viewPort->isVisible());
    EXPECT_TRUE(w.thumbNail->isVisible());
    EXPECT_FALSE(w.zoomEnabled->isVisible());
    w.vPort[1]->click();
    EXPECT_TRUE(w.viewPort->isVisible());
    EXPECT_TRUE(w.mapBrush->isVisible());
    EXPECT_FALSE(w.Brush->isVisible());
    EXPECT_EQ(t.e->layerIndex, 1);
}
