#include "support/ImageCompare.h"
#include "support/ScriptedRandom.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

TEST(DialogNumbers, ReadAndWriteNumbersAsTheFieldsDo) {
    EXPECT_EQ(leadingValue("  12abc"), 12);
    EXPECT_EQ(leadingValue(""), 0);
    EXPECT_EQ(leadingValue("abc"), 0);
    EXPECT_EQ(leadingValue(" 983040"), 983040);
    EXPECT_EQ(leadingValue("1.5e3x"), 1500);
    EXPECT_EQ(leadingValue("-7"), -7);
    EXPECT_EQ(spacedNumber(1280), " 1280");
    EXPECT_EQ(spacedNumber(-3), "-3");
    EXPECT_EQ(spacedNumber(983040), " 983040");
    EXPECT_EQ(trimBlanks("  Cave  "), "Cave");
}

TEST(NewLevelForm, SizeFollowsTheFieldsWithItsColours) {
    TestEditor e;
    NewLevelForm& f = e->newLevelForm;
    EXPECT_EQ(f.text1(), "Type the name of the level here");
    EXPECT_EQ(f.text4(), " 983040");
    EXPECT_EQ(f.text4Back(), RGB(255, 255, 0));

    f.setText2("1500");
    f.setText3("600");
    EXPECT_EQ(f.text4(), " 900000");
    EXPECT_EQ(f.text4Back(), kWhite);
    f.setText3("601");
    EXPECT_EQ(f.text4(), " 901500");
    EXPECT_EQ(f.text4Back(), RGB(255, 255, 0));
    EXPECT_TRUE(e.ui.messages.empty());

    e.ui.answers = {MsgAnswer::Cancel};
    f.setText2("2048");
    f.setText3("1024");
    EXPECT_EQ(f.text4(), " 2097152");
    EXPECT_EQ(f.text4Back(), RGB(255, 0, 0));
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0].title, "Level to large!");
    EXPECT_EQ(e.ui.messages[0].text, "VORTAN will not load levels larger than 2MB!");
    EXPECT_EQ(e.ui.messages[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(f.text3(), "1024"); // the values stay as typed
}

TEST(NewLevelForm, TheLargestDrawStaysInTheRange) {
    TestEditor e;
    const float largest = std::nextafter(1.0f, 0.0f); // 0.99999994
    e->random.reset(new ScriptedRandom({0.0f, largest}));
    e->newLevelForm.command2Click();
    EXPECT_EQ(e->newLevelForm.text2(), " 640");
    EXPECT_EQ(e->newLevelForm.text3(), " 1119");
}

TEST(NewLevelForm, RandomSizeEndsBelowTwoMillionAndKeepsTheName) {
    TestEditor e;
    auto* r = new ScriptedRandom({0.9375f, 0.9375f, 0.5f, 0.125f});
    e->random.reset(r);
    NewLevelForm& f = e->newLevelForm;
    f.setText1("Mine");
    // 1952 x 1080 = 2108160: the warning shows between the draws, then a new round.
    e.ui.answers = {MsgAnswer::OK};
    f.command2Click();
    EXPECT_EQ(r->drawn, 4);
    EXPECT_EQ(f.text2(), " 1340");
    EXPECT_EQ(f.text3(), " 560");
    EXPECT_EQ(f.text4(), " 750400");
    EXPECT_EQ(f.text4Back(), kWhite);
    EXPECT_EQ(f.text1(), "Mine");
    EXPECT_EQ(e.ui.messages.size(), 1u);
}

TEST(NewCommand, OkMakesAnEmptyFramedLevel) {
    TestEditor e;
    e->unsavedChanges = false;
    e.ui.newLevelScripts = {[](NewLevelForm& f) {
        f.setText1("  Cave  ");
        f.setText2("120");
        f.setText3("80");
        EXPECT_TRUE(f.okClick());
    }};
    e->Command2_Click();
    EXPECT_EQ(e->levelName, "Cave");
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - Cave");
    EXPECT_EQ(e->xRes, 120);
    EXPECT_EQ(e->Level[0].ScaleWidth(), 120);
    EXPECT_EQ(e->Level[1].ScaleHeight(), 80);
    EXPECT_EQ(GetPixel(e->Level[1], 0, 0), kWall);
    EXPECT_EQ(GetPixel(e->Level[1], 50, 40), kBlack);
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);
    EXPECT_TRUE(e->controls.viewPortEnabled);

    // The next New shows what was left in the dialog.
    e.ui.answers = {MsgAnswer::No};
    e.ui.newLevelScripts = {[](NewLevelForm& f) {
        EXPECT_EQ(f.text1(), "  Cave  ");
        EXPECT_EQ(f.text2(), "120");
        f.cancelClick();
    }};
    e->Command2_Click();
}

TEST(NewCommand, CancelKeepsEverything) {
    TestEditor e;
    e->createEmpty(100, 70);
    e->levelName = "Old";
    e->unsavedChanges = false;
    const QImage level = e->Level[0].Image();
    e.ui.newLevelScripts = {[](NewLevelForm& f) {
        f.setText2("300");
        f.cancelClick();
    }};
    int focus = 0;
    QObject::connect(e.editor.get(), &Editor::focusRequested, [&](FocusTarget) { ++focus; });
    e->Command2_Click();
    EXPECT_TRUE(sameImage(level, e->Level[0].Image()));
    EXPECT_EQ(e->levelName, "Old");
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_EQ(focus, 1);

    // Cancel at the unsaved-work question: the dialog never opens.
    e->unsavedChanges = true;
    e.ui.answers = {MsgAnswer::Cancel};
    e->Command2_Click();
    EXPECT_TRUE(e.ui.newLevelScripts.empty());
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST(NewCommand, OkRefusesSizesThatMakeNoLevel) {
    TestEditor e;
    NewLevelForm& f = e->newLevelForm;
    const char* bad[][2] = {{"0", "100"}, {"12.5", "100"}, {"abc", "100"}, {"100", "-4"}, {"100", ""}};
    for (auto& size : bad) {
        e.ui.messages.clear();
        e.ui.answers = {MsgAnswer::OK};
        f.setText2(size[0]);
        f.setText3(size[1]);
        EXPECT_FALSE(f.okClick()) << size[0] << " x " << size[1];
        ASSERT_EQ(e.ui.messages.size(), 1u);
        EXPECT_EQ(e.ui.messages[0].title, "New Level");
    }
    e.ui.messages.clear();
    e.ui.answers = {MsgAnswer::OK, MsgAnswer::OK}; // the size warning, then the refusal
    f.setText2("100000");
    f.setText3("100000");
    EXPECT_FALSE(f.okClick());
    EXPECT_TRUE(e.ui.messages.back().text.contains("too large"));
    EXPECT_EQ(e->xRes, 821); // nothing reached the editor
    EXPECT_EQ(e->levelName, "EMPTY");
}

TEST(NewCommand, InTheThumbnailViewTheThumbnailShowsTheNewLevel) {
    TestEditor e;
    e->vPort_Click(2);
    e.ui.newLevelScripts = {[](NewLevelForm& f) {
        f.setText1("Fresh");
        f.setText2("400");
        f.setText3("300");
        f.okClick();
    }};
    e->Command2_Click();
    // The miniature's frame colour at its top-left corner, and the level's frame inside.
    EXPECT_EQ(GetPixel(e->thumbNail, 21, 48), kBlack);
    EXPECT_EQ(GetPixel(e->thumbNail, 23, 50), RGB(55, 100, 120));
}

TEST(OptionsCommand, RenamesWithoutMarkingTheLevelChanged) {
    TestEditor e;
    e->levelName = "Castle";
    e->unsavedChanges = false;
    e.ui.optionsScripts = {[](OptionsForm& f) {
        EXPECT_EQ(f.text1(), "Castle");
        f.setText1("  Vault ");
        f.okClick();
    }};
    e->Command7_Click();
    EXPECT_EQ(e->levelName, "Vault");
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - Vault");
    EXPECT_FALSE(e->unsavedChanges);

    e.ui.optionsScripts = {[](OptionsForm& f) {
        f.setText1("Other");
        f.cancelClick();
    }};
    e->Command7_Click();
    EXPECT_EQ(e->levelName, "Vault");
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST(OptionsCommand, RandomNameLosesItsLeadingSpaceAtOk) {
    TestEditor e;
    // Adjective 14 (the empty one), noun 13 (Fjord).
    e->random.reset(new ScriptedRandom({0.99f, 0.9f}));
    e.ui.optionsScripts = {[](OptionsForm& f) {
        f.command1Click();
        EXPECT_EQ(f.text1(), " Fjord");
        f.okClick();
    }};
    e->Command7_Click();
    EXPECT_EQ(e->levelName, "Fjord");
}

TEST(HelpCommand, OpensTheHelpPageBesideTheEditor) {
    TestEditor e;
    e->Command1_Click();
    ASSERT_EQ(e.ui.openedDocuments.size(), 1u);
    EXPECT_EQ(e.ui.openedDocuments[0], e.folder.filePath("Help.htm"));
}
