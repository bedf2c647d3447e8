#include "support/FileSizeLimit.h"
#include "support/GifWriter.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace vortan;
using namespace vortan::test;

namespace {

QImage varied(int w, int h, int seed) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, toPixel(RGB(x * 7 + seed, y * 3, (x ^ y) + seed)));
    return img;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class LevelFiles : public ::testing::Test {
  protected:
    TestEditor e;
    QString levels;
    void SetUp() override {
        levels = e.folder.filePath("levels");
        QDir().mkpath(levels);
        e->createEmpty(120, 90);
        e->xRes = 120;
        e->yRes = 90;
        e->Level[0].setPicture(varied(120, 90, 1));
        e->Level[1].BoxFilled(40, 40, 60, 60, kWater);
        e->levelName = "Castle";
        e->unsavedChanges = true;
    }
    void save(const QString& chosen) {
        e.ui.choices = {ScriptedDialogs::Choice{chosen}};
        EXPECT_TRUE(e->saveLevel_Click());
    }
    void load(const QString& chosen) {
        e.ui.choices = {ScriptedDialogs::Choice{chosen}};
        e->Command5_Click();
    }
};

} // namespace

TEST_F(LevelFiles, SaveWritesTheThreePicturesAndLoadBringsThemBack) {
    save(levels + "/castle.bmp");
    const DialogSettings& shown = e.ui.dialogsShown.back();
    EXPECT_EQ(shown.title, "Save Level...");
    EXPECT_EQ(shown.filter,
              "Levels (*level.bmp;*level.gif)|*level.bmp;*level.gif|Pictures (*.bmp;*.gif)|*.bmp;*.gif");
    EXPECT_EQ(shown.filterIndex, 1);
    EXPECT_EQ(shown.initDir, levels);
    EXPECT_EQ(shown.fileName, "Castle");
    EXPECT_EQ(shown.defaultExt, ".bmp");
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_EQ(QDir(levels).entryList(QDir::Files),
              (QStringList{"castle.level.bmp", "castle.map.bmp", "castle.thumb.bmp"}));
    // The thumbnail was rebuilt before it was written: the name is on it.
    const QImage level = e->Level[0].Image(), map = e->Level[1].Image(), thumb = e->thumbNail.Image();

    e->createEmpty(300, 200);
    e->levelName = "Other";
    e->unsavedChanges = false;
    load(levels + "/castle.map.bmp"); // any member loads the set
    EXPECT_EQ(e.ui.dialogsShown.back().title, "Load Level...");
    EXPECT_TRUE(e.ui.dialogsShown.back().fileName.isEmpty());
    EXPECT_TRUE(sameImage(level, e->Level[0].Image()));
    EXPECT_TRUE(sameImage(map, e->Level[1].Image()));
    EXPECT_TRUE(sameImage(thumb, e->thumbNail.Image()));
    EXPECT_EQ(e->levelName, "castle");
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - castle");
    EXPECT_EQ(e->xRes, 120);
    EXPECT_EQ(e->yRes, 90);
    EXPECT_FLOAT_EQ(e->navScale, 120.0f / 101.0f);
    EXPECT_EQ(e->controls.viewPortOuter, QSize(124, 94));
    EXPECT_TRUE(e->navigatorStale);
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_TRUE(sameImage(level, e->viewPort.Image()));
}

TEST_F(LevelFiles, SavingOverAMemberOfASetSavesOverThatSet) {
    save(levels + "/castle.bmp");
    e->Level[0].PSet(50, 50, RGB(1, 2, 3));
    save(levels + "/castle.level.bmp");
    EXPECT_EQ(QDir(levels).entryList(QDir::Files).size(), 3);
    load(levels + "/castle.level.bmp");
    EXPECT_EQ(GetPixel(e->Level[0], 50, 50), RGB(1, 2, 3));
}

// Only a ".bmp" ending leaves the chosen name: a name with a dot of its own ("Level 2.5")
// keeps all of it instead of saving over another level.
TEST_F(LevelFiles, TheSetTakesTheWholeChosenNameAndLoadsBackUnderIt) {
    const struct {
        const char* chosen;
        const char* base;
    } rows[] = {{"castle", "castle"},           {"castle.bmp", "castle"}, {"CASTLE.BMP", "CASTLE"},
                {"Level 2.5", "Level 2.5"},     {"St. Paul", "St. Paul"}, {"castle.level.bmp", "castle"},
                {"Level 2.5.bmp", "Level 2.5"}, {"v1.map.bmp", "v1"}};
    for (const auto& row : rows) {
        QDir(levels).removeRecursively();
        QDir().mkpath(levels);
        save(levels + "/" + row.chosen);
        const QString base = row.base;
        EXPECT_EQ(QDir(levels).entryList(QDir::Files),
                  (QStringList{base + ".level.bmp", base + ".map.bmp", base + ".thumb.bmp"}))
            << row.chosen;
    }
    save(levels + "/Level 2.5");
    e->createEmpty(50, 50);
    e->unsavedChanges = false;
    load(levels + "/Level 2.5.thumb.bmp");
    EXPECT_EQ(e->levelName, "Level 2.5");
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - Level 2.5");
    EXPECT_TRUE(sameImage(varied(120, 90, 1), e->Level[0].Image()));
    EXPECT_EQ(GetPixel(e->Level[1], 50, 50), kWater);

    // A plain picture in a folder whose name looks like a set member is a plain picture.
    const QString folder = e.folder.filePath("old.map.pics");
    QDir().mkpath(folder);
    PictureSurface cave(70, 40, RGB(3, 2, 1));
    ASSERT_TRUE(SavePicture(cave, folder + "/cave.bmp"));
    load(folder + "/cave.bmp");
    EXPECT_EQ(e->levelName, "cave");
    EXPECT_TRUE(sameImage(cave.Image(), e->Level[0].Image()));
}

// The disk fills up at the thumbnail: the older set stays whole, with no new file beside it.
TEST_F(LevelFiles, AFailedSaveLeavesTheOlderSetWhole) {
    e->Level[0].setPicture(varied(40, 30, 2));
    e->Level[1].setPicture(filledImage(40, 30, kWall));
    save(levels + "/castle.bmp");
    auto files = [&] {
        QStringList contents;
        for (const QString& name : QDir(levels).entryList(QDir::Files | QDir::Hidden))
            contents << name + ":" + readFile(levels + "/" + name).toHex();
        return contents;
    };
    const QStringList before = files();

    e->Level[0].setPicture(varied(200, 100, 3)); // 60054 bytes a layer; the thumbnail 102006
    e->Level[1].setPicture(filledImage(200, 100, kBlack));
    e->unsavedChanges = true;
    {
        FileSizeLimit limit(80000);
        e.ui.choices = {ScriptedDialogs::Choice{levels + "/castle.bmp"}};
        EXPECT_FALSE(e->saveLevel_Click());
    }
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(e->unsavedChanges);
}

TEST_F(LevelFiles, SaveFailuresKeepTheOldFilesAndTheFlag) {
    save(levels + "/castle.bmp");
    const QByteArray before = readFile(levels + "/castle.level.bmp");
    e->unsavedChanges = true;

    e.ui.choices = {std::nullopt}; // cancel
    EXPECT_FALSE(e->saveLevel_Click());
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->controls.viewPortEnabled);

    e.ui.choices = {ScriptedDialogs::Choice{e.folder.filePath("no such folder/castle.bmp")}};
    EXPECT_FALSE(e->saveLevel_Click());
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_FALSE(e->controls.busy);
    EXPECT_EQ(readFile(levels + "/castle.level.bmp"), before);
}

TEST_F(LevelFiles, AnsweringYesSavesBeforeTheLevelIsReplaced) {
    e.ui.answers = {MsgAnswer::Yes};
    e.ui.choices = {ScriptedDialogs::Choice{levels + "/kept.bmp"},
                    ScriptedDialogs::Choice{levels + "/kept.level.bmp"}};
    e->Command5_Click();
    EXPECT_TRUE(QFileInfo::exists(levels + "/kept.map.bmp"));
    EXPECT_EQ(e->levelName, "kept");

    // Yes, then the save is cancelled: the load stops and the level stays.
    e->Level[0].PSet(60, 60, RGB(4, 4, 4));
    e->unsavedChanges = true;
    e.ui.answers = {MsgAnswer::Yes};
    e.ui.choices = {std::nullopt};
    e->Command5_Click();
    EXPECT_EQ(GetPixel(e->Level[0], 60, 60), RGB(4, 4, 4));
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e.ui.choices.empty()); // no open dialog was shown
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST_F(LevelFiles, GifCompanionsWinAndADottedFolderStillLoads) {
    const QString dotted = e.folder.filePath(".my.levels");
    QDir().mkpath(dotted);
    save(dotted + "/cave.bmp");
    writeFile(dotted + "/cave.level.gif", gif::gifOf(filledImage(120, 90, RGB(0, 200, 0))));
    e->createEmpty(50, 50);
    e->unsavedChanges = false;
    load(dotted + "/cave.thumb.bmp");
    EXPECT_EQ(e->levelName, "cave");
    EXPECT_EQ(e->xRes, 120);
    EXPECT_TRUE(sameImage(filledImage(120, 90, RGB(0, 200, 0)), e->Level[0].Image()));
    EXPECT_EQ(GetPixel(e->Level[1], 50, 50), kWater);
}

TEST_F(LevelFiles, ASetWithoutAMapKeepsThePreviousMapResized) {
    PictureSurface level(200, 100);
    level.setPicture(varied(200, 100, 3));
    ASSERT_TRUE(SavePicture(level, levels + "/nomap.level.bmp"));
    e->unsavedChanges = false;
    load(levels + "/nomap.level.bmp");
    EXPECT_EQ(e->Level[1].ScaleWidth(), 200);
    EXPECT_EQ(e->Level[1].ScaleHeight(), 100);
    EXPECT_EQ(GetPixel(e->Level[1], 50, 50), kWater); // the old map, cut or extended
    EXPECT_EQ(GetPixel(e->Level[1], 150, 50), kBlack);
}

TEST_F(LevelFiles, ABrokenMemberLeavesTheLevelAsItWas) {
    save(levels + "/castle.bmp");
    const QByteArray map = readFile(levels + "/castle.map.bmp");
    writeFile(levels + "/castle.map.bmp", map.left(map.size() - 100)); // cut short
    e->createEmpty(40, 30);
    e->levelName = "Before";
    e->unsavedChanges = false;
    const QImage level = e->Level[0].Image();
    load(levels + "/castle.level.bmp");
    EXPECT_TRUE(sameImage(level, e->Level[0].Image()));
    EXPECT_EQ(e->Level[1].ScaleWidth(), 40);
    EXPECT_EQ(e->levelName, "Before");
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST_F(LevelFiles, PlainPicturesGoIntoTheShownLayerOrTheThumbnail) {
    PictureSurface picture(160, 70);
    picture.setPicture(varied(160, 70, 9));
    const QString path = e.folder.filePath("photo.bmp");
    ASSERT_TRUE(SavePicture(picture, path));
    e->unsavedChanges = false;

    load(path);
    EXPECT_TRUE(sameImage(picture.Image(), e->Level[0].Image()));
    EXPECT_EQ(e->levelName, "photo");
    EXPECT_EQ(e->Level[1].ScaleWidth(), 160);
    EXPECT_EQ(GetPixel(e->Level[1], 50, 50), kWater);

    e->vPort_Click(1);
    load(path);
    EXPECT_TRUE(sameImage(picture.Image(), e->Level[1].Image()));

    e->vPort_Click(2);
    e->levelName = "Kept";
    load(path);
    EXPECT_EQ(e->levelName, "Kept");
    EXPECT_EQ(e->thumbNail.ScaleWidth(), 192);
    EXPECT_EQ(GetPixel(e->thumbNail, 5, 5), fromPixel(varied(160, 70, 9).pixel(5, 5)));
    EXPECT_EQ(e->xRes, 160);
}

TEST_F(LevelFiles, NothingLoadedStillClearsTheFlagButAFailureDoesNot) {
    e.ui.answers = {MsgAnswer::No};
    load(levels + "/missing.level.bmp");
    EXPECT_FALSE(e->unsavedChanges);
    EXPECT_EQ(e->levelName, "Castle");

    e->unsavedChanges = true;
    writeFile(levels + "/bad.bmp", "BM garbage");
    e.ui.answers = {MsgAnswer::No};
    load(levels + "/bad.bmp");
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_EQ(e->xRes, 120);
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST_F(LevelFiles, BackspaceAfterALoadDoesNotBringBackTheOldLevel) {
    e->viewPort_MouseDown(kLeftButton, 0, 10, 10); // an undo copy of this level
    save(levels + "/castle.bmp");
    load(levels + "/castle.level.bmp");
    const QImage loaded = e->Level[0].Image();
    e->viewPort_KeyDown(8, 0);
    EXPECT_TRUE(sameImage(loaded, e->Level[0].Image()));
}
