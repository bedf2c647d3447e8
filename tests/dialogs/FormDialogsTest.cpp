#include "dialogs/FormDialogs.h"
#include "support/TestEditor.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vortan;
using namespace vortan::test;

TEST(NewLevelDialogWidgets, ShowsTheFormAndHandsItTheEdits) {
    TestEditor e;
    NewLevelDialog d(e->newLevelForm, nullptr);
    d.show();
    EXPECT_EQ(d.windowTitle(), "New Level");
    EXPECT_EQ(d.size(), QSize(402, 213));
    EXPECT_EQ(d.Text1->text(), "Type the name of the level here");
    EXPECT_TRUE(d.Text1->hasSelectedText());
    EXPECT_EQ(d.Text4->text(), " 983040");
    EXPECT_TRUE(d.Text4->isReadOnly());

    d.Text2->clear();
    QTest::keyClicks(d.Text2, "1500");
    d.Text3->selectAll();
    QTest::keyClicks(d.Text3, "600");
    EXPECT_EQ(d.Text4->text(), " 900000");
    EXPECT_EQ(e->newLevelForm.text2(), "1500");

    QTest::keyClicks(d.Text1, "Deep");
    QTest::keyClick(d.Text1, Qt::Key_Return); // Enter presses OK
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(e->levelName, "Deep");
    EXPECT_EQ(e->xRes, 1500);
    EXPECT_EQ(e->yRes, 600);
}

TEST(NewLevelDialogWidgets, EscapeAndTheCloseBoxCancel) {
    TestEditor e;
    {
        NewLevelDialog d(e->newLevelForm, nullptr);
        d.show();
        e->didCancel = false;
        QTest::keyClick(d.Text2, Qt::Key_Escape);
        EXPECT_TRUE(e->didCancel);
    }
    NewLevelDialog d(e->newLevelForm, nullptr);
    d.show();
    e->didCancel = false;
    d.close();
    EXPECT_TRUE(e->didCancel);
}

TEST(NewLevelDialogWidgets, ARefusedOkKeepsTheDialogOpen) {
    TestEditor e;
    NewLevelDialog d(e->newLevelForm, nullptr);
    d.show();
    d.Text2->selectAll();
    QTest::keyClicks(d.Text2, "wide");
    e.ui.answers = {MsgAnswer::OK};
    d.OKButton->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(e.ui.messages.size(), 1u);
}

TEST(OptionsDialogWidgets, StartsFromTheCurrentName) {
    TestEditor e;
    e->levelName = "Castle";
    OptionsDialog d(e->optionsForm, nullptr);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_EQ(d.Text1->text(), "Castle");
    d.Text1->selectAll();
    QTest::keyClicks(d.Text1, " Vault ");
    QTest::keyClick(d.Text1, Qt::Key_Enter);
    EXPECT_EQ(e->levelName, "Vault");
}
