#include "files/LevelFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TestEditor.h"

using namespace vortan::test;

// An editor with a framed 120 x 90 level that remembers the game in a folder of its own.
struct LevelFiles : ::testing::Test {
    GameOnDisk onDisk;
    QTemporaryDir& game = onDisk.folder;
    const QString gfx = onDisk.gfx;
    TestEditor e{onDisk.remembered()};
    const QString levels = e.folder.filePath("levels/");
    LevelFiles() { e.newLevel(120, 90); }
    template <typename Result>
    void run(Result (Editor::*command)(), const QString& chosen, MsgAnswer answer = MsgAnswer::OK) {
        e.choose(chosen);
        e.ui.answers = {answer};
        ((*e).*command)();
    }
};

TEST_F(LevelFiles, ExportTakesTheFirstFreeNumberAndKeepsTheGamesOwnLevels) {
    onDisk.take(0, 11);
    for (const char* name : {"level12.quox", "levelm13.quox", "level14t.quox"}) // one file takes a number
        writeFile(gfx + name, "x");
    e.map().fillRect(0, 0, 119, 89, kBlack);
    e.ui.choices = {std::nullopt};
    e->exportToGame(); // cancelled: the map is framed all the same
    EXPECT_TRUE(pixelsAre(
        e.map(), [](int x, int y) { return x < 17 || y < 17 || x >= 104 || y >= 74 ? kWall : kBlack; }));
    const DialogSettings d = e.ui.dialogsShown.back();
    EXPECT_EQ(d.path + d.filter + d.initialFolder, "level15t.quoxVORTAN Levels (*t.quox)|*t.quox" + gfx);

    const QString mine = "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\r"
                         "If you really want to replace it, delete it manually first.";
    const QString wrong = "Try to export the level again using a correct filename.";
    const QString gap = " The levels has to be numbered sequentially, or they will not show up in the "
                        "game. \n\rTry to export the level again using a correct filename. ";
    // "l5" reads as 0 and "+9" as 9; a taken number above 8 is written over.
    const std::pair<QString, QString> rows[] = {
        {"level03t.quox", mine},  {"level08t.quox", mine},  {"fractalt.quox", mine},
        {"level5t.quox", mine},   {"Level12t.quox", wrong}, {"level12T.quox", wrong},
        {"level+9t.quox", wrong}, {"level16t.quox", gap},   {"level18t.quox", gap},
        {"level09t.quox", {}},    {"level15t.quox", {}},    {"level100t.quox", mine}};
    for (const auto& [name, text] : rows) {
        if (name == "level100t.quox") onDisk.take(16, 99); // all taken: 100 is proposed, and refused
        e.ui.messages.clear();
        const int beeps = e.ui.beeps;
        run(&Editor::exportToGame, gfx + name);
        EXPECT_EQ(e.ui.beeps, beeps + text.isEmpty()) << name.toStdString();
        ASSERT_EQ(e.ui.messages.size(), text.isEmpty() ? 0u : 1u) << name.toStdString();
        if (text.isEmpty()) continue;
        EXPECT_EQ(e.ui.messages[0].title, text == mine ? " Warning, trying to overwrite '" + name + "' "
                                                       : " Warning illegal filename ");
        EXPECT_EQ(e.ui.messages[0].text, text);
    }
    EXPECT_EQ(e.ui.dialogsShown.back().path, "level100t.quox");
    EXPECT_EQ(e->controls().red, "100%");
}

TEST_F(LevelFiles, ExportFindsTheGameAndLeavesItsFolderWholeWhenItFails) {
    // The game has moved: the user is asked to find it, and first picks another program, then
    // names the game where it no longer is.
    QFile::rename(game.filePath("Vortan.exe"), game.filePath("Other.exe"));
    for (const char* chosen : {"Other.exe", "Vortan.exe"}) {
        run(&Editor::exportToGame, game.filePath(chosen));
        EXPECT_EQ(std::pair(e.ui.messages.back().title, readFile(e.folder.filePath("gameFolder.txt"))),
                  std::pair(QString(" VORTAN not found... "), QByteArray()));
    }
    QFile::rename(game.filePath("Other.exe"), game.filePath("Vortan.exe"));
    e.ui.choices = {ScriptedDialogs::Choice{game.filePath("Vortan.exe")}, std::nullopt};
    e->exportToGame();
    EXPECT_EQ(e.ui.dialogsShown.at(2).title, "Find 'Vortan.exe' so I know where to save your level...");
    EXPECT_EQ(readFile(e.folder.filePath("gameFolder.txt")), (game.path() + "/").toUtf8());

    onDisk.take(0, 9);
    const QStringList before = folderContents(gfx);
    e.colour().draw([](Picture& p) { // a level image far larger than its thumbnail
        p.resize(6000, 10);
        for (int i = 0; i < 6000 * 10; ++i)
            p.setPixel(i % 6000, i / 6000, uint32_t(i) * 2654435761u & 0xFFFFFF);
    });
    {
        FileSizeLimit limit(50000); // the thumbnail fits, the level image does not
        e.choose(gfx + "level09t.quox");
        e.ui.answers = {MsgAnswer::OK, MsgAnswer::OK};
        e->exportToGame();
    }
    EXPECT_EQ(folderContents(gfx), before);
    // The level image's rows after a full palette count as done.
    EXPECT_EQ(std::pair(e.ui.beeps, e->controls().red), std::pair(0, QString("67%")));
    EXPECT_EQ(e.ui.messages.at(2).title + e.ui.messages[2].text + e.ui.messages.at(3).title +
                  e.ui.messages[3].text,
              " WARNING!  To many colors! (192) Try to keep below 192. \n\r Your level may look strange. "
              " Level not exported Your level could not be written into the game.\n\r" +
                  gfx + "level09.quox: " + qt_error_string(EFBIG));
    e.level().loadLayer(LevelDocument::kColourLayer, filledImage(65536, 1, kBlack));
    run(&Editor::exportToGame, {});
    EXPECT_EQ(e.ui.messages.back().title, " Level too large ");
}

TEST_F(LevelFiles, SaveWritesTheSetAndAnyMemberLoadsItTheNewerOfAGifAndABmp) {
    e.map().fillRect(40, 40, 60, 60, kWater);
    e.level().setName("castle");
    e.level().setModified(true);
    run(&Editor::saveLevel, levels + "castle.bmp");
    EXPECT_FALSE(e.level().isModified());
    const DialogSettings d = e.ui.dialogsShown.back();
    EXPECT_EQ(d.title + d.path + d.defaultSuffix + QString::number(d.filterIndex) + d.initialFolder + "/" +
                  d.filter,
              "Save Level...castle.bmp1" + levels +
                  "Levels (*level.bmp;*level.gif;*level.png)|*level.bmp;*level.gif;*level.png|"
                  "Pictures (*.bmp;*.gif;*.png)|*.bmp;*.gif;*.png");
    EXPECT_EQ(QDir(levels).entryList(QDir::Files),
              QStringList({"castle.level.bmp", "castle.map.bmp", "castle.thumb.bmp"}));
    const Layers saved = layersOf(e.level());
    e.newLevel(300, 200);
    run(&Editor::loadLevel, levels + "castle.map.bmp");
    EXPECT_TRUE(hasLayers(e.level(), saved));
    EXPECT_EQ(std::pair(e.level().name(), e->view().navigatorScale()),
              std::pair(QString("castle"), 120.0f / 101));

    // A cancelled save or Load and a set with a broken member keep the unsaved work; a file
    // that is gone loads nothing, yet leaves nothing to save.
    e.level().setModified(true);
    e.ui.choices = {std::nullopt, std::nullopt};
    e.ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(e->saveLevel());
    e->loadLevel();
    writeFile(levels + "broken.thumb.bmp", "BM");
    run(&Editor::loadLevel, levels + "broken.thumb.bmp", MsgAnswer::No);
    EXPECT_TRUE(e.level().isModified());
    run(&Editor::loadLevel, levels + "missing.level.bmp", MsgAnswer::No);
    EXPECT_EQ(std::pair(e.level().isModified(), e.level().name()), std::pair(false, QString("castle")));

    // Of a GIF and a BMP of one member the newer is read, the GIF when both are as old.
    const QString gif = levels + "G.level.gif", bmp = levels + "G.level.bmp";
    ASSERT_TRUE(QFile::copy(VORTAN_TEST_DATA "/pictures/gif-opaque.gif", gif));
    auto setModified = [](const QString& path, const QDateTime& when) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(when, QFileDevice::FileModificationTime));
    };
    const QDateTime gifTime = QDateTime::currentDateTime().addSecs(-60);
    setModified(gif, gifTime);
    run(&Editor::loadLevel, gif);
    const QImage fromGif = e.colour().image();
    e.colour().fillRect(2, 2, 5, 5, rgb(1, 2, 3));
    e.level().setModified(true);
    run(&Editor::saveLevel, levels + "G.bmp");
    const QImage savedAfterGif = e.colour().image();
    ASSERT_FALSE(sameImage(fromGif, savedAfterGif));
    for (const auto& [bmpAfterGif, gifWins] : {std::pair{0, true}, {-1, true}, {1, false}}) {
        setModified(bmp, gifTime.addSecs(bmpAfterGif));
        run(&Editor::loadLevel, levels + "G.map.bmp");
        EXPECT_TRUE(sameImage(gifWins ? fromGif : savedAfterGif, e.colour().image())) << bmpAfterGif;
        EXPECT_TRUE(sameImage(gifWins ? fromGif : savedAfterGif, readLevelSet(levels + "G")->colour.value()));
    }
}
