#include "app/InstalledEditor.h"
#include "files/GameFormat.h"
#include "files/PictureFiles.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QProcess>

using namespace vortan;
using namespace vortan::test;

namespace {

// A level of a few colours and every material, saved as a set in the own folder.
QString savedLevel(TestEditor& e, const QString& name) {
    QDir().mkpath(e.folder.filePath("levels"));
    e.ui.answers = {MsgAnswer::No}; // the level before goes unsaved
    e.newLevel(90, 70);
    Picture& colour = e->level().colourLayer();
    const Colour materials[] = {kWall, kBehindWall, kWater, kPlatformFS, kPlatformFSA, kExplosive};
    for (int i = 0; i < 6; ++i) {
        colour.fillRect(20 + 8 * i, 20, 27 + 8 * i, 50, rgb(40 * i, 255 - 30 * i, 7));
        e->level().materialMap().fillRect(20 + 8 * i, 20, 27 + 8 * i, 50, materials[i]);
    }
    e->level().setName(name);
    e.ui.choices = {ScriptedDialogs::Choice{e.folder.filePath("levels/" + name)}};
    EXPECT_TRUE(e->saveLevel());
    return e.folder.filePath("levels/" + name + ".level.bmp");
}

} // namespace

// The command line's export writes what the Export button writes right after the set is
// loaded, and decode gives the level back: its colours through the palette, its materials.
TEST(CommandLine, ExportWritesWhatTheButtonWritesAndDecodeGivesTheLevelBack) {
    GameOnDisk button, game;
    button.take(0, 8);
    game.take(0, 8);
    Shell shell;
    TestEditor e(button.remembered());
    const QString set = savedLevel(e, "Cave");
    TestEditor fresh(button.remembered());
    fresh.ui.choices = {ScriptedDialogs::Choice{set}, ScriptedDialogs::Choice{button.gfx + "level09t.quox"}};
    fresh->loadLevel();
    fresh->exportToGame();
    const Outcome run = shell.run({"export", set, "--game", game.folder.path()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QStringList written;
    for (const char* name : {"level09t.quox", "level09.quox", "levelm09.quox"}) {
        EXPECT_EQ(readFile(game.gfx + name), readFile(button.gfx + name)) << name;
        written << QDir::toNativeSeparators(game.gfx + name);
    }
    EXPECT_EQ(run.out.trimmed(), written.join('\n'));
    const QString out = game.folder.filePath("decoded.bmp");
    const QImage* expected[] = {&fresh->level().colourLayer().image(), &fresh->level().materialMap().image()};
    const char* files[] = {"level09.quox", "levelm09.quox"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(shell.run({"decode", game.gfx + files[i], out}).status, 0);
        EXPECT_TRUE(sameImage(*expected[i], *loadPicture(out))) << files[i];
    }
    // The numbers the button refuses, with its words; a level in the game only with --force.
    const std::pair<QString, QString> refusals[] = {{"5", "This level is a part of VORTAN."},
                                                    {"11", "The levels has to be numbered sequentially"},
                                                    {"x", "Try to export the level again"},
                                                    {"100", "Try to export the level again"},
                                                    {"9", "--force replaces it"}};
    for (const auto& [number, text] : refusals) {
        const Outcome refused = shell.run({"export", set, "--game", game.folder.path(), "--number", number});
        EXPECT_TRUE(refused.status == 1 && refused.err.contains(text)) << number.toStdString();
    }
    EXPECT_EQ(shell.run({"export", set, "--game", game.folder.path(), "--number", "9", "--force"}).status, 0);
    EXPECT_EQ(shell.run({"--version"}).out.trimmed(), "vortan-editor 1.0");
    EXPECT_TRUE(shell.run({"--help"}).out.contains("decode FILE.quox OUT.bmp"));
    // The first game named is remembered in the data folder, nothing beside the program; an
    // export without --game goes there.
    EXPECT_EQ(readFile(shell.dataFolder() + "/gameFolder.txt"), (game.folder.path() + "/").toUtf8());
    EXPECT_EQ(QDir(installed().prefix.filePath("bin")).entryList(QDir::Files), QStringList{"vortan-editor"});
    EXPECT_EQ(shell.run({"export", set}).status, 0);
    EXPECT_TRUE(QFileInfo::exists(game.gfx + "levelm10.quox"));
}

TEST(Installed, FindsItsHelpAndBrushesAndKeepsLevelsInTheDataFolder) {
    Shell shell;
    TestEditor e;
    const QString set = savedLevel(e, "Cave");
    const Outcome noGame = shell.run({"export", set});
    const Installed& p = installed();
    const QString shared = p.prefix.filePath("share/vortan-editor");
    EXPECT_TRUE(noGame.status == 1 && noGame.err.contains("No game folder is known yet"))
        << noGame.err.toStdString();
    EXPECT_EQ(shell.run({"folders"}).out,
              QString("Help page: %1/Help.htm\nBrushes: %1/brushes\nLevels: %2/levels\n"
                      "Game: not known yet\nGame remembered in: %2/gameFolder.txt\n")
                  .arg(shared, shell.dataFolder()));
    EXPECT_EQ(readFile(shared + "/Help.htm"), readFile(VORTAN_BUILD_DIR "/Help.htm"));
    EXPECT_EQ(QDir(shared + "/brushes").entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(QFileInfo(shell.dataFolder() + "/levels").isDir());

    const QString desktop = p.prefix.filePath("share/applications/org.vortan.LevelEditor.desktop");
    EXPECT_TRUE(readFile(desktop).contains("\nMimeType=image/bmp;image/x-bmp;image/gif;\n"));
    EXPECT_TRUE(
        QFileInfo::exists(p.prefix.filePath("share/icons/hicolor/scalable/apps/org.vortan.LevelEditor.svg")));
    const QString metadata = p.prefix.filePath("share/metainfo/org.vortan.LevelEditor.metainfo.xml");
    for (const auto& [validator, arguments] :
         {std::pair<QString, QStringList>{"desktop-file-validate", {desktop}},
          {"appstreamcli", {"validate", "--no-net", metadata}}}) {
        const Outcome checked = shell.run(arguments, validator);
        EXPECT_TRUE(checked.status == 0 && !checked.out.contains("error")) << checked.out.toStdString();
    }
}

TEST(CommandLine, CheckFailsLevelsTheGameWouldReadWrongly) {
    Shell shell;
    TestEditor e;
    const QString set = savedLevel(e, "Good");
    const Outcome good = shell.run({"check", set});
    EXPECT_EQ(good.status, 0) << good.out.toStdString();
    for (const char* line : {"Level: 90 x 70 pixels", "Colours: 8 of the 192", "PlatformFSA: 248",
                             "nothing: 621", "Wall frame: closed"})
        EXPECT_TRUE(good.out.contains(line)) << line << "\n" << good.out.toStdString();
    auto broken = [&](const QString& name, const std::function<void()>& breakIt) {
        savedLevel(e, name);
        breakIt();
        e.ui.choices = {ScriptedDialogs::Choice{e.folder.filePath("levels/" + name)}};
        e->saveLevel();
        return shell.run({"check", e.folder.filePath("levels/" + name + ".map.bmp")});
    };
    const Outcome stray = broken("Stray", [&] { e->level().materialMap().setPixel(30, 60, rgb(1, 2, 3)); });
    EXPECT_TRUE(stray.status == 1 && stray.out.contains("No material: 1 pixels, the first at (30, 60)"));
    const Outcome open = broken("Open", [&] { e->level().materialMap().setPixel(0, 0, kBlack); });
    EXPECT_TRUE(open.status == 0 && open.out.contains("Wall frame: open at 1 pixels"));
    const Outcome colourful = broken("Colourful", [&] {
        for (int i = 0; i < 200; ++i)
            e->level().colourLayer().setPixel(i % 50, 55 + i / 50, rgb(i, 0, 99));
    });
    EXPECT_TRUE(colourful.status == 1 && colourful.out.contains("Colours: 208 of the 192"))
        << colourful.out.toStdString();
    savePicture(Picture(91, 70, kWall), e.folder.filePath("levels/Good.map.bmp"));
    EXPECT_EQ(shell.run({"check", set}).status, 1); // the map no longer the colour layer's size
}

TEST(CommandLine, DecodeRefusesDamagedFilesSayingWhere) {
    Picture level(3, 2, rgb(10, 20, 30));
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    LevelDocument document;
    document.colourLayer().takePixels(level.image());
    ASSERT_TRUE(writeLevelImage(file, document, {}, nullptr));
    const QByteArray whole = file.data(); // "QUOX3zzzz", 1, 1, 3, 0, 2, 0, 0, 10, 20, 30, 0, 5
    QString why;
    ASSERT_TRUE(decodeGameFile(whole, &why));
    for (qsizetype n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(decodeGameFile(whole.left(n), &why)) << n;
    const std::pair<QByteArray, const char*> damaged[] = {
        {QByteArray(whole).replace(0, 4, "QUAX"), "does not start with QUOX3zzzz"},
        {QByteArray(whole).replace(15, 1, "\x09"), "palette of 10 colours runs past the end"},
        {QByteArray(whole).replace(19, 2, "\x05\x05"), "repeats a pixel before there is one"},
        {whole + QByteArray(1, 0), "go on past the last one at byte 21"},
        {QByteArray(whole).replace(19, 2, QByteArray("\x00\x09", 2)), "runs past the last pixel"}};
    for (const auto& [bytes, where] : damaged)
        EXPECT_TRUE(!decodeGameFile(bytes, &why) && why.contains(where)) << why.toStdString();
}

TEST(Recovery, AFileThatCannotBeOpenedAtStartIsTold) {
    TestEditor e;
    e.ui.answers = {MsgAnswer::OK};
    e->openAtStart(e.folder.filePath("gone.level.bmp"));
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_TRUE(e.ui.messages[0].text.contains("gone.level.bmp") &&
                e.ui.messages[0].text.contains("does not exist"));
}
