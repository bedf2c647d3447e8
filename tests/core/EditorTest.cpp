#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace vortan;
using namespace vortan::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The frame createEmpty draws: 17 pixels at the top and left, 16 at the bottom and right.
bool inFrame(int x, int y, int w, int h) {
    return x <= 16 || y <= 16 || x >= w - 16 || y >= h - 16;
}

} // namespace

TEST(StartUp, FieldsTakeTheirFirstValues) {
    TestEditor e;
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - EMPTY");
    EXPECT_EQ(e->levelName, "EMPTY");
    EXPECT_EQ(e->xRes, 821);
    EXPECT_EQ(e->yRes, 669);
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_EQ(e->zoomFactor, 6);
    EXPECT_EQ(e->currentColour, RGB(55, 100, 120));
    EXPECT_EQ(e->currentMaterial, RGB(255, 0, 0));
    EXPECT_EQ(e->lastBrushX, -10000);
    EXPECT_EQ(e->lastBrushY, -10000);
    EXPECT_EQ(e->layerIndex, 0);
    EXPECT_TRUE(e->gameFolder.isEmpty());
    // Both layers black, without a frame.
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(sameImage(filledImage(821, 669, kBlack), e->Level[i].Image())) << i;
    // The navigator: 821 / 101 level pixels per navigator pixel; 673 / 8.1287 + 2 = 84.8 rows outer.
    EXPECT_FLOAT_EQ(e->navScale, 821.0f / 101.0f);
    EXPECT_EQ(e->controls.thumbOuterHeight, 85);
    EXPECT_EQ(e->Thumb.ScaleWidth(), 101);
    EXPECT_EQ(e->Thumb.ScaleHeight(), 81);
    // Nothing to save: a close asks nothing.
    EXPECT_TRUE(e->Form_QueryUnload());
    EXPECT_TRUE(e.ui.messages.empty());
}

TEST(StartUp, SecondLoadOfTheWindowEndsTheProgram) {
    TestEditor e;
    EXPECT_FALSE(e->Form_Load());
}

TEST(StartUp, GameFolderIsReadTrimmedAndChecked) {
    QTemporaryDir game;
    writeFile(game.filePath("Vortan.exe"), "MZ");
    const QString stored = game.path() + "/";

    TestEditor valid(
        [&](const QString& own) { writeFile(own + "/gameFolder.txt", ("  " + stored + "  ").toUtf8()); });
    EXPECT_EQ(valid->gameFolder, stored);

    // Only the first line counts.
    TestEditor twoLines(
        [&](const QString& own) { writeFile(own + "/gameFolder.txt", (stored + "\nrest").toUtf8()); });
    EXPECT_EQ(twoLines->gameFolder, stored);

    QTemporaryDir noGame;
    TestEditor stale(
        [&](const QString& own) { writeFile(own + "/gameFolder.txt", (noGame.path() + "/").toUtf8()); });
    EXPECT_TRUE(stale->gameFolder.isEmpty());

    TestEditor empty([&](const QString& own) { writeFile(own + "/gameFolder.txt", ""); });
    EXPECT_TRUE(empty->gameFolder.isEmpty());

    // A pipe of that name would never give a line: the editor starts without a folder.
    TestEditor pipe([&](const QString& own) {
        ASSERT_EQ(mkfifo(QFile::encodeName(own + "/gameFolder.txt").constData(), 0600), 0);
    });
    EXPECT_TRUE(pipe->gameFolder.isEmpty());
}

TEST(CreateEmpty, DrawsTheFrameInBothLayersAndKeepsTheDocumentFields) {
    TestEditor e;
    e->currentColour = RGB(55, 100, 120);
    e->unsavedChanges = false;
    e->viewPortXoff = 30;
    e->viewPortYoff = 40;
    e->createEmpty(100, 50);

    EXPECT_TRUE(pixelsAre(e->Level[0],
                          [](int x, int y) { return inFrame(x, y, 100, 50) ? RGB(55, 100, 120) : kBlack; }));
    EXPECT_TRUE(pixelsAre(e->Level[1],
                          [](int x, int y) { return inFrame(x, y, 100, 50) ? RGB(255, 0, 0) : kBlack; }));
    EXPECT_EQ(e->viewPortXoff, 0);
    EXPECT_EQ(e->viewPortYoff, 0);
    EXPECT_EQ(e->xRes, 821); // callers set the size, name and flag
    EXPECT_EQ(e->yRes, 669);
    EXPECT_EQ(e->levelName, "EMPTY");
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);
    // The navigator follows the new proportions: 100 / 101 per pixel, 54 / 0.990 + 2 outer rows.
    EXPECT_FLOAT_EQ(e->navScale, 100.0f / 101.0f);
    EXPECT_EQ(e->controls.thumbOuterHeight, 57);
    // The viewport shrinks to the level and shows it.
    EXPECT_EQ(e->controls.viewPortOuter, QSize(104, 54));
    EXPECT_TRUE(sameImage(e->Level[0].Image(), e->viewPort.Image()));
}

TEST(CreateEmpty, SmallLevelsAreFrameThroughout) {
    TestEditor e;
    e->createEmpty(33, 200);
    EXPECT_TRUE(pixelsAre(e->Level[1], [](int, int) { return RGB(255, 0, 0); }));
    e->createEmpty(1, 1);
    EXPECT_EQ(e->Level[0].ScaleWidth(), 1);
    EXPECT_EQ(GetPixel(e->Level[0], 0, 0), RGB(55, 100, 120));
}

TEST(CreateEmpty, ReplacesALoadedBackgroundPicture) {
    TestEditor e;
    e->Level[0].setPicture(filledImage(300, 300, RGB(1, 2, 3)));
    e->createEmpty(60, 60);
    e->Level[0].Cls(); // nothing of the old picture comes back
    EXPECT_TRUE(sameImage(filledImage(60, 60, kBlack), e->Level[0].Image()));
}

TEST(CreateEmpty, YieldsWhileItWorks) {
    TestEditor e;
    int yields = 0;
    e->yieldHook = [&] { ++yields; };
    e->createEmpty(200, 100);
    EXPECT_EQ(yields, 3);
}

class WantSave : public ::testing::Test {
  protected:
    TestEditor e;
    void SetUp() override { e->unsavedChanges = true; }
};

TEST_F(WantSave, AsksWithTheExactTextsAndButtons) {
    e.ui.answers = {MsgAnswer::No};
    EXPECT_TRUE(e->wantSave());
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0].title, "Unsaved work... ");
    EXPECT_EQ(e.ui.messages[0].text, "You have not saved your level. \n\rDo you want to save it? ");
    EXPECT_EQ(e.ui.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(e.ui.messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(e->unsavedChanges); // No saves nothing
}

TEST_F(WantSave, CancelStops) {
    e.ui.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(e->wantSave());
    EXPECT_TRUE(e->unsavedChanges);
}

TEST_F(WantSave, YesWithoutASaveStopsSoTheLevelIsNotLost) {
    e.ui.answers = {MsgAnswer::Yes};
    e.ui.choices = {std::nullopt}; // the save dialog is cancelled
    EXPECT_FALSE(e->wantSave());
    EXPECT_TRUE(e->unsavedChanges);
}

TEST_F(WantSave, CloseWithCancelKeepsTheLevel) {
    e->createEmpty(120, 80);
    const QImage before = e->Level[0].Image();
    e.ui.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(e->Form_QueryUnload());
    EXPECT_TRUE(sameImage(before, e->Level[0].Image()));
    e.ui.answers = {MsgAnswer::No};
    EXPECT_TRUE(e->Form_QueryUnload());
}

TEST(Title, FollowsTheLevelName) {
    TestEditor e;
    e->levelName = "Castle";
    e->updateStatus();
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - Castle");
}

TEST(DisplayPercent, ThreePassesOverSixHundredRows) {
    TestEditor e;
    e->progressSum = 0;
    e->progressPhases = 3;
    std::vector<QString> afterPass;
    for (int pass = 0; pass < 3; ++pass) {
        for (int row = 0; row < 600; ++row)
            e->displayPercent(10000.0f / 600.0f);
        afterPass.push_back(e->controls.rValue);
    }
    EXPECT_EQ(afterPass, (std::vector<QString>{"33%", "67%", "100%"}));
    for (int row = 0; row < 600; ++row)
        e->displayPercent(10000.0f / 600.0f);
    EXPECT_EQ(e->controls.rValue, "100%"); // never past 100
}

TEST(DisplayPercent, TiesRoundToEven) {
    TestEditor e;
    e->progressPhases = 1;
    e->displayPercent(250); // 2.5 %
    EXPECT_EQ(e->controls.rValue, "2%");
    e->displayPercent(100); // 3.5 %
    EXPECT_EQ(e->controls.rValue, "4%");
}

TEST(Commands, EveryWayOutEnablesTheViewPortAndAppliesTheFocusRule) {
    TestEditor e;
    int focus = 0;
    QObject::connect(e.editor.get(), &Editor::focusRequested, [&](FocusTarget t) {
        if (t == FocusTarget::ViewPort) ++focus;
    });
    auto command = [&](bool fail) {
        Editor::CommandScope scope(*e);
        EXPECT_FALSE(e->controls.viewPortEnabled);
        EXPECT_TRUE(e->controls.busy);
        EXPECT_FALSE(e->canStartCommand());
        if (fail) return false;
        return true;
    };
    EXPECT_FALSE(command(true));
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_FALSE(e->controls.busy);
    EXPECT_TRUE(e->canStartCommand());
    EXPECT_EQ(focus, 1);

    // In the Thumbnail view the focus stays where it is.
    e->controls.viewOption = 2;
    command(false);
    EXPECT_EQ(focus, 1);
}

TEST(Commands, CloseWaitsForARunningCommand) {
    TestEditor e;
    int closeRequests = 0;
    QObject::connect(e.editor.get(), &Editor::closeRequested, [&] { ++closeRequests; });
    {
        Editor::CommandScope outer(*e);
        {
            Editor::CommandScope inner(*e); // a save asked for inside another command
        }
        EXPECT_TRUE(e->controls.busy);
        EXPECT_FALSE(e->Form_QueryUnload());
        EXPECT_EQ(closeRequests, 0);
    }
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(e->Form_QueryUnload());
}
