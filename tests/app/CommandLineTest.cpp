#include "app/InstalledEditor.h"
#include "app/LevelActions.h"
#include "files/GameFormat.h"
#include "files/PictureFiles.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <fcntl.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using namespace vortan::test;

// A level of a few colours and every material, saved as a set in the own folder.
static QString savedLevel(TestEditor& e, const QString& name) {
    QDir().mkpath(e.folder.filePath("levels"));
    e.ui.answers = {MsgAnswer::No}; // the level before goes unsaved
    e.newLevel(90, 70);
    const Colour materials[] = {kWall, kBehindWall, kWater, kPlatformFS, kPlatformFSA, kExplosive};
    for (int i = 0; i < 6; ++i) {
        e.colour().fillRect(20 + 8 * i, 20, 27 + 8 * i, 50, rgb(40 * i, 255 - 30 * i, 7));
        e.map().fillRect(20 + 8 * i, 20, 27 + 8 * i, 50, materials[i]);
    }
    e.level().setName(name);
    EXPECT_TRUE(e.saveAs(e.folder.filePath("levels/" + name)));
    return e.folder.filePath("levels/" + name + ".level.bmp");
}

// Export writes what the Export button writes right after the set is loaded; decode gives
// the level back. The data folder keeps the levels and the game, nothing beside the program.
TEST(CommandLine, ExportsChecksAndDecodesAsTheEditorDoes) {
    GameOnDisk button(8), game(8);
    Shell shell;
    TestEditor e(button.remembered());
    const QString set = savedLevel(e, "Cave"), shared = installed().prefix.filePath("share/");
    const Outcome noGame = shell.run({"export", set});
    EXPECT_TRUE(noGame.status == 1 && noGame.err.contains("No game folder is known yet"))
        << noGame.err.toStdString();
    EXPECT_EQ(shell.run({"folders"}).out,
              QString("Help page: %1/Help.htm\nBrushes: %1/brushes\nLevels: %2/levels\n"
                      "Game: not known yet\nGame remembered in: %2/gameFolder.txt\n")
                  .arg(shared + "vortan-editor", shell.dataFolder()));
    EXPECT_EQ(readFile(shared + "vortan-editor/Help.htm"), readFile(VORTAN_BUILD_DIR "/Help.htm"));
    EXPECT_EQ(QDir(shared + "vortan-editor/brushes").entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(QFileInfo(shell.dataFolder() + "/levels").isDir());
    const QString desktop = shared + "applications/org.vortan.LevelEditor.desktop";
    EXPECT_TRUE(readFile(desktop).contains("\nMimeType=image/bmp;image/x-bmp;image/gif;image/png;\n"));
    EXPECT_TRUE(QFileInfo::exists(shared + "icons/hicolor/scalable/apps/org.vortan.LevelEditor.svg"));
    const QString metadata = shared + "metainfo/org.vortan.LevelEditor.metainfo.xml";
    for (const auto& [validator, arguments] :
         {std::pair<QString, QStringList>{"desktop-file-validate", {desktop}},
          {"appstreamcli", {"validate", "--no-net", metadata}}}) {
        const Outcome checked = shell.run(arguments, validator);
        EXPECT_TRUE(checked.status == 0 && !checked.out.contains("error")) << checked.out.toStdString();
    }

    TestEditor fresh(button.remembered());
    fresh.ui.choices = {ScriptedDialogs::Choice{set}, ScriptedDialogs::Choice{button.gfx + "level09t.quox"}};
    fresh->loadLevel();
    fresh->exportToGame();
    const Outcome run = shell.run({"export", set, "--game", game.folder.path()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    for (const char* name : {"level09t.quox", "level09.quox", "levelm09.quox"})
        EXPECT_EQ(readFile(game.gfx + name), readFile(button.gfx + name)) << name;
    EXPECT_EQ(run.out.trimmed(), QString("%1level09t.quox\n%1level09.quox\n%1levelm09.quox").arg(game.gfx));
    const QString out = game.folder.filePath("decoded.bmp");
    for (const auto& [file, expected] :
         {std::pair{"level09.quox", fresh.colour().image()}, {"levelm09.quox", fresh.map().image()}}) {
        ASSERT_EQ(shell.run({"decode", game.gfx + file, out}).status, 0);
        EXPECT_TRUE(sameImage(expected, *loadPicture(out))) << file;
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
    // The first game named is remembered; an export without --game goes there.
    EXPECT_EQ(readFile(shell.dataFolder() + "/gameFolder.txt"), (game.folder.path() + "/").toUtf8());
    EXPECT_EQ(QDir(installed().bin).entryList(QDir::Files), QStringList{"vortan-editor"});
    EXPECT_TRUE(shell.run({"export", set}).status == 0 && QFileInfo::exists(game.gfx + "levelm10.quox"));

    const Outcome good = shell.run({"check", set});
    EXPECT_EQ(good.status, 0) << good.out.toStdString();
    for (const char* line : {"Level: 90 x 70 pixels", "Colours: 8 of the 192", "PlatformFSA: 248",
                             "nothing: 621", "Wall frame: closed"})
        EXPECT_TRUE(good.out.contains(line)) << line << "\n" << good.out.toStdString();
    // A PNG colour layer written after the set's BMP is the one read.
    QImage pngLayer = e.colour().image();
    for (int i = 0; i < 200; ++i)
        pngLayer.setPixel(i % 50, 55 + i / 50, qRgb(i, 0, 99));
    const QString png = e.folder.filePath("levels/Cave.level.png");
    ASSERT_TRUE(pngLayer.save(png, "PNG"));
    const Outcome fromPng = shell.run({"check", set});
    EXPECT_TRUE(fromPng.status == 1 && fromPng.out.contains("Colours: 208 of the 192"))
        << fromPng.out.toStdString();
    QFile::remove(png);
    auto broken = [&](const QString& name, const std::function<void()>& breakIt) {
        savedLevel(e, name);
        breakIt();
        e.saveAs(e.folder.filePath("levels/" + name));
        return shell.run({"check", e.folder.filePath("levels/" + name + ".map.bmp")});
    };
    const Outcome stray = broken("Stray", [&] { e.map().setPixel(30, 60, rgb(1, 2, 3)); });
    EXPECT_EQ(stray.status, 1); // pixels of no material; an open frame alone is no refusal
    EXPECT_EQ(broken("Open", [&] { e.map().setPixel(0, 0, kBlack); }).status, 0);
    const Outcome colourful = broken("Colourful", [&] {
        for (int i = 0; i < 200; ++i)
            e.colour().setPixel(i % 50, 55 + i / 50, rgb(i, 0, 99));
    });
    EXPECT_TRUE(colourful.status == 1 && colourful.out.contains("Colours: 208 of the 192"))
        << colourful.out.toStdString();
    savePicture(Picture(91, 70, kWall), e.folder.filePath("levels/Cave.map.bmp"));
    EXPECT_EQ(shell.run({"check", set}).status, 1); // the map no longer the colour layer's size
}

// A header is believed only as far as the file's bytes reach, and refused before memory
// for its picture is asked for. Export refuses what check refuses, in the same words.
TEST(CommandLine, RefusalsSayWhyAndWriteNothing) {
    GameOnDisk game(8);
    QTemporaryDir dir;
    auto at = [&](const QString& name) { return dir.filePath(name); };
    savePicture(Picture(60, 40, kWall), at("NoColour.map.bmp"));
    savePicture(Picture(192, 177, kWhite), at("NoColour.thumb.bmp"));
    writeFile(at("Png.level.png"), "\x89PNG\r\n\x1a\n");
    savePicture(Picture(60, 40, kWall), at("Broken.map.bmp"));
    writeFile(at("Broken.level.bmp"), "BM not a picture");
    writeFile(at("header.quox"), gameFileHeader(2, 65535, 65535, 132) + QByteArray(1, 0));
    writeFile(at("long.quox"), gameFileHeader(2, 8192, 8192, 132));
    QFile(at("long.quox")).resize(16 + 3 * 256 + kMaxPicturePixels + 1); // sparse: takes no room on the disk
    // One colour, a literal, then 4 MB of repeats of 255 pixels each: more than a billion pixels.
    writeFile(at("repeats.quox"), gameFileHeader(1, 32700, 32700, 0) + QByteArray("\x0a\x14\x1e\x00", 4) +
                                      QByteArray(4 << 20, char(255)));
    const QStringList gameBefore = folderContents(game.gfx);
    Shell shell;
    // Far less address space than any of the pictures would take; enough for the editor itself.
    static const rlimit oneGiB{rlim_t(1) << 30, rlim_t(1) << 30};
    shell.inChild = [] { setrlimit(RLIMIT_AS, &oneGiB); };
    // clang-format off
    std::vector<std::tuple<QStringList, int, QString>> refusals = {
        {{"frobnicate"}, 2, "frobnicate: unknown command or file; see --help."}, // the suite's platform would show a window
        {{"frobnicate", at("Broken.map.bmp")}, 2, "frobnicate: unknown command or file; see --help."},
        {{"decode", at("header.quox"), at("out.bmp")}, 1, at("header.quox") + ": The file ends too early: the rest of it "
                                                          "holds at most 123 pixels, not the 65535 x 65535 its header names."},
        {{"decode", at("repeats.quox"), at("out.bmp")}, 1, at("repeats.quox") + ": The picture of 32700 x 32700 pixels is larger than the editor reads."},
        {{"decode", at("long.quox"), at("out.bmp")}, 1, at("long.quox") + ": the file is 67109649 bytes long, more than a picture the editor reads takes."}};
    // clang-format on
    for (const auto& [set, why] :
         {std::pair{"NoColour.map.bmp", ": the set has no colour layer (.level.bmp)."},
          {"Png.level.png", ": Png.level.png: The picture file ends too early."},
          {"Broken.map.bmp", ": Broken.level.bmp: The picture file ends too early."},
          {"Gone.level.bmp", ": The file does not exist."}}) {
        refusals.push_back({{"check", at(set)}, 1, at(set) + why});
        refusals.push_back({{"export", at(set), "--game", game.folder.path()}, 1, at(set) + why});
    }
    for (const auto& [arguments, status, said] : refusals) {
        const Outcome refused = shell.run(arguments);
        EXPECT_EQ(std::tuple(refused.status, refused.err, refused.out),
                  std::tuple(status, said + "\n", QString()))
            << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(folderContents(game.gfx), gameBefore);
    EXPECT_FALSE(QFileInfo::exists(at("out.bmp")) ||
                 QFileInfo::exists(shell.dataFolder() + "/gameFolder.txt"));
    // Whatever the reason the display cannot be reached, the window says so and does not abort.
    const std::tuple<const char*, const char*, QStringList> displays[] = {
        {nullptr, nullptr, {}},                                          // nothing set
        {nullptr, nullptr, {VORTAN_TEST_DATA "/pictures/bmp-8bit.bmp"}}, // a file to open is no command
        {"DISPLAY", ":4242", {}},                                        // nobody answers there
        {"QT_QPA_PLATFORM", "xcb", {}}};                                 // chosen, yet no display
    for (const auto& [variable, value, arguments] : displays) {
        Shell without;
        without.environment.remove("QT_QPA_PLATFORM");
        if (variable) without.environment.insert(variable, value);
        const Outcome refused = without.run(arguments);
        EXPECT_TRUE(refused.status == 1 && refused.err.contains("vortan-editor: the window cannot be opened: "
                                                                "no display can be reached (DISPLAY "))
            << (variable ? variable : "none") << ": " << refused.err.toStdString();
    }
}

// A relative game folder is remembered whole, so that an export from elsewhere finds it.
TEST(CommandLine, GameFoldersAreRememberedWholeAndUnreadableNamesAreSaidSo) {
    GameOnDisk game(8);
    QTemporaryDir levels;
    const QString set = levels.filePath("Cave.level.bmp");
    savePicture(Picture(60, 40, kWall), set);
    Shell shell;
    shell.workingDirectory = QFileInfo(game.folder.path()).path();
    const Outcome first = shell.run({"export", set, "--game", QFileInfo(game.folder.path()).fileName()});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(readFile(shell.dataFolder() + "/gameFolder.txt"), (game.folder.path() + "/").toUtf8());
    shell.workingDirectory = levels.path();
    EXPECT_TRUE(shell.run({"export", set}).status == 0 && QFileInfo::exists(game.gfx + "levelm10.quox"));
    GameOnDisk other(8); // named once, not remembered over the game known
    EXPECT_EQ(shell.run({"export", set, "--game", other.folder.path()}).status, 0);
    EXPECT_EQ(readFile(shell.dataFolder() + "/gameFolder.txt"), (game.folder.path() + "/").toUtf8());

    // The shell passes the bytes as they are; QProcess would pass UTF-8.
    const QByteArray unreadable = QFile::encodeName(levels.path()) + "/caf\xff.level.bmp";
    ASSERT_EQ(::close(::open(unreadable.constData(), O_CREAT | O_WRONLY, 0600)), 0);
    const QString said =
        levels.path() + "/caf\uFFFD.level.bmp: the name cannot be read (it is not UTF-8 text).\n";
    for (const char* command : {"check", "export", ""}) {
        const Outcome refused = shell.run({"-c", "exec \"$0\" $1 \"$2/$(printf 'caf\\377.level.bmp')\"",
                                           installed().program(), command, levels.path()},
                                          "/bin/sh");
        EXPECT_EQ(std::pair(refused.status, refused.err), std::pair(1, said)) << command;
    }
    ::unlink(unreadable.constData()); // no QString names it, so the folder's removal cannot
}

// check counts the map's frame pixels that are not wall exactly where the export's frame
// lands, on levels smaller than the frame too, and the colours of the colour layer.
TEST(CommandLine, CheckFindsTheOpenFrameWhereTheExportDrawsIt) {
    std::mt19937 random(18);
    for (const auto& [w, h] : {std::pair{1, 1}, {5, 40}, {33, 34}, {34, 33}, {35, 35}, {20, 40}, {90, 70}}) {
        Picture map(w, h, kBlack), colour(w, h, kBlack);
        for (int i = 0; i < w * h / 2; ++i) {
            const int x = int(random() % unsigned(w)), y = int(random() % unsigned(h));
            map.setPixel(x, y, kWall);
            colour.setPixel(x, y, rgb(0, 0, int(random() % 40)));
        }
        Picture framed = pictureOf(map.image().copy());
        LevelDocument::drawFrame(framed, kWall);
        qint64 open = 0;
        for (int i = 0; i < w * h; ++i)
            open += framed.pixelAt(i % w, i / w) != map.pixelAt(i % w, i / w);
        const QRgb* pixels = reinterpret_cast<const QRgb*>(colour.image().constBits()); // rows unpadded
        const std::set<QRgb> colours(pixels, pixels + w * h);
        LevelFile file{"Small", LevelSetPictures{colour.image(), map.image(), std::nullopt}, {}};
        const QStringList lines = checkLevel(file).lines;
        const QString frame = open ? QString("open at %1 pixels (the export closes it)").arg(open) : "closed";
        EXPECT_TRUE(lines.contains("Wall frame: " + frame))
            << w << "x" << h << ": " << lines.join('\n').toStdString();
        EXPECT_TRUE(lines.contains(QString("Colours: %1 of the 192 the game keeps").arg(colours.size())));
    }
    // Pixels of no material are named by the first five, across runs and rows.
    Picture map(40, 40, kBlack);
    map.fillRect(36, 2, 39, 2, rgb(1, 2, 3));
    map.fillRect(0, 3, 2, 3, rgb(1, 2, 4));
    map.fillRect(20, 20, 21, 20, kWater);
    LevelFile file{"Stray", LevelSetPictures{map.image(), map.image(), std::nullopt}, {}};
    const QStringList lines = checkLevel(file).lines;
    EXPECT_TRUE(lines.contains(
                    "No material: 7 pixels, the first at (36, 2), (37, 2), (38, 2), (39, 2), (0, 3), ...") &&
                lines.contains("  Water: 2") && lines.contains("  nothing: 1591"))
        << lines.join('\n').toStdString();
}
