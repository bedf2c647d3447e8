#include "files/GameFormat.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <random>
#include <sys/resource.h>

using namespace vortan;
using namespace vortan::test;

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Every file below a folder, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    return found;
}

// An editor whose game folder is a fresh temporary folder with the level folder in it.
struct GameEditor {
    TestEditor e;
    QTemporaryDir game;
    explicit GameEditor(bool withLevelFolder = true) {
        e->gameFolder = game.path() + "/";
        if (withLevelFolder) QDir(game.path()).mkpath("gameData/Gfx");
    }
    QString file(const QString& name) const { return game.path() + "/gameData/Gfx/" + name; }
};

// A game file read back as the game reads it.
struct GameFile {
    int kind = -1, one = -1, width = -1, height = -1, base = -1;
    std::vector<Colour> palette;
    QByteArray stream;
    std::vector<int> values; // pixel values in reading order
};

GameFile decode(const QByteArray& b) {
    GameFile f;
    if (b.size() < 16 || !b.startsWith("QUOX3zzzz")) {
        ADD_FAILURE() << "no game file header";
        return f;
    }
    auto at = [&](int i) { return int(uint8_t(b[i])); };
    f.kind = at(9);
    f.one = at(10);
    f.width = at(11) + 256 * at(12);
    f.height = at(13) + 256 * at(14);
    f.base = at(15) + 1;
    int pos = 16;
    if (f.kind == 1) {
        if (b.size() < pos + 3 * f.base) {
            ADD_FAILURE() << "palette cut short";
            return f;
        }
        for (int i = 0; i < f.base; ++i, pos += 3)
            f.palette.push_back(RGB(at(pos), at(pos + 1), at(pos + 2)));
    }
    f.stream = b.mid(pos);
    for (char c : std::as_const(f.stream)) {
        const int v = uint8_t(c);
        if (v < f.base) {
            f.values.push_back(v);
        } else if (f.values.empty()) {
            ADD_FAILURE() << "the stream begins with a repeat";
            return f;
        } else {
            f.values.insert(f.values.end(), v - f.base + 1, f.values.back());
        }
    }
    return f;
}

// The run-length coding exactly as the game format describes it, one pixel at a time.
QByteArray referenceStream(const std::vector<int>& values, int base) {
    QByteArray out;
    int prev = -1, run = 0;
    for (int x : values) {
        if (x == prev) {
            if (++run > 255 - base) {
                out.append(char(base + run - 1));
                run = 0;
            }
        } else {
            if (run > 0) out.append(char(base + run - 1));
            run = 0;
            out.append(char(x));
        }
        prev = x;
    }
    if (run > 0) out.append(char(base + run - 1));
    return out;
}

int distance(Colour a, Colour b) {
    return 2 * std::abs(redOf(a) - redOf(b)) + 3 * std::abs(greenOf(a) - greenOf(b)) +
           std::abs(blueOf(a) - blueOf(b));
}

// The first palette entry at the least distance.
int nearestIndex(const std::vector<Colour>& palette, Colour c) {
    int best = 999999, index = 0;
    for (int i = 0; i < int(palette.size()); ++i) {
        const int d = distance(palette[i], c);
        if (d < best) {
            best = d;
            index = i;
            if (d == 0) break;
        }
    }
    return index;
}

std::vector<Colour> pixelsOf(const PictureSurface& s) {
    std::vector<Colour> out;
    for (int y = 0; y < s.ScaleHeight(); ++y)
        for (int x = 0; x < s.ScaleWidth(); ++x)
            out.push_back(GetPixel(s, x, y));
    return out;
}

// The first `limit` different colours in reading order.
std::vector<Colour> firstColours(const std::vector<Colour>& pixels, size_t limit) {
    std::vector<Colour> found;
    for (Colour c : pixels) {
        if (found.size() == limit) break;
        if (std::find(found.begin(), found.end(), c) == found.end()) found.push_back(c);
    }
    return found;
}

// Runs of 1 to maxRun pixels of colours drawn from `colours`, the runs crossing rows.
QImage runsOf(int w, int h, const std::vector<Colour>& colours, int maxRun, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, colours.size() - 1);
    std::uniform_int_distribution<int> length(1, maxRun);
    QImage img(w, h, QImage::Format_RGB32);
    int left = 0;
    Colour c = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (left-- == 0) {
                left = length(rng) - 1;
                c = colours[pick(rng)];
            }
            img.setPixel(x, y, toPixel(c));
        }
    return img;
}

std::vector<Colour> someColours(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Colour> out;
    while (int(out.size()) < n) {
        const Colour c = rng() & 0xFFFFFF;
        if (std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
    }
    return out;
}

} // namespace

TEST(GameFormat, SizesAndMaterialCodes) {
    EXPECT_EQ(numToBin(300), bytesOf({44, 1}));
    EXPECT_EQ(numToBin(2), bytesOf({2, 0}));
    EXPECT_EQ(numToBin(65535), bytesOf({255, 255}));
    EXPECT_EQ(numToBin(0x11170), bytesOf({0x70, 0x11})); // only the low 16 bits

    EXPECT_EQ(materialCode(kBlack), 0);
    EXPECT_EQ(materialCode(kWater), 1);
    EXPECT_EQ(materialCode(kBehindWall), 64);
    EXPECT_EQ(materialCode(kWall), 128);
    EXPECT_EQ(materialCode(kPlatformFSA), 129);
    EXPECT_EQ(materialCode(kPlatformFS), 131);
    EXPECT_EQ(materialCode(kExplosive), 132);
    // Only exact colours are materials; everything else is wall.
    for (Colour c :
         {RGB(0, 0, 254), RGB(1, 0, 0), RGB(128, 0, 1), RGB(255, 255, 1), kWhite, Colour(0xFFFFFFFF)})
        EXPECT_EQ(materialCode(c), 128) << std::hex << c;
}

TEST(GameFormat, RunLengthWriterFollowsTheAlgorithmAcrossRows) {
    std::mt19937 rng(7);
    for (int base : {1, 2, 64, 133, 192, 255}) {
        // Long runs of few values, split into rows of every length, runs crossing rows.
        std::uniform_int_distribution<int> value(0, std::min(base - 1, 3)), length(1, 700), rowLength(0, 300);
        std::vector<int> values;
        while (values.size() < 20000)
            values.insert(values.end(), length(rng), value(rng));
        QByteArray out("head");
        RunLengthWriter writer(out, base);
        for (size_t i = 0; i < values.size();) {
            const size_t n = std::min(size_t(rowLength(rng)), values.size() - i);
            std::vector<uint8_t> row(values.begin() + i, values.begin() + i + n);
            writer.writeRow(row.data(), int(n));
            i += n;
        }
        writer.finish();
        ASSERT_EQ(out, "head" + referenceStream(values, base)) << "base " << base;
    }
}

TEST(GameFormat, LevelOfOneColourIsOneLiteralAndOneRepeat) {
    GameEditor g;
    g.e->Level[0].setPicture(filledImage(3, 2, RGB(10, 20, 30)));
    g.e->progressPhases = 3;
    ASSERT_TRUE(g.e->saveLevelQUOX("07"));
    EXPECT_EQ(readAll(g.file("level07.quox")),
              "QUOX3zzzz" + bytesOf({1, 1, 3, 0, 2, 0, 0, 10, 20, 30, 0, 5}));
    EXPECT_EQ(filesBelow(g.game.path()), QStringList{"gameData/Gfx/level07.quox"});
}

TEST(GameFormat, MapRowOfWaterSplitsTheRunAt255) {
    GameEditor g;
    g.e->Level[1].setPicture(filledImage(200, 1, kWater));
    g.e->progressPhases = 3;
    ASSERT_TRUE(g.e->saveAMapQUOX("12"));
    EXPECT_EQ(readAll(g.file("levelm12.quox")),
              "QUOX3zzzz" + bytesOf({2, 1, 200, 0, 1, 0, 132, 1, 255, 208}));
    EXPECT_EQ(g.e->clut.count, 133); // the map's run base stays in the table
}

// A full palette: runs go to 64 pixels a byte, and colours that map to one entry run on.
TEST(GameFormat, FullPaletteRunAfterTheLiteral) {
    GameEditor g;
    QImage img(192 + 65, 1, QImage::Format_RGB32);
    for (int x = 0; x < 192; ++x)
        img.setPixel(x, 0, toPixel(RGB(x, 0, 0)));
    // Not in the table (the scan stops at the 192nd colour) and nearest to the last entry.
    for (int x = 192; x < 192 + 65; ++x)
        img.setPixel(x, 0, toPixel(x % 2 ? RGB(191, 0, 1) : RGB(191, 0, 0)));
    g.e->Level[0].setPicture(img);
    g.e->progressPhases = 3;
    g.e.ui.answers = {MsgAnswer::OK};
    ASSERT_TRUE(g.e->saveLevelQUOX("01"));
    ASSERT_EQ(g.e.ui.messages.size(), 1u);
    EXPECT_EQ(g.e.ui.messages[0].title, " WARNING! ");

    QByteArray expected = "QUOX3zzzz" + bytesOf({1, 1, 1, 1, 1, 0, 191});
    for (int i = 0; i < 192; ++i)
        expected += bytesOf({i, 0, 0});
    for (int i = 0; i < 192; ++i)
        expected += char(i);
    expected += bytesOf({255, 192});
    EXPECT_EQ(readAll(g.file("level01.quox")), expected);
}

TEST(GameFormat, LevelImageDecodesToTheNearestPaletteColours) {
    GameEditor g;
    std::vector<Colour> colours = someColours(260, 3);
    // Neighbours of palette colours that are themselves never in the palette.
    for (int i = 0; i < 40; ++i)
        colours.push_back(colours[i] ^ 0x010101);
    g.e->Level[0].setPicture(runsOf(300, 200, colours, 150, 4));
    g.e->progressPhases = 3;
    g.e.ui.answers = {MsgAnswer::OK};
    ASSERT_TRUE(g.e->saveLevelQUOX("42"));

    const QByteArray file = readAll(g.file("level42.quox"));
    EXPECT_EQ(file.mid(9, 6), bytesOf({1, 1, 44, 1, 200, 0}));
    const GameFile f = decode(file);
    const std::vector<Colour> pixels = pixelsOf(g.e->Level[0]);
    EXPECT_EQ(f.palette, firstColours(pixels, 192));
    ASSERT_EQ(f.values.size(), pixels.size());
    std::vector<int> expected;
    for (Colour c : pixels)
        expected.push_back(nearestIndex(f.palette, c));
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(f.values[i], expected[i]) << "pixel " << i % 300 << ", " << i / 300;
    EXPECT_EQ(f.stream, referenceStream(expected, 192));
}

TEST(GameFormat, ThumbnailCoversTheCanvasWithItsOwnPalette) {
    GameEditor g;
    g.e->thumbNail.setPicture(runsOf(192, 177, someColours(150, 5), 20, 6));
    g.e->progressSum = 0;
    g.e->progressPhases = 3;
    const QString caption = g.e->controls.rValue;
    int yields = 0;
    g.e->yieldHook = [&] { ++yields; };
    ASSERT_TRUE(g.e->saveLevelThumb("03"));

    const GameFile f = decode(readAll(g.file("level03t.quox")));
    EXPECT_EQ(f.kind, 1);
    EXPECT_EQ(f.width, 192);
    EXPECT_EQ(f.height, 177);
    const std::vector<Colour> pixels = pixelsOf(g.e->thumbNail);
    EXPECT_EQ(f.palette, firstColours(pixels, 128));
    ASSERT_EQ(f.values.size(), pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(f.values[i], nearestIndex(f.palette, pixels[i])) << "pixel " << i;
    // No warning, no progress; every row of the encoding yields.
    EXPECT_TRUE(g.e.ui.messages.empty());
    EXPECT_EQ(g.e->progressSum, 0);
    EXPECT_EQ(g.e->controls.rValue, caption);
    EXPECT_GE(yields, 177);
}

TEST(GameFormat, MapDecodesToMaterialCodes) {
    GameEditor g;
    std::vector<Colour> colours = {kBlack,      kWater,       kBehindWall,     kWall,
                                   kPlatformFS, kPlatformFSA, kExplosive,      RGB(0, 0, 254),
                                   kWhite,      RGB(1, 2, 3), RGB(255, 255, 1)};
    g.e->Level[1].setPicture(runsOf(300, 200, colours, 400, 8));
    g.e->progressPhases = 3;
    ASSERT_TRUE(g.e->saveAMapQUOX("99"));

    const GameFile f = decode(readAll(g.file("levelm99.quox")));
    EXPECT_EQ(f.kind, 2);
    EXPECT_EQ(f.one, 1);
    EXPECT_EQ(f.width, 300);
    EXPECT_EQ(f.height, 200);
    EXPECT_EQ(f.base, 133);
    const std::vector<Colour> pixels = pixelsOf(g.e->Level[1]);
    std::vector<int> expected;
    for (Colour c : pixels)
        expected.push_back(materialCode(c));
    EXPECT_EQ(f.values, expected);
    EXPECT_EQ(f.stream, referenceStream(expected, 133));
}

TEST(GameFormat, ExportPassesReachFullProgress) {
    GameEditor g;
    g.e->Level[0].setPicture(runsOf(300, 200, someColours(100, 9), 50, 10));
    g.e->Level[1].setPicture(runsOf(300, 200, {kWall, kWater, kBlack}, 50, 11));
    g.e->thumbNail.setPicture(filledImage(192, 177, kWhite));
    g.e->progressSum = 0;
    g.e->progressPhases = 3;
    int yields = 0;
    g.e->yieldHook = [&] { ++yields; };

    ASSERT_TRUE(g.e->saveLevelThumb("05"));
    EXPECT_EQ(g.e->progressSum, 0);
    ASSERT_TRUE(g.e->saveLevelQUOX("05"));
    EXPECT_EQ(g.e->controls.rValue, "67%");
    ASSERT_TRUE(g.e->saveAMapQUOX("05"));
    EXPECT_EQ(g.e->controls.rValue, "100%");
    // Every row of each scan (no palette fills up) and of each encoding yields.
    EXPECT_EQ(yields, 2 * 177 + 2 * 200 + 200);
    EXPECT_EQ(filesBelow(g.game.path()).size(), 3);
}

TEST(GameFormat, MissingLevelFolderWritesNothing) {
    GameEditor g(false);
    g.e->Level[0].setPicture(filledImage(30, 20, RGB(1, 2, 3)));
    g.e->Level[1].setPicture(filledImage(30, 20, kWall));
    g.e->progressPhases = 3;
    EXPECT_FALSE(g.e->saveLevelQUOX("00"));
    EXPECT_FALSE(g.e->saveLevelThumb("00"));
    EXPECT_FALSE(g.e->saveAMapQUOX("00"));
    EXPECT_TRUE(filesBelow(g.game.path()).isEmpty());
    EXPECT_TRUE(g.e.ui.messages.empty());
}

TEST(GameFormat, FailedWriteLeavesTheOldFile) {
    GameEditor g;
    g.e->Level[0].setPicture(runsOf(100, 100, someColours(50, 12), 5, 13));
    g.e->progressPhases = 3;
    const QByteArray old = "an older level";
    writeAll(g.file("level08.quox"), old);

    // The disk refuses more than a few bytes per file (even to the superuser).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = g.e->saveLevelQUOX("08");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(g.file("level08.quox")), old);
    EXPECT_EQ(filesBelow(g.game.path()), QStringList{"gameData/Gfx/level08.quox"});

    // A folder where the map should go stays a folder.
    QDir(g.game.path()).mkpath("gameData/Gfx/levelm08.quox");
    g.e->Level[1].setPicture(filledImage(10, 10, kWall));
    EXPECT_FALSE(g.e->saveAMapQUOX("08"));
    EXPECT_TRUE(QFileInfo(g.file("levelm08.quox")).isDir());
    EXPECT_EQ(filesBelow(g.game.path()), QStringList{"gameData/Gfx/level08.quox"});
}

TEST(GameFormat, LevelResizedDuringTheWriteIsNotWritten) {
    GameEditor g;
    g.e->Level[0].setPicture(filledImage(40, 10, RGB(9, 9, 9)));
    g.e->progressPhases = 3;
    const QByteArray old = "an older level";
    writeAll(g.file("level02.quox"), old);
    // The scan yields after each of its ten rows; the first yield of the encoding resizes.
    int yields = 0;
    g.e->yieldHook = [&] {
        if (++yields == 11) g.e->Level[0].resize(40, 20);
    };
    EXPECT_FALSE(g.e->saveLevelQUOX("02"));
    EXPECT_EQ(readAll(g.file("level02.quox")), old);
    EXPECT_EQ(filesBelow(g.game.path()), QStringList{"gameData/Gfx/level02.quox"});
}
