#include "core/PictureSurface.h"
#include "support/GifWriter.h"
#include "support/ImageCompare.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vortan;
using vortan::test::filledImage;
using vortan::test::sameImage;
using namespace vortan::test::gif;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Bytes cut(Bytes b, size_t dropped) {
    b.resize(b.size() - dropped);
    return b;
}

// A picture given row by row from the top.
QImage picture(int w, int h, std::initializer_list<Colour> colours) {
    QImage img(w, h, QImage::Format_RGB32);
    auto c = colours.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, toPixel(*c++));
    return img;
}

// A Windows BMP with the 40-byte info header; `data` is the pixel data as stored.
// The palette is written as given and the pixels start right after it.
Bytes bmpFile(int32_t width, int32_t height, int bpp, uint32_t compression,
              const std::vector<Colour>& palette, const Bytes& data, uint32_t coloursUsed) {
    const uint32_t offset = 54 + 4 * uint32_t(palette.size());
    Bytes b{'B', 'M'};
    add32(b, offset + uint32_t(data.size()));
    add32(b, 0);
    add32(b, offset);
    add32(b, 40);
    add32(b, uint32_t(width));
    add32(b, uint32_t(height));
    add16(b, 1);
    add16(b, uint16_t(bpp));
    add32(b, compression);
    add32(b, uint32_t(data.size()));
    add32(b, 2835);
    add32(b, 2835);
    add32(b, coloursUsed);
    add32(b, 0);
    for (Colour c : palette)
        addBytes(b, {uint8_t(blueOf(c)), uint8_t(greenOf(c)), uint8_t(redOf(c)), 0});
    addBytes(b, data);
    return b;
}

Bytes bmpFile(int32_t width, int32_t height, int bpp, const std::vector<Colour>& palette, const Bytes& data) {
    return bmpFile(width, height, bpp, 0, palette, data, uint32_t(palette.size()));
}

constexpr Colour kRed = RGB(255, 0, 0);
constexpr Colour kGreen = RGB(0, 255, 0);
constexpr Colour kBlue = RGB(0, 0, 255);
constexpr Colour kGrey = RGB(10, 20, 30);

const std::vector<Colour> kFour = {kRed, kGreen, kBlue, kGrey};

// A 5 x 4 image with runs and repeats, so the coder uses table entries and the
// code that is defined by its own use.
GifImage fourColourImage() {
    GifImage image;
    image.width = 5;
    image.height = 4;
    image.indices = {0, 0, 0, 0, 0, //
                     1, 2, 1, 2, 1, //
                     3, 3, 3, 0, 1, //
                     2, 2, 2, 2, 3};
    return image;
}

QImage fourColourPicture() {
    return picture(5, 4, {kRed,   kRed,  kRed,   kRed,  kRed,   //
                          kGreen, kBlue, kGreen, kBlue, kGreen, //
                          kGrey,  kGrey, kGrey,  kRed,  kGreen, //
                          kBlue,  kBlue, kBlue,  kBlue, kGrey});
}

std::optional<QImage> load(const QString& path, QString* error = nullptr) {
    return LoadPicture(path, error);
}

// Loading fails and gives a reason.
::testing::AssertionResult refused(const QString& path) {
    QString error;
    const auto got = LoadPicture(path, &error);
    if (got)
        return ::testing::AssertionFailure()
               << "loaded a " << got->width() << "x" << got->height() << " picture";
    if (error.isEmpty()) return ::testing::AssertionFailure() << "failed without a reason";
    return ::testing::AssertionSuccess();
}

} // namespace

// --- Saving -------------------------------------------------------------------------

TEST(SavePicture, WritesBottomUpTwentyFourBitRowsPaddedToFourBytes) {
    QTemporaryDir dir;
    PictureSurface s(3, 2);
    SetPixelV(s, 0, 0, RGB(1, 2, 3));
    SetPixelV(s, 1, 0, RGB(4, 5, 6));
    SetPixelV(s, 2, 0, RGB(7, 8, 9));
    SetPixelV(s, 0, 1, RGB(10, 11, 12));
    SetPixelV(s, 1, 1, RGB(13, 14, 15));
    SetPixelV(s, 2, 1, RGB(16, 17, 18));
    const QString path = dir.filePath("small.bmp");
    ASSERT_TRUE(SavePicture(s, path));

    const Bytes expected = {
        'B',  'M',  78, 0,  0,    0,    0,  0,  0,  0, 54, 0, 0, 0, // file header
        40,   0,    0,  0,  3,    0,    0,  0,  2,  0, 0,  0, 1, 0, 24, 0,
        0,    0,    0,  0,  24,   0,    0,  0,                             // info header
        0xC4, 0x0E, 0,  0,  0xC4, 0x0E, 0,  0,  0,  0, 0,  0, 0, 0, 0,  0, //
        12,   11,   10, 15, 14,   13,   18, 17, 16, 0, 0,  0,              // bottom row first, blue green red
        3,    2,    1,  6,  5,    4,    9,  8,  7,  0, 0,  0,              // then the top row
    };
    EXPECT_EQ(readFile(path),
              QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
}

TEST(SavePicture, LoadingTheFileBackGivesTheSameColours) {
    QTemporaryDir dir;
    PictureSurface s(37, 23); // 111 bytes of colour per row, one of padding
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            SetPixelV(s, x, y, RGB(x * 7, y * 11, (x * y + 200) & 0xFF));
    SetPixelV(s, 0, 0, kWhite);
    SetPixelV(s, 36, 22, RGB(1, 0, 254));
    const QString path = dir.filePath("round.bmp");
    ASSERT_TRUE(SavePicture(s, path));
    EXPECT_EQ(QFileInfo(path).size(), 54 + 112 * 23);

    const auto back = load(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->format(), QImage::Format_RGB32);
    EXPECT_TRUE(sameImage(s.Image(), *back));
}

TEST(SavePicture, ReplacesAnExistingFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("level.bmp");
    PictureSurface big(40, 30, kBlue);
    ASSERT_TRUE(SavePicture(big, path));
    PictureSurface small(2, 1, kGreen);
    ASSERT_TRUE(SavePicture(small, path));
    EXPECT_EQ(QFileInfo(path).size(), 54 + 8);
    const auto back = load(path);
    ASSERT_TRUE(back);
    EXPECT_TRUE(sameImage(filledImage(2, 1, kGreen), *back));
}

TEST(SavePicture, FailsWhenTheFolderCannotHoldTheFile) {
    QTemporaryDir dir;
    PictureSurface s(4, 4, kRed);
    EXPECT_FALSE(SavePicture(s, dir.filePath("missing/level.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));

    // A "folder" that is a file cannot be written into, whoever runs the test.
    writeFile(dir, "plain", {'x'});
    EXPECT_FALSE(SavePicture(s, dir.filePath("plain/level.bmp")));
    EXPECT_EQ(readFile(dir.filePath("plain")), QByteArray("x"));

    EXPECT_FALSE(SavePicture(s, dir.path())); // the name of a folder
    EXPECT_FALSE(SavePicture(PictureSurface(0, 0), dir.filePath("empty.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("empty.bmp")));
}

// The write itself fails part-way, as on a full disk: the file size limit stops it
// (permission bits would not, since the tests may run as root).
TEST(SavePicture, AFailedWriteLeavesTheOldFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath("level.bmp");
    ASSERT_TRUE(SavePicture(PictureSurface(3, 2, kRed), path));
    const QByteArray before = readFile(path);

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SavePicture(PictureSurface(200, 100, kBlue), path); // 60054 bytes
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"level.bmp"});
}

// --- Loading BMP pictures -------------------------------------------------------------

TEST(LoadPictureBmp, PalettePicturesOfOneFourAndEightBits) {
    QTemporaryDir dir;
    const Colour a = RGB(200, 10, 20), b = RGB(5, 250, 60), c = RGB(1, 2, 3), d = RGB(90, 80, 70);

    // 10 pixels of 1 bit: two bytes of pixels and two of padding per row, bottom row first.
    const auto one = load(writeFile(dir, "one.bmp",
                                    bmpFile(10, 2, 1, {a, b},
                                            {0b10110000, 0b01000000, 0xFF, 0xFF, //
                                             0b01001111, 0b11000000, 0, 0})));
    ASSERT_TRUE(one);
    EXPECT_TRUE(sameImage(picture(10, 2, {a, b, a, a, b, b, b, b, b, b, //
                                          b, a, b, b, a, a, a, a, a, b}),
                          *one));

    // 3 pixels of 4 bits with a three-colour palette; index 7 lies beyond it and is black.
    const auto four =
        load(writeFile(dir, "four.bmp", bmpFile(3, 2, 4, {a, b, c}, {0x01, 0x20, 0, 0, 0x27, 0x10, 0, 0})));
    ASSERT_TRUE(four);
    EXPECT_TRUE(sameImage(picture(3, 2, {c, kBlack, b, a, b, c}), *four));

    // 8 bits, "all 256 colours" announced but only four written before the pixels.
    const auto eight = load(writeFile(dir, "eight.bmp",
                                      bmpFile(5, 2, 8, 0, {a, b, c, d},
                                              {3, 2, 1, 0, 3, 0, 0, 0, //
                                               0, 1, 2, 3, 0, 0, 0, 0},
                                              0)));
    ASSERT_TRUE(eight);
    EXPECT_TRUE(sameImage(picture(5, 2, {a, b, c, d, a, d, c, b, a, d}), *eight));
}

TEST(LoadPictureBmp, DirectColourPictures) {
    QTemporaryDir dir;

    // 32 bits with rubbish in the fourth byte, which is not alpha.
    const auto plain32 =
        load(writeFile(dir, "32.bmp", bmpFile(2, 1, 32, {}, {1, 2, 3, 0x55, 30, 20, 10, 0})));
    ASSERT_TRUE(plain32);
    EXPECT_TRUE(sameImage(picture(2, 1, {RGB(3, 2, 1), RGB(10, 20, 30)}), *plain32));

    // 24 bits stored top-down (negative height).
    const auto topDown = load(writeFile(dir, "top.bmp",
                                        bmpFile(2, -2, 24, {},
                                                {255, 0, 0, 0, 255, 0, 0, 0, //
                                                 0, 0, 255, 9, 8, 7, 0, 0})));
    ASSERT_TRUE(topDown);
    EXPECT_TRUE(sameImage(picture(2, 2, {kBlue, kGreen, kRed, RGB(7, 8, 9)}), *topDown));

    // 16 bits without masks are 5-5-5; five bits scale to 0..255.
    const auto x555 =
        load(writeFile(dir, "555.bmp", bmpFile(3, 1, 16, {}, {0xFF, 0x7F, 0x1F, 0x00, 0x10, 0x42, 0, 0})));
    ASSERT_TRUE(x555);
    EXPECT_TRUE(sameImage(picture(3, 1, {kWhite, kBlue, RGB(132, 132, 132)}), *x555));

    // 16 bits with 5-6-5 masks after the header.
    Bytes masks565;
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        add32(masks565, m);
    Bytes b565 = bmpFile(2, 1, 16, 3, {}, {0xE0, 0x07, 0x00, 0xF8}, 0);
    b565.insert(b565.begin() + 54, masks565.begin(), masks565.end());
    b565[10] = 54 + 12;
    const auto f565 = load(writeFile(dir, "565.bmp", b565));
    ASSERT_TRUE(f565);
    EXPECT_TRUE(sameImage(picture(2, 1, {kGreen, kRed}), *f565));
}

TEST(LoadPictureBmp, OlderHeaders) {
    QTemporaryDir dir;

    // The 12-byte core header, with three-byte palette entries.
    Bytes core{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0, 12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0};
    addBytes(core, {30, 20, 10, 60, 50, 40});                   // two colours, blue green red
    addBytes(core, {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}); // bottom row first
    const auto gotCore = load(writeFile(dir, "core.bmp", core));
    ASSERT_TRUE(gotCore);
    const Colour c0 = RGB(10, 20, 30), c1 = RGB(40, 50, 60);
    EXPECT_TRUE(sameImage(picture(3, 2, {c0, c1, c0, c1, c0, c1}), *gotCore));
}

namespace {

// A one-row direct colour BMP with an info header of `infoSize` bytes. The masks (red,
// green, blue, maybe alpha) start after its basic 40 bytes: inside a larger header, or
// after a basic one.
Bytes maskedBmp(uint32_t infoSize, uint32_t compression, int bpp, int width,
                const std::vector<uint32_t>& masks, const Bytes& pixels) {
    Bytes b = bmpFile(width, 1, bpp, compression, {}, pixels, 0);
    Bytes extra;
    for (uint32_t m : masks)
        add32(extra, m);
    if (infoSize > 40) extra.resize(infoSize - 40, 0);
    b.insert(b.begin() + 54, extra.begin(), extra.end());
    b[10] = uint8_t(54 + extra.size());
    b[14] = uint8_t(infoSize);
    return b;
}

} // namespace

// The editor has no transparency: pixels are laid over black, so a clear one is empty.
TEST(LoadPictureBmp, AlphaChannelsAreLaidOverBlack) {
    QTemporaryDir dir;
    const std::vector<uint32_t> rgba = {0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u}; // byte order r g b a
    struct Case {
        const char* name;
        uint32_t infoSize, compression;
        int bpp;
        std::vector<uint32_t> masks;
        Bytes pixels;
        std::vector<Colour> expected;
    };
    const Case cases[] = {
        {"124-byte header",
         124,
         3,
         32,
         rgba,
         {10, 20, 30, 0, 200, 100, 51, 128, 250, 251, 252, 255}, // alpha 0, 128, 255
         {kBlack, RGB(100, 50, 26), RGB(250, 251, 252)}},
        {"4444 masks after a basic header",
         40,
         6,
         16,
         {0x0F00, 0x00F0, 0x000F, 0xF000},
         {0x83, 0x0F, 0x83, 0x8F, 0x83, 0xFF, 0, 0}, // colour (15, 8, 3) at alpha 0, 8, 15
         {kBlack, RGB(136, 73, 27), RGB(255, 136, 51)}},
        {"56-byte header",
         56,
         3,
         32,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         {1, 2, 3, 0, 4, 5, 6, 255},
         {kBlack, RGB(6, 5, 4)}},
        // Without room for an alpha mask, the bytes where it would be are the first pixel.
        {"52-byte header",
         52,
         3,
         32,
         {0xFF0000, 0xFF00, 0xFF},
         {1, 2, 3, 0, 4, 5, 6, 7},
         {RGB(3, 2, 1), RGB(6, 5, 4)}},
        // Plain 32-bit pixels leave their fourth byte unused, whatever masks the header holds.
        {"plain with masks", 124, 0, 32, rgba, {1, 2, 3, 0, 4, 5, 6, 128}, {RGB(3, 2, 1), RGB(6, 5, 4)}},
    };
    for (const Case& c : cases) {
        const int w = int(c.expected.size());
        const auto got = load(
            writeFile(dir, "alpha.bmp", maskedBmp(c.infoSize, c.compression, c.bpp, w, c.masks, c.pixels)));
        ASSERT_TRUE(got) << c.name;
        QImage expected(w, 1, QImage::Format_RGB32);
        for (int x = 0; x < w; ++x)
            expected.setPixel(x, 0, toPixel(c.expected[size_t(x)]));
        EXPECT_TRUE(sameImage(expected, *got)) << c.name;
    }
}

namespace {

const Colour kDark = RGB(9, 9, 9); // index 0: skipped pixels must not take it

// 6 x 3 in runs: bottom row a run cut short by a line end, middle row a padded
// absolute run and a run, top row reached by a jump and closed by the end marker.
const Bytes kRle8 = {
    5, 1, 0, 0,                   // 1 1 1 1 1 . | line end
    0, 3, 2, 3, 1, 0, 3, 2, 0, 0, // 2 3 1 (padded) 2 2 2 | line end
    0, 2, 2, 0, 2, 3, 0, 1,       // jump right by 2, 3 3, end of picture
};

QImage rle8Picture() {
    return picture(6, 3,
                   {kBlack, kBlack, kBlue, kBlue, kBlack, kBlack, //
                    kGreen, kBlue, kRed, kGreen, kGreen, kGreen,  //
                    kRed, kRed, kRed, kRed, kRed, kBlack});
}

} // namespace

TEST(LoadPictureBmp, RunLengthCodedPicturesLeaveSkippedPixelsBlack) {
    QTemporaryDir dir;
    const std::vector<Colour> palette = {kDark, kRed, kGreen, kBlue, kGrey};
    const auto eight = load(writeFile(dir, "rle8.bmp", bmpFile(6, 3, 8, 1, palette, kRle8, 5)));
    ASSERT_TRUE(eight);
    EXPECT_TRUE(sameImage(rle8Picture(), *eight));

    // 4 bits: a run alternates its two nibbles; an absolute run of three takes two bytes.
    const Bytes rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x10, 0, 1};
    const auto four = load(writeFile(dir, "rle4.bmp", bmpFile(5, 2, 4, 2, palette, rle4, 5)));
    ASSERT_TRUE(four);
    EXPECT_TRUE(sameImage(picture(5, 2,
                                  {kBlue, kGrey, kRed, kBlack, kBlack, //
                                   kRed, kGreen, kRed, kGreen, kRed}),
                          *four));

    // A checkerboard of single pixels and jumps takes more than two bytes a pixel. The
    // large one has codes across every buffer's end.
    for (auto [w, h] : {std::pair{6, 6}, std::pair{200, 400}}) {
        Bytes board;
        QImage expected = filledImage(w, h, kBlack);
        for (int row = 0; row < h; ++row) {
            const uint8_t index = uint8_t(1 + row % 4);
            for (int x = 0; x < w; ++x) {
                if ((x + row) % 2 == 0) {
                    addBytes(board, {1, index});
                    expected.setPixel(x, h - 1 - row, toPixel(palette[index]));
                } else {
                    addBytes(board, {0, 2, 1, 0});
                }
            }
            addBytes(board, {0, 0});
        }
        addBytes(board, {0, 1});
        ASSERT_GE(board.size(), size_t(2 * w * h + 4 * h + 16));
        const auto got = load(writeFile(dir, "board.bmp", bmpFile(w, h, 8, 1, palette, board, 5)));
        ASSERT_TRUE(got) << w << "x" << h;
        EXPECT_TRUE(sameImage(expected, *got)) << w << "x" << h;
    }
}

// Runs and jumps that leave the picture, or codes after its last row, are damage.
TEST(LoadPictureBmp, RunLengthStreamsStayInsideThePicture) {
    QTemporaryDir dir;
    const std::vector<Colour> palette = {kDark, kRed, kGreen, kBlue, kGrey};
    const QImage full = picture(3, 2, {kGreen, kGreen, kGreen, kRed, kRed, kRed});
    struct Case {
        const char* name;
        int bpp;
        Bytes runs;
        QImage expected; // null: refused
    };
    const Case cases[] = {
        {"run past the row", 8, {4, 1, 0, 0, 3, 2, 0, 1}, {}},
        {"4-bit run past the row", 4, {4, 0x12, 0, 0, 3, 0x12, 0, 1}, {}},
        {"absolute run past the row", 8, {1, 1, 0, 3, 1, 2, 3, 0, 0, 0, 3, 2, 0, 1}, {}},
        {"4-bit absolute run past the row", 4, {0, 4, 0x12, 0x12, 0, 0, 3, 0x12, 0, 1}, {}},
        {"jump past the row", 8, {1, 1, 0, 2, 3, 0, 0, 1}, {}},
        {"jump below the last row", 8, {0, 2, 0, 2, 0, 1}, {}},
        {"runs after the last row", 8, {3, 1, 0, 0, 3, 2, 0, 0, 3, 3, 0, 1}, {}},
        {"line end after the last row", 8, {3, 1, 0, 0, 3, 2, 0, 0, 0, 0, 0, 1}, {}},
        {"no end marker after the last pixel", 8, {3, 1, 0, 0, 3, 2}, full},
        {"no end marker after the last line end", 8, {3, 1, 0, 0, 3, 2, 0, 0}, full},
        {"end marker after the last line end", 8, {3, 1, 0, 0, 3, 2, 0, 0, 0, 1}, full},
        {"jumps to the edges",
         8,
         {2, 1, 0, 2, 0, 1, 1, 2, 0, 1},
         picture(3, 2, {kBlack, kBlack, kGreen, kRed, kRed, kBlack})},
        {"jump to the last pixel",
         8,
         {3, 1, 0, 0, 0, 2, 3, 0},
         picture(3, 2, {kBlack, kBlack, kBlack, kRed, kRed, kRed})},
    };
    for (const Case& c : cases) {
        const QString path =
            writeFile(dir, "runs.bmp", bmpFile(3, 2, c.bpp, c.bpp == 8 ? 1 : 2, palette, c.runs, 5));
        if (c.expected.isNull()) {
            EXPECT_TRUE(refused(path)) << c.name;
            continue;
        }
        const auto got = load(path);
        ASSERT_TRUE(got) << c.name;
        EXPECT_TRUE(sameImage(c.expected, *got)) << c.name;
    }
}

TEST(LoadPictureBmp, FilesCutShortAreRefused) {
    QTemporaryDir dir;
    // 4 x 3 at 24 bits: 12 bytes per row, no padding.
    Bytes rows(36);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 7);
    const Bytes whole = bmpFile(4, 3, 24, {}, rows);
    ASSERT_TRUE(load(writeFile(dir, "whole.bmp", whole)));
    EXPECT_TRUE(refused(writeFile(dir, "row.bmp", cut(whole, 12))));
    EXPECT_TRUE(refused(writeFile(dir, "byte.bmp", cut(whole, 1))));
    EXPECT_TRUE(refused(writeFile(dir, "nopixels.bmp", cut(whole, 36))));
    EXPECT_TRUE(refused(writeFile(dir, "header.bmp", cut(whole, 36 + 20))));

    // Only the padding of the last row missing: every pixel is there.
    const Bytes padded = bmpFile(3, 2, 24, {}, Bytes(24, 0x40));
    const auto unpadded = load(writeFile(dir, "unpadded.bmp", cut(padded, 3)));
    ASSERT_TRUE(unpadded);
    EXPECT_TRUE(sameImage(filledImage(3, 2, RGB(0x40, 0x40, 0x40)), *unpadded));

    // Cut inside the palette.
    const Bytes withPalette = bmpFile(2, 2, 8, {kRed, kBlue}, Bytes(8));
    EXPECT_TRUE(refused(writeFile(dir, "palette.bmp", Bytes(withPalette.begin(), withPalette.begin() + 58))));

    // Run-length streams that stop before the end marker with rows still to come.
    const std::vector<Colour> palette = {kDark, kRed, kGreen, kBlue, kGrey};
    EXPECT_TRUE(refused(writeFile(dir, "rle-end.bmp", bmpFile(6, 3, 8, 1, palette, cut(kRle8, 2), 5))));
    EXPECT_TRUE(refused(writeFile(dir, "rle-jump.bmp", bmpFile(6, 3, 8, 1, palette, cut(kRle8, 6), 5))));
    EXPECT_TRUE(refused(writeFile(dir, "rle-abs.bmp", bmpFile(6, 3, 8, 1, palette, cut(kRle8, 16), 5))));
}

TEST(LoadPictureBmp, ImpossibleOrOversizedHeadersAreRefusedBeforeDecoding) {
    QTemporaryDir dir;
    QString error;

    // 100000 x 100000 announced in a tiny file: refused for its size, not for being short.
    EXPECT_FALSE(load(writeFile(dir, "huge.bmp", bmpFile(100000, 100000, 24, {}, Bytes(12))), &error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();

    // Just above the limit, with a run-length stream that is complete on its own.
    EXPECT_FALSE(load(writeFile(dir, "big.bmp", bmpFile(8193, 8193, 8, 1, {kRed}, {0, 1}, 1)), &error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();

    for (auto [w, h] :
         std::initializer_list<std::pair<int, int>>{{0, 2}, {-3, 2}, {3, 0}, {INT32_MIN, 1}, {1, INT32_MIN}})
        EXPECT_TRUE(refused(writeFile(dir, "size.bmp", bmpFile(w, h, 24, {}, Bytes(64)))) << w << "x" << h);

    EXPECT_TRUE(refused(writeFile(dir, "jpeg.bmp", bmpFile(1, 1, 24, 4, {}, Bytes(4), 0))));
    EXPECT_TRUE(refused(writeFile(dir, "twobit.bmp", bmpFile(1, 1, 2, {kRed, kBlue}, Bytes(4)))));
    EXPECT_TRUE(refused(writeFile(dir, "rle24.bmp", bmpFile(1, 1, 24, 1, {}, {0, 1}, 0))));
    Bytes offsetInHeader = bmpFile(1, 1, 24, {}, Bytes(4));
    offsetInHeader[10] = 20;
    EXPECT_TRUE(refused(writeFile(dir, "offset.bmp", offsetInHeader)));
}

// --- Loading GIF pictures -------------------------------------------------------------

TEST(LoadPictureGif, FirstImageInExactColours) {
    QTemporaryDir dir;
    GifImage second = fourColourImage();
    second.indices.assign(20, 2);
    const auto got = load(writeFile(dir, "four.gif", gifFile(5, 4, kFour, 0, {fourColourImage(), second})));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->format(), QImage::Format_RGB32);
    EXPECT_TRUE(sameImage(fourColourPicture(), *got));

    // Interlaced rows come in four passes; short images skip some passes entirely.
    for (int h : {3, 4, 11}) {
        GifImage interlaced;
        interlaced.width = 2;
        interlaced.height = h;
        for (int y = 0; y < h; ++y)
            addBytes(interlaced.indices, {uint8_t(y % 4), uint8_t((y / 4) % 4)});
        interlaced.interlaced = true;
        const auto gotInterlaced =
            load(writeFile(dir, "interlaced.gif", gifFile(2, h, kFour, 0, {interlaced})));
        ASSERT_TRUE(gotInterlaced) << h;
        QImage expected(2, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            expected.setPixel(0, y, toPixel(kFour[size_t(y % 4)]));
            expected.setPixel(1, y, toPixel(kFour[size_t((y / 4) % 4)]));
        }
        EXPECT_TRUE(sameImage(expected, *gotInterlaced)) << h;
    }
}

// 256 colours over 300 x 200 pixels fill the coder's table many times: with clear
// codes, and kept full without them.
TEST(LoadPictureGif, LongImagesWithFullCodeTables) {
    QTemporaryDir dir;
    std::vector<Colour> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(RGB(i, 255 - i, (i * 37) & 0xFF));
    GifImage image;
    image.width = 300;
    image.height = 200;
    image.minCodeSize = 8;
    QImage expected(300, 200, QImage::Format_RGB32);
    uint32_t noise = 12345;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            noise = noise * 1103515245 + 12345;
            const uint8_t i = (y % 3 == 0) ? uint8_t(x / 10) : uint8_t(noise >> 24);
            image.indices.push_back(i);
            expected.setPixel(x, y, toPixel(colours[i]));
        }
    for (bool clearWhenFull : {true, false}) {
        image.clearWhenFull = clearWhenFull;
        const auto got = load(writeFile(dir, "long.gif", gifFile(300, 200, colours, 0, {image})));
        ASSERT_TRUE(got) << clearWhenFull;
        EXPECT_TRUE(sameImage(expected, *got)) << clearWhenFull;
    }
}

// Transparent pixels come out black, the editor's empty colour. Outside the image
// the background colour shows, or black when the image has transparency.
TEST(LoadPictureGif, TransparencyLocalColoursAndAnImageSmallerThanThePicture) {
    QTemporaryDir dir;
    GifImage image;
    image.left = 1;
    image.top = 1;
    image.width = 2;
    image.height = 2;
    image.indices = {0, 1, 2, 3};
    image.localColours = {kWhite, RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)};
    const auto opaque = load(writeFile(dir, "opaque.gif", gifFile(4, 3, kFour, 1, {image})));
    ASSERT_TRUE(opaque);
    EXPECT_TRUE(sameImage(picture(4, 3,
                                  {kGreen, kGreen, kGreen, kGreen,       //
                                   kGreen, kWhite, RGB(1, 2, 3), kGreen, //
                                   kGreen, RGB(4, 5, 6), RGB(7, 8, 9), kGreen}),
                          *opaque));

    image.transparent = 3;
    const auto clear = load(writeFile(dir, "clear.gif", gifFile(4, 3, kFour, 1, {image})));
    ASSERT_TRUE(clear);
    EXPECT_TRUE(sameImage(picture(4, 3,
                                  {kBlack, kBlack, kBlack, kBlack,       //
                                   kBlack, kWhite, RGB(1, 2, 3), kBlack, //
                                   kBlack, RGB(4, 5, 6), kBlack, kBlack}),
                          *clear));
}

TEST(LoadPictureGif, DamagedOrCutShortFilesAreRefused) {
    QTemporaryDir dir;
    GifImage big;
    big.width = 40;
    big.height = 30;
    uint32_t noise = 99;
    for (int i = 0; i < 1200; ++i) {
        noise = noise * 1103515245 + 12345;
        big.indices.push_back(uint8_t(noise >> 30));
    }
    const Bytes whole = gifFile(40, 30, kFour, 0, {big});
    ASSERT_TRUE(load(writeFile(dir, "whole.gif", whole)));
    // The trailer is not needed once the first image is complete.
    ASSERT_TRUE(load(writeFile(dir, "notrailer.gif", cut(whole, 1))));
    EXPECT_TRUE(refused(writeFile(dir, "terminator.gif", cut(whole, 2))));
    EXPECT_TRUE(refused(writeFile(dir, "middle.gif", cut(whole, whole.size() / 3))));
    EXPECT_TRUE(refused(writeFile(dir, "screen.gif", Bytes(whole.begin(), whole.begin() + 10))));

    // Complete blocks, but the codes end with pixels still missing.
    GifImage fewer = fourColourImage();
    const Bytes full = gifFile(5, 4, kFour, 0, {fewer});
    fewer.indices.resize(15);
    Bytes shortData = gifFile(5, 4, kFour, 0, {fewer});
    EXPECT_TRUE(refused(writeFile(dir, "fewer.gif", shortData)));

    // No image at all, and a code that the table does not hold yet.
    EXPECT_TRUE(refused(writeFile(dir, "empty.gif", gifFile(5, 4, kFour, 0, {}))));
    Bytes badCode = gifFile(1, 1, kFour, 0, {});
    badCode.pop_back();
    addBytes(badCode, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 1, 0x3C, 0, 0x3B}); // clear, then code 7
    EXPECT_TRUE(refused(writeFile(dir, "badcode.gif", badCode)));
    EXPECT_TRUE(load(writeFile(dir, "full.gif", full)));

    QString error;
    GifImage wide = fourColourImage();
    EXPECT_FALSE(load(writeFile(dir, "huge.gif", gifFile(65535, 65535, kFour, 0, {wide})), &error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();
    wide.width = 0;
    EXPECT_TRUE(refused(writeFile(dir, "zero.gif", gifFile(5, 4, kFour, 0, {wide}))));
}

// --- Loading in general ----------------------------------------------------------------

TEST(LoadPicture, AnEmptyNameGivesTheEmptyPicture) {
    const auto got = LoadPicture(QString());
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->isNull());
}

TEST(LoadPicture, TheContentsDecideTheKindNotTheName) {
    QTemporaryDir dir;
    const auto gif = load(writeFile(dir, "really-a-gif.bmp", gifFile(5, 4, kFour, 0, {fourColourImage()})));
    ASSERT_TRUE(gif);
    EXPECT_TRUE(sameImage(fourColourPicture(), *gif));
    const auto bmp = load(writeFile(dir, "really-a-bmp.gif", bmpFile(1, 1, 24, {}, {3, 2, 1, 0})));
    ASSERT_TRUE(bmp);
    EXPECT_TRUE(sameImage(filledImage(1, 1, RGB(1, 2, 3)), *bmp));
}

// A pipe or a device by the name is refused at once instead of being waited on or read forever.
TEST(LoadPicture, PipesAndDevicesAreRefused) {
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath("pipe.bmp"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    auto loading = std::async(std::launch::async, [&] {
        QString error;
        LoadPicture(QFile::decodeName(pipe), &error);
        return error;
    });
    if (loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "loading waits for a writer";
        ::close(::open(pipe.constData(), O_WRONLY | O_NONBLOCK)); // let it go, so the tests go on
    }
    const QString pipeError = loading.get();
    EXPECT_TRUE(pipeError.contains("not an ordinary file")) << pipeError.toStdString();

    QString deviceError;
    EXPECT_FALSE(LoadPicture("/dev/zero", &deviceError));
    EXPECT_TRUE(deviceError.contains("not an ordinary file")) << deviceError.toStdString();
}

TEST(LoadPicture, MissingEmptyAndForeignFilesAreRefused) {
    QTemporaryDir dir;
    EXPECT_TRUE(refused(dir.filePath("nothing.bmp")));
    EXPECT_TRUE(refused(writeFile(dir, "empty.bmp", {})));
    EXPECT_TRUE(refused(writeFile(dir, "garbage.bmp", {0x13, 0x37, 0xC0, 0xDE, 1, 2, 3, 4, 5, 6, 7, 8})));
    EXPECT_TRUE(refused(writeFile(dir, "png.bmp", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13})));
    EXPECT_TRUE(refused(writeFile(dir, "b.bmp", {'B'})));
    EXPECT_TRUE(refused(dir.path()));
}
