#include "app/InstalledEditor.h"
#include "files/GameFormat.h"
#include "files/PictureFiles.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace vortan;
using namespace vortan::test;

namespace {

QByteArray gameFileHeader(int kind, int width, int height, int baseLessOne) {
    QByteArray h("QUOX3zzzz");
    for (int b : {kind, 1, width & 255, width >> 8, height & 255, height >> 8, baseLessOne})
        h.append(char(b));
    return h;
}

} // namespace

// A header is believed only as far as the file's bytes reach, and never past the largest
// picture the editor reads: refused at once, before memory for the picture is asked for.
TEST(CommandLine, DecodeRefusesHeadersItsBytesCannotFill) {
    const QByteArray palette256 = QByteArray(3 * 256, 7), sixLiterals("\x01\x02\x03\x04\x05\x06");
    const std::pair<QByteArray, QString> headers[] = {
        {gameFileHeader(1, 6, 1, 255) + palette256 + sixLiterals, ""}, // every byte one pixel: just enough
        {gameFileHeader(1, 7, 1, 255) + palette256 + sixLiterals, "at most 6 pixels, not the 7 x 1"},
        {gameFileHeader(2, 123, 1, 132) + QByteArray(1, 0), "ends after 1 of 123 pixels"},
        {gameFileHeader(2, 124, 1, 132) + QByteArray(1, 0), "at most 123 pixels, not the 124 x 1"},
        {gameFileHeader(1, 8192, 8193, 0) + QByteArray(3 + 1, 0) + QByteArray(263204, char(255)),
         "8192 x 8193 pixels is larger than the editor reads"}};
    for (const auto& [file, why] : headers) {
        QString said;
        EXPECT_EQ(decodeGameFile(file, &said).has_value(), why.isEmpty()) << file.size();
        EXPECT_TRUE(said.contains(why)) << said.toStdString();
    }

    QTemporaryDir dir;
    const QString declaresTooMuch = dir.filePath("header.quox"), repeats = dir.filePath("repeats.quox"),
                  tooLong = dir.filePath("long.quox");
    writeFile(declaresTooMuch, gameFileHeader(2, 65535, 65535, 132) + QByteArray(1, 0));
    writeFile(tooLong, gameFileHeader(2, 8192, 8192, 132));
    QFile(tooLong).resize(16 + 3 * 256 + kMaxPicturePixels + 1); // sparse: takes no room on the disk
    // One colour, a literal, then 4 MB of repeats of 255 pixels each: more than a billion pixels.
    writeFile(repeats, gameFileHeader(1, 32700, 32700, 0) + QByteArray("\x0a\x14\x1e\x00", 4) +
                           QByteArray(4 << 20, char(255)));
    Shell shell;
    // Far less address space than either picture would take; enough for the editor itself.
    shell.inChild = [] {
        const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
        setrlimit(RLIMIT_AS, &limit);
    };
    shell.waitMs = 20000;
    const std::pair<QString, QString> refusals[] = {
        {declaresTooMuch,
         "header.quox: The file ends too early: the rest of it holds at most 123 pixels, not "
         "the 65535 x 65535 its header names.\n"},
        {repeats, "repeats.quox: The picture of 32700 x 32700 pixels is larger than the editor reads.\n"},
        {tooLong,
         "long.quox: the file is 67109649 bytes long, more than a picture the editor reads takes.\n"}};
    for (const auto& [file, said] : refusals) {
        const Outcome refused = shell.run({"decode", file, dir.filePath("out.bmp")});
        EXPECT_EQ(refused.status, 1) << refused.err.toStdString();
        EXPECT_TRUE(refused.err.endsWith(said)) << refused.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.bmp")));
}

// Export and check read a level alike: what check refuses, export refuses in the same
// words, and nothing reaches the game.
TEST(CommandLine, ExportRefusesWhatCheckRefusesAndWritesNothing) {
    GameOnDisk game;
    game.take(0, 8);
    QTemporaryDir levels;
    auto at = [&](const QString& name) { return levels.filePath(name); };
    savePicture(Picture(60, 40, kWall), at("NoColour.map.bmp"));
    savePicture(Picture(192, 177, kWhite), at("NoColour.thumb.bmp"));
    writeFile(at("Png.level.png"), "\x89PNG\r\n\x1a\n");
    savePicture(Picture(60, 40, kWall), at("Broken.map.bmp"));
    writeFile(at("Broken.level.bmp"), "BM not a picture");
    const std::pair<QString, QString> refusals[] = {
        {at("NoColour.map.bmp"), ": the set has no colour layer (.level.bmp)."},
        {at("Png.level.png"), ": the set has no colour layer (.level.bmp)."},
        {at("Broken.map.bmp"), ": Broken.level.bmp: The picture file ends too early."},
        {at("Gone.level.bmp"), ": The file does not exist."}};
    const QStringList gameBefore = folderContents(game.gfx);
    Shell shell;
    for (const auto& [path, why] : refusals) {
        const Outcome checked = shell.run({"check", path});
        const Outcome exported = shell.run({"export", path, "--game", game.folder.path()});
        EXPECT_TRUE(checked.status == 1 && checked.err == path + why + "\n") << checked.err.toStdString();
        EXPECT_EQ(exported.status, 1) << path.toStdString();
        EXPECT_EQ(exported.err, checked.err);
        EXPECT_EQ(exported.out, "");
    }
    EXPECT_EQ(folderContents(game.gfx), gameBefore);
    EXPECT_FALSE(QFileInfo::exists(shell.dataFolder() + "/gameFolder.txt"));
}

// A word that is no command and no file is named back; the window without a display is
// told, whatever the reason the display cannot be reached, and never ends in an abort.
TEST(CommandLine, UnknownWordsAndAMissingDisplayAreToldNotAborted) {
    QTemporaryDir dir;
    const QString picture = dir.filePath("Cave.bmp");
    savePicture(Picture(30, 20, kWall), picture);
    Shell shell;
    shell.waitMs = 20000;
    const Outcome unknown = shell.run({"frobnicate"}); // the suite's platform would show a window
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "frobnicate: unknown command or file; see --help.\n");
    EXPECT_EQ(shell.run({"frobnicate", picture}).status, 2);

    const std::tuple<const char*, const char*, QStringList> displays[] = {
        {nullptr, nullptr, {}},          // nothing set
        {nullptr, nullptr, {picture}},   // a file to open is no command
        {"DISPLAY", ":4242", {}},        // nobody answers there
        {"QT_QPA_PLATFORM", "xcb", {}}}; // chosen, yet no display
    for (const auto& [variable, value, arguments] : displays) {
        Shell without;
        without.environment.remove("QT_QPA_PLATFORM");
        if (variable) without.environment.insert(variable, value);
        without.waitMs = 20000;
        const Outcome refused = without.run(arguments);
        EXPECT_EQ(refused.status, 1) << (variable ? variable : "none") << ": " << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains("vortan-editor: the window cannot be opened: no display can be "
                                         "reached (DISPLAY "))
            << refused.err.toStdString();
    }
}

// A relative game folder is remembered whole, so that an export from elsewhere finds it;
// a name that is not UTF-8 is said to be unreadable, not missing.
TEST(CommandLine, GameFoldersAreRememberedWholeAndUnreadableNamesAreSaidSo) {
    GameOnDisk game;
    game.take(0, 8);
    QTemporaryDir levels;
    const QString set = levels.filePath("Cave.level.bmp");
    savePicture(Picture(60, 40, kWall), set);
    Shell shell;
    shell.waitMs = 20000;
    shell.workingDirectory = QFileInfo(game.folder.path()).path();
    const Outcome first = shell.run({"export", set, "--game", QFileInfo(game.folder.path()).fileName()});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(readFile(shell.dataFolder() + "/gameFolder.txt"), (game.folder.path() + "/").toUtf8());
    shell.workingDirectory = levels.path();
    EXPECT_EQ(shell.run({"export", set}).status, 0);
    EXPECT_TRUE(QFileInfo::exists(game.gfx + "levelm10.quox"));

    // The shell passes the bytes as they are; QProcess would pass UTF-8.
    const QByteArray unreadable = QFile::encodeName(levels.path()) + "/caf\xff.level.bmp";
    const int fd = ::open(unreadable.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QString said =
        levels.path() + "/caf\uFFFD.level.bmp: the name cannot be read (it is not UTF-8 text).\n";
    for (const char* command : {"check", "export", ""}) {
        const Outcome refused = shell.run({"-c", "exec \"$0\" $1 \"$2/$(printf 'caf\\377.level.bmp')\"",
                                           installed().program(), command, levels.path()},
                                          "/bin/sh");
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_EQ(refused.err, said) << command;
    }
    ::unlink(unreadable.constData()); // no QString names it, so the folder's removal cannot
}
