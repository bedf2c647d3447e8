#include "app/InstalledEditor.h"
#include "core/Picture.h"
#include "files/GameFormat.h"
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
