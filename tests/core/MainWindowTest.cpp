#include "core/MainWindow.h"
#include "core/Layout.h"
#include "core/QtUserDialogs.h"
#include "support/TestEditor.h"
#include "view/SurfaceWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
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
    ShownWindow() {
        w.show();
        QCoreApplication::processEvents();
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
        EXPECT_TRUE(t.w.Command7->isEnabled());
        EXPECT_FALSE(t.w.viewPort->isEnabled());
        EXPECT_FALSE(t.w.close());
        EXPECT_TRUE(t.w.isVisible());
    }
    EXPECT_TRUE(t.w.Command2->isEnabled());
    QCoreApplication::processEvents(); // the waiting close goes through now
    EXPECT_FALSE(t.w.isVisible());
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
