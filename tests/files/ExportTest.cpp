#include "support/FileSizeLimit.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace vortan;
using namespace vortan::test;

namespace {

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Export : public ::testing::Test {
  protected:
    QTemporaryDir game;
    QString gfx;
    std::unique_ptr<TestEditor> e;

    void SetUp() override {
        gfx = game.filePath("gameData/Gfx");
        QDir().mkpath(gfx);
        touch(game.filePath("Vortan.exe"));
        const QString stored = game.path() + "/";
        e = std::make_unique<TestEditor>([&](const QString& own) {
            QFile f(own + "/gameFolder.txt");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(stored.toUtf8());
        });
        ASSERT_EQ((*e)->gameFolder, stored);
        (*e)->createEmpty(100, 60);
        (*e)->xRes = 100;
        (*e)->yRes = 60;
    }
    void takeLevels(int from, int to) {
        for (int n = from; n <= to; ++n) {
            const QString num = QString("%1").arg(n, 2, 10, QChar('0'));
            for (const QString& name :
                 {"level" + num + ".quox", "levelm" + num + ".quox", "level" + num + "t.quox"})
                touch(gfx + "/" + name);
        }
    }
    // Runs the export choosing `title` in the dialog; returns the name the dialog proposed.
    QString exportAs(const QString& title) {
        e->ui.choices = {ScriptedDialogs::Choice{gfx + "/" + title}};
        e->ui.answers = {MsgAnswer::OK}; // for a refusal, if one comes
        (*e)->Command6_Click();
        EXPECT_TRUE((*e)->controls.viewPortEnabled);
        return e->ui.dialogsShown.empty() ? QString() : e->ui.dialogsShown.back().fileName;
    }
    const std::vector<ScriptedDialogs::Message>& messages() { return e->ui.messages; }
};

} // namespace

TEST_F(Export, WritesTheThreeFilesUnderTheFirstFreeNumber) {
    takeLevels(0, 11);
    (*e)->Level[1].BoxFilled(0, 0, 99, 59, kBlack); // the border comes back at the export
    (*e)->unsavedChanges = true;
    EXPECT_EQ(exportAs("level12t.quox"), "level12t.quox");
    const DialogSettings& shown = e->ui.dialogsShown.back();
    EXPECT_EQ(shown.flags, 10);
    EXPECT_EQ(shown.initDir, (*e)->gameLevelFolder());
    EXPECT_EQ(shown.filter, "VORTAN Levels (*t.quox)|*t.quox");
    EXPECT_TRUE(messages().empty());
    for (const char* name : {"level12.quox", "levelm12.quox", "level12t.quox"})
        EXPECT_TRUE(readFile(gfx + "/" + name).startsWith("QUOX3zzzz")) << name;
    EXPECT_EQ(e->ui.beeps, 1);
    EXPECT_EQ((*e)->controls.rValue, "100%");
    EXPECT_TRUE((*e)->unsavedChanges); // an export is no save
    EXPECT_EQ(GetPixel((*e)->Level[1], 16, 30), kWall);
    EXPECT_EQ(GetPixel((*e)->Level[1], 84, 30), kWall);
    EXPECT_EQ(GetPixel((*e)->Level[1], 50, 30), kBlack);
}

TEST_F(Export, AStrayFileTakesItsNumber) {
    takeLevels(0, 4);
    touch(gfx + "/levelm05.quox");
    takeLevels(7, 9);
    e->ui.choices = {std::nullopt};
    (*e)->Command6_Click();
    EXPECT_EQ(e->ui.dialogsShown.back().fileName, "level06t.quox");
    EXPECT_EQ(e->ui.beeps, 0);
}

TEST_F(Export, GameLevelsAreProtected) {
    takeLevels(0, 20);
    for (const char* title : {"level03t.quox", "fractalt.quox", "level5t.quox"}) {
        e->ui.messages.clear();
        exportAs(title);
        ASSERT_EQ(messages().size(), 1u) << title;
        EXPECT_EQ(messages()[0].title, QString(" Warning, trying to overwrite '") + title + "' ");
        EXPECT_EQ(messages()[0].text,
                  "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\rIf "
                  "you really want to replace it, delete it manually first.");
        EXPECT_EQ(messages()[0].buttons, MsgButtons::OK);
        EXPECT_EQ(messages()[0].icon, MsgIcon::None);
    }
    EXPECT_EQ(e->ui.beeps, 0);
    EXPECT_EQ(readFile(gfx + "/level03.quox"), "x");
}

TEST_F(Export, NamesMustFollowTheNumbering) {
    takeLevels(0, 11);
    // "+9" reads as the number 9, as in the dialogs: a wrong name, not a protected level.
    for (const char* title : {"Level12t.quox", "level12T.quox", "level+9t.quox"}) {
        e->ui.messages.clear();
        exportAs(title);
        ASSERT_EQ(messages().size(), 1u) << title;
        EXPECT_EQ(messages()[0].title, " Warning illegal filename ");
        EXPECT_EQ(messages()[0].text, "Try to export the level again using a correct filename.");
    }
    e->ui.messages.clear();
    exportAs("level15t.quox");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, " Warning illegal filename ");
    EXPECT_EQ(messages()[0].text,
              " The levels has to be numbered sequentially, or they will not show up in the game. "
              "\n\rTry to export the level again using a correct filename. ");
    EXPECT_FALSE(QFileInfo::exists(gfx + "/level15t.quox"));

    // A taken number above 8 is written over.
    e->ui.messages.clear();
    exportAs("level10t.quox");
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(readFile(gfx + "/level10.quox").startsWith("QUOX3zzzz"));
}

TEST_F(Export, AllHundredTakenProposesLevel100WhichIsRefused) {
    takeLevels(0, 99);
    EXPECT_EQ(exportAs("level100t.quox"), "level100t.quox");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, " Warning, trying to overwrite 'level100t.quox' ");
}

TEST_F(Export, FindsTheGameWhenTheRememberedFolderIsStale) {
    QTemporaryDir moved;
    QDir().mkpath(moved.filePath("gameData/Gfx"));
    touch(moved.filePath("Vortan.exe"));
    QFile::remove(game.filePath("Vortan.exe"));
    for (int n = 0; n <= 8; ++n)
        touch(moved.filePath(QString("gameData/Gfx/level0%1t.quox").arg(n)));
    e->ui.choices = {ScriptedDialogs::Choice{moved.filePath("Vortan.exe")},
                     ScriptedDialogs::Choice{moved.filePath("gameData/Gfx/level09t.quox")}};
    (*e)->Command6_Click();
    EXPECT_EQ(e->ui.dialogsShown[0].title, "Find 'Vortan.exe' so I know where to save your level...");
    EXPECT_EQ(e->ui.dialogsShown[0].filter, "Program File (Vortan.exe)|Vortan.exe");
    EXPECT_EQ((*e)->gameFolder, moved.path() + "/");
    EXPECT_EQ(readFile(e->folder.filePath("gameFolder.txt")), (moved.path() + "/").toUtf8());
    EXPECT_TRUE(QFileInfo::exists(moved.filePath("gameData/Gfx/levelm09.quox")));
}

TEST_F(Export, AnotherProgramIsNotTheGame) {
    (*e)->gameFolder.clear();
    touch(game.filePath("Other.exe"));
    e->ui.choices = {ScriptedDialogs::Choice{game.filePath("Other.exe")}};
    e->ui.answers = {MsgAnswer::OK};
    (*e)->Command6_Click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, " VORTAN not found... ");
    EXPECT_EQ(messages()[0].text, " You need to find where you keep VORTAN, try searching your harddisk. ");
    EXPECT_TRUE((*e)->gameFolder.isEmpty());
    EXPECT_EQ(readFile(e->folder.filePath("gameFolder.txt")), "");
    EXPECT_EQ(e->ui.dialogsShown.size(), 1u); // no export dialog
    EXPECT_TRUE((*e)->controls.viewPortEnabled);
}

TEST_F(Export, CancellingTheFindDialogLeavesTheRememberedFolder) {
    (*e)->gameFolder.clear();
    (*e)->dialog.settings.cancelError = true; // as after any save or load
    e->ui.choices = {std::nullopt};
    (*e)->Command6_Click();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(readFile(e->folder.filePath("gameFolder.txt")), (game.path() + "/").toUtf8());
}

TEST_F(Export, AFailedWriteEndsWithoutTheBeep) {
    takeLevels(0, 8);
    QDir(gfx).mkdir("level09t.quox"); // a folder where the thumbnail file must go
    touch(gfx + "/level09.quox");
    e->ui.choices = {ScriptedDialogs::Choice{gfx + "/level09t.quox"}};
    (*e)->Command6_Click();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(e->ui.beeps, 0);
    EXPECT_EQ(readFile(gfx + "/level09.quox"), "x"); // the level file after it was not touched
    EXPECT_TRUE((*e)->controls.viewPortEnabled);
    EXPECT_FALSE((*e)->controls.busy);
}

// The disk fills up after the thumbnail file: the three game files are one set, so the
// game folder keeps the old level whole, or gets no stray file that takes a number.
TEST_F(Export, AFailureAfterTheThumbnailLeavesNoFileOfTheNewSet) {
    takeLevels(0, 8);
    QImage noise(400, 300, QImage::Format_RGB32); // a level image far larger than its thumbnail
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            noise.setPixel(x, y, toPixel(RGB(x * 37 % 251, y * 53 % 241, (x * y) % 239)));
    (*e)->Level[0].setPicture(noise);
    e->ui.answers = {MsgAnswer::OK, MsgAnswer::OK}; // the too-many-colours warning
    for (bool oldLevel : {false, true}) {
        if (oldLevel)
            for (const char* name : {"level09.quox", "levelm09.quox", "level09t.quox"})
                touch(gfx + "/" + name);
        const QStringList before = QDir(gfx).entryList(QDir::Files | QDir::Hidden);
        {
            FileSizeLimit limit(50000); // the thumbnail fits, the level image does not
            e->ui.choices = {ScriptedDialogs::Choice{gfx + "/level09t.quox"}};
            (*e)->Command6_Click();
        }
        EXPECT_EQ(QDir(gfx).entryList(QDir::Files | QDir::Hidden), before);
        if (oldLevel) {
            for (const char* name : {"level09.quox", "levelm09.quox", "level09t.quox"})
                EXPECT_EQ(readFile(gfx + "/" + name), "x") << name;
        }
        EXPECT_EQ(e->ui.beeps, 0);
    }
}

TEST_F(Export, LevelsTooWideForTheGameAreRefused) {
    (*e)->Level[0].setPicture(filledImage(65536, 1, kBlack));
    (*e)->Level[1].setPicture(filledImage(65536, 1, kBlack));
    e->ui.answers = {MsgAnswer::OK};
    (*e)->Command6_Click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, " Level too large ");
    EXPECT_TRUE(e->ui.dialogsShown.empty());
    EXPECT_TRUE(QDir(gfx).isEmpty());
}
