#include "core/FileSet.h"
#include "core/Layout.h"
#include "core/LevelDocument.h"
#include "core/Numbers.h"
#include "support/FileSizeLimit.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <deque>
#include <random>
#include <sys/stat.h>

using namespace vortan;
using namespace vortan::test;

namespace {

constexpr Colour kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);
constexpr Colour kA = rgb(200, 10, 20), kB = rgb(5, 250, 60), kC = rgb(1, 2, 3), kD = rgb(90, 80, 70);
// BMP palettes (blue, green, red, unused); index 0 of runs is not black, as skipped pixels are.
const QByteArray kABCD = QByteArray::fromHex("140ac800 3cfa0500 03020100 46505a00");
const QByteArray kRunColours = QByteArray::fromHex("09090900 0000ff00 00ff0000 ff000000 1e140a00");

const auto hex = [](const char* digits) { return QByteArray::fromHex(digits); };
QByteArray words(std::initializer_list<uint32_t> v) { // little endian, as the machine
    return QByteArray(reinterpret_cast<const char*>(v.begin()), qsizetype(v.size() * 4));
}
// A BMP: the basic 40-byte header, `extra` (masks or palette) padded to `info` bytes, pixels.
QByteArray bmp(int w, int h, int bpp, int coding, QByteArray extra = {}, QByteArray data = QByteArray(64, 0),
               int info = 40, uint32_t used = 0) {
    extra.append(std::max<qsizetype>(0, info - 40 - extra.size()), '\0');
    const uint32_t at = uint32_t(54 + extra.size()), n = uint32_t(data.size());
    const QByteArray head = words({at + n, 0, at, uint32_t(info), uint32_t(w), uint32_t(h),
                                   uint32_t(bpp << 16 | 1), uint32_t(coding), n, 2835, 2835, used, 0});
    return "BM" + head + extra + data;
}
const auto runs = [](int w, int h, int bpp, QByteArray d) {
    return bmp(w, h, bpp, bpp == 8 ? 1 : 2, kRunColours, d);
};
// A picture row by row from the top, a letter a pixel: . black, r g b y(10, 20, 30) w, A-D.
QImage pic(int w, int h, const std::string& letters) {
    const Colour colours[] = {kBlack, kRed, kGreen, kBlue, rgb(10, 20, 30), kWhite, kA, kB, kC, kD};
    QImage img(w, h, QImage::Format_RGB32);
    for (int i = 0; i < w * h; ++i)
        img.setPixel(i % w, i / w, toPixel(colours[QByteArray(".rgbywABCD").indexOf(letters[size_t(i)])]));
    return img;
}
std::optional<QImage> load(const QByteArray& file, QString* why = nullptr) {
    static QTemporaryDir dir;
    EXPECT_TRUE(replaceFile(dir.filePath("picture.bmp"), file));
    return loadPicture(dir.filePath("picture.bmp"), why);
}
// A set whose n-th rename fails, as a full or failing disk might at any step.
struct FailingFileSet : FileSet {
    int failingMove = 0, moves = 0;
    bool move(const QString& from, const QString& to) override {
        return ++moves != failingMove && FileSet::move(from, to);
    }
};

} // namespace

// The pixels (x, y) each line sets on 8 x 8, which at (-3, -3) on 4 x 4 are cut the same.
TEST(Picture, LinesLeaveTheirEndOutAndAreCutToThePicture) {
    // clang-format off
    const float ends[][4] = {{0, 0, 3, 0}, {3, 1, 0, 1}, {1, 0, 1, 3}, {2, 3, 2, 0}, {0, 0, 5, 5}, {0, 0, 2, 6},
                             {6, 7, 0, 1}, {7, 2, 1, 0}, {2, 2, 2, 2}, {1.2f, 2, 0.8f, 2}, {2.5f, 0.5f, 5.5f, 0.5f},
                             {7, 8, 7, 5}, {-9, 3, 9, 7}, {5, -10, 0, 11}, {0, 0, 4, 1}};
    const char* pixels[] = {"001020", "312111", "101112", "232221", "0011223344", "000112131425", "675645342312",
                            "726251413120", "", "", "20304050", "7776", "0515253646566677",
                            "3021222324151617", "00102131"};
    // clang-format on
    for (int i = 0; i < 15; ++i) {
        const float* e = ends[i];
        Picture p(8, 8), want(8, 8), cut(4, 4);
        p.drawLine(e[0], e[1], e[2], e[3], kRed);
        cut.drawLine(e[0] - 3, e[1] - 3, e[2] - 3, e[3] - 3, kRed);
        for (const char* at = pixels[i]; *at; at += 2)
            want.setPixel(at[0] - '0', at[1] - '0', kRed);
        EXPECT_TRUE(sameImage(want.image(), p.image()) && sameImage(p.image().copy(3, 3, 4, 4), cut.image()))
            << i;
    }
}

// Pixels within the radius of the centre rounded ties to even: the 85-pixel brush's row 42.
TEST(Picture, DiscsCoverThePixelsWithinTheRadiusOfTheRoundedCentre) {
    const float cases[][4] = {{85, 42.5f, 42.5f, 20}, {85, 42.5f, 42.5f, 34}, {10, 1, 2, 5},
                              {30, 14, 15, 9.5f},     {10, 5, 5, 1e6f},       {10, -20, 5, 8},
                              {10, 5, 1e9f, 8},       {10, 9.5f, 3.5f, 3}};
    for (const auto& [size, x0, y0, r] : cases) {
        Picture p(static_cast<int>(size), static_cast<int>(size));
        p.fillDisc(x0, y0, r, kRed);
        const double a = std::nearbyint(x0), b = std::nearbyint(y0), rr = double(r) * r; // centre (a, b)
        auto disc = [&](int x, int y) { return (x - a) * (x - a) + (y - b) * (y - b) <= rr ? kRed : kBlack; };
        EXPECT_TRUE(pixelsAre(p, disc)) << x0 << " " << r;
    }
}

TEST(Picture, FloodFillPaintsTheFourConnectedRegionAsAPlainFillDoes) {
    // A start not of the region's colour or off the picture, nothing to change, no colour.
    Picture p(5, 3, kGreen), white(3, 3, kWhite);
    EXPECT_FALSE(floodFill(p, 0, 0, kRed, kBlue) || floodFill(p, -1, 0, kGreen, kBlue) ||
                 floodFill(p, 5, 0, kGreen, kBlue) || floodFill(p, 0, 3, kGreen, kBlue) ||
                 floodFill(p, 0, 0, kGreen, kGreen) || floodFill(white, 1, 1, kNoColour, kBlue));
    EXPECT_EQ(p.pixelAt(-1, 0) & p.pixelAt(0, -1) & p.pixelAt(5, 0) & p.pixelAt(0, 3), kNoColour);

    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + int(random() % 90), h = 1 + int(random() % 60), walls = int(random() % 60);
        Picture noise(w, h, kWhite);
        for (int i = 0; i < w * h; ++i)
            if (int(random() % 100) < walls) noise.setPixel(i % w, i / w, random() % 2 ? kRed : kGreen);
        const int x0 = int(random() % unsigned(w)), y0 = int(random() % unsigned(h));
        const uint32_t region = toPixel(noise.pixelAt(x0, y0)), paint = toPixel(kBlue);
        QImage expected = noise.image().copy(); // by a plain breadth-first fill
        std::deque<std::pair<int, int>> queue{{x0, y0}};
        for (expected.setPixel(x0, y0, paint); !queue.empty(); queue.pop_front())
            for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                const int x = queue.front().first + dx, y = queue.front().second + dy;
                if (!expected.valid(x, y) || expected.pixel(x, y) != region) continue;
                expected.setPixel(x, y, paint);
                queue.push_back({x, y});
            }
        EXPECT_TRUE(floodFill(noise, x0, y0, fromPixel(region), kBlue));
        ASSERT_TRUE(sameImage(expected, noise.image())) << "round " << round;
    }
}

// A one-pixel path through a million pixels: columns (or rows) joined at alternate ends.
TEST(Picture, FloodFillFollowsAMillionPixelPathWithoutRunningOutOfStack) {
    for (bool vertical : {true, false}) {
        const int along = vertical ? 1000 : 500, across = vertical ? 1999 : 3999;
        Picture maze(vertical ? across : along, vertical ? along : across, kRed);
        auto onPath = [&](int x, int y) {
            const int a = vertical ? x : y, b = vertical ? y : x;
            return a % 2 == 0 || b == (a / 2 % 2 == 0 ? along - 1 : 0);
        };
        for (int y = 0; y < maze.height(); ++y)
            for (int x = 0; x < maze.width(); ++x)
                if (onPath(x, y)) maze.setPixel(x, y, kBlack);
        EXPECT_TRUE(floodFill(maze, 0, 0, kBlack, kBlue));
        EXPECT_TRUE(pixelsAre(maze, [&](int x, int y) { return onPath(x, y) ? kBlue : kRed; }));
    }
}

// The frame: 17 pixels top and left, 16 bottom and right. A layer sized to a picture
// takes the other along, kept at the top left and extended with black.
TEST(LevelDocument, AnEmptyLevelIsBlackInsideItsWallFrame) {
    for (auto [w, h] : {std::pair{100, 50}, {33, 40}, {34, 34}}) {
        LevelDocument level;
        level.makeEmpty(w, h, kGreen);
        auto frame = [&](int x, int y) { return x <= 16 || y <= 16 || x >= w - 16 || y >= h - 16; };
        EXPECT_TRUE(pixelsAre(level.layer(0), [&](int x, int y) { return frame(x, y) ? kGreen : kBlack; }));
        EXPECT_TRUE(pixelsAre(level.layer(1), [&](int x, int y) { return frame(x, y) ? kWall : kBlack; }));
        const QImage map = level.layer(1).image().copy();
        level.materialMap().fillRect(w, h, 0, 0, kWater); // corners in either order, cut at the edges
        EXPECT_TRUE(pixelsAre(level.layer(1), [](int, int) { return kWater; }));
        level.materialMap().setBackgroundPicture(map);
        level.colourLayer().setBackgroundPicture(filledImage(w + 5, 2, kWhite));
        level.matchSizeTo(LevelDocument::kColourLayer);
        EXPECT_TRUE(sameImage(map.copy(0, 0, w + 5, 2), level.layer(1).image()));
    }
}

TEST(Layout, RoundingTiesToEvenTheViewportAndTheNavigator) {
    // clang-format off
    const std::pair<double, int32_t> rounded[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {2.51, 3}, {-1.49, -1},
                                                  {3e9, INT32_MAX}, {-3e9, INT32_MIN}, {NAN, 0}};
    // The level's outer size, level pixels per navigator pixel (num / den), the outer height.
    const int navigators[][5] = {{812, 673, 808, 101, 86}, {825, 673, 821, 101, 85}, {206, 5, 2, 1, 4}, {206, 7, 2, 1, 6},
                                 {206, 8189, 2, 1, 4096}, {105, 4095, 4095, 4094, 4096}, {5, 20004, 20004, 4094, 4096},
                                 {4, 5, 0, 1, 2}};
    // clang-format on
    for (auto [value, result] : rounded)
        EXPECT_EQ(roundHalfEven(value), result) << value;
    for (const auto& [w, h, num, den, outer] : navigators) {
        const NavigatorGeometry g = navigatorGeometry(QSize(w, h));
        EXPECT_TRUE(g.scale == float(num) / den && g.outerHeight == outer) << w << "x" << h;
    }
    // The window less its margin of 2000 and 800 fifteenths, never past the layer nor below 10.
    EXPECT_TRUE(viewportOuterSize({900, 700}, {825, 673}) == QSize(767, 647) &&
                viewportOuterSize({900, 0}, {600, 673}) == QSize(600, 1));
}

TEST(PictureFiles, SavesBottomUpRowsOfTwentyFourBitsReplacingAnOlderFileWholeOrNotAtAll) {
    QTemporaryDir dir;
    Picture p(3, 2), big(37, 23); // big: 111 bytes of colour a row and one of padding
    for (int i = 0; i < 37 * 23; ++i)
        big.setPixel(i % 37, i / 37, rgb(i * 7, i / 37 * 11, i * 3 + 200));
    for (int i = 0; i < 6; ++i)
        p.setPixel(i % 3, i / 3, rgb(3 * i + 1, 3 * i + 2, 3 * i + 3));
    const QString path = dir.filePath("level.bmp");
    ASSERT_TRUE(savePicture(big, path));
    EXPECT_EQ(readFile(path).size(), 54 + 112 * 23);
    EXPECT_TRUE(sameImage(big.image(), loadPicture(path).value_or(QImage())));
    ASSERT_TRUE(savePicture(p, path));
    const std::string small = readFile(path).toHex().toStdString();
    EXPECT_EQ(small, "424d4e000000000000003600000028000000030000000200000001001800" // headers
                     "0000000018000000c40e0000c40e00000000000000000000"
                     "0c0b0a0f0e0d121110000000"   // the bottom row first, blue green red
                     "030201060504090807000000"); // then the top row
    {
        FileSizeLimit limit(4096); // a full disk
        EXPECT_FALSE(savePicture(Picture(200, 100), path) || savePicture(Picture(), path + "2"));
    }
    EXPECT_EQ(readFile(path).toHex().toStdString(), small);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"level.bmp"});
}

TEST(PictureFiles, ReadsBmpAndGifPicturesAndRefusesDamagedOnes) {
    const QByteArray rgba = words({0xFF, 0xFF00, 0xFF0000, 0xFF000000}),
                     whole = bmp(3, 2, 24, 0, {}, QByteArray(24, 0x40));
    const QByteArray core = hex("424d 00000000 00000000 20000000 0c000000 0300 0200 0100 0100"
                                "1e140a ffffff a0000000 40000000"); // 12-byte header, 3-byte colours
    // A run cut short by a line end; a run and a padded absolute run to the end; a jump.
    const QByteArray rle8 = hex("0501 0000 0302 0003 020301 00 0000 0002 0200 0203 0001");
    QByteArray board; // single pixels and jumps in turn on 200 x 400, more than two bytes a pixel
    std::string top;
    for (int i = 0; i < 200 * 400; ++i) {
        const int x = i % 200, row = i / 200; // rows from the bottom
        board += (x + row) % 2 ? hex("00020100") : QByteArray(1, 1) + char(1 + row % 4);
        board += x < 199 ? QByteArray() : hex("0000");
        top.insert(size_t(x), 1, (x + row) % 2 ? '.' : "rgby"[row % 4]);
    }
    // Red above noise, then an image all blue; a 4 x 3 green screen with a 2 x 2 image at (1, 1).
    const QByteArray noise = readFile(VORTAN_TEST_DATA "/noise.gif"),
                     framed = readFile(VORTAN_TEST_DATA "/framed.gif");
    auto edit = [&](int at, const char* to) {
        return QByteArray(framed).replace(at, hex(to).size(), hex(to));
    };
    std::string noisy(16, 'r');
    for (uint32_t i = 16; i < 16 * 12; ++i)
        noisy += "rgby"[i * 2654435761u >> 30];
    const std::pair<QByteArray, QImage> pictures[] = {
        {bmp(10, 2, 1, 0, kABCD.left(8), hex("b040ffff 4fc00000")), pic(10, 2, "ABAABBBBBBBABBAAAAAB")},
        {bmp(3, 2, 4, 0, kABCD.left(12), hex("01200000 27100000"), 40, 2), pic(3, 2, "..BAB.")},
        {bmp(5, 2, 8, 0, kABCD, hex("0302010003000000 0001020300000000")), pic(5, 2, "ABCDADCBAD")},
        {core, pic(3, 2, "ywywyw")},
        {bmp(3, 1, 16, 0, {}, hex("ff7f1f0010420000")), imageOf(3, 1, {kWhite, kBlue, rgb(132, 132, 132)})},
        {bmp(2, -2, 24, 0, {}, hex("ff0000 00ff00 0000 0000ff ffffff 0000")), pic(2, 2, "bgrw")},
        {whole.chopped(3), filledImage(3, 2, rgb(64, 64, 64))}, // the last row's padding is not needed
        {bmp(2, 1, 32, 0, rgba, hex("1e140a00 ffffff80"), 124), pic(2, 1, "yw")},
        // An alpha mask lays the pixel over black, rounded; a 52-byte header has no room for one.
        {bmp(3, 1, 32, 3, rgba, hex("0a141e00 c8643380 fafbfcff"), 124),
         imageOf(3, 1, {kBlack, rgb(100, 50, 26), rgb(250, 251, 252)})},
        {bmp(3, 1, 16, 6, words({0x0F00, 0x00F0, 0x000F, 0xF000}), hex("830f 838f 83ff 0000")),
         imageOf(3, 1, {kBlack, rgb(136, 73, 27), rgb(255, 136, 51)})},
        {bmp(2, 1, 32, 3, rgba, hex("0a141e00 ffffffff"), 52), pic(2, 1, "yw")},
        {runs(6, 3, 8, rle8), pic(6, 3, "..bb..ggggbrrrrrr.")},
        {runs(5, 2, 4, hex("0512 0000 0003 3410 0001")), pic(5, 2, "byr..rgrgr")},
        {runs(200, 400, 8, board + hex("0001")), pic(200, 400, top)}, // across the reader's buffer ends
        {runs(3, 2, 8, hex("0301 0000 0302")), pic(3, 2, "gggrrr")},  // no end marker
        {runs(3, 2, 8, hex("0301 0000 0302 0000")), pic(3, 2, "gggrrr")},
        {runs(3, 2, 8, hex("0301 0000 0302 0000 0001")), pic(3, 2, "gggrrr")},
        {runs(3, 2, 8, hex("0201 0002 0001 0102 0001")), pic(3, 2, "..grr.")}, // jumps to the edges
        {runs(3, 2, 8, hex("0301 0000 0002 0300")), pic(3, 2, "...rrr")},
        {noise.chopped(10), pic(16, 12, noisy)}, // the second image cut short
        {readFile(VORTAN_TEST_DATA "/interlaced.gif"), pic(1, 11, "rgbrgbrgbrg")},
        {framed.chopped(1), pic(4, 3, ".....wA..B..")}, // no trailer
        {edit(34, "00"), pic(4, 3, "gggggwAggBCg")},    // opaque
        {edit(37, "00"), pic(4, 3, "......A..BC.")},    // index 0 transparent
        {edit(6, "000000"), pic(3, 3, "....wA.B.")}};   // no screen size
    for (const auto& [file, expected] : pictures)
        EXPECT_TRUE(sameImage(expected, load(file).value_or(QImage()))) << file.left(40).toHex().data();
    const std::pair<const char*, std::vector<QByteArray>> refusals[] = {
        {"too early",
         {whole.chopped(4), whole.chopped(12), whole.chopped(24), whole.left(40), whole.left(17),
          core.left(24), bmp(2, 1, 16, 3, words({0xF800, 0x07E0}), {}),
          bmp(2, 2, 8, 0, kABCD.left(8)).left(58), runs(6, 3, 8, rle8.chopped(2)),
          runs(6, 3, 8, rle8.chopped(5)), runs(6, 3, 8, rle8.chopped(12)), noise.left(50), framed.chopped(2),
          framed.left(10), framed.left(20), framed.left(28), framed.left(45), framed.left(55),
          framed.left(61)}},
        {"too large",
         {bmp(100000, 100000, 24, 0), runs(8193, 8193, 8, hex("0001")), bmp(1, INT32_MIN, 24, 0),
          edit(6, "04ff03ff")}},
        {"no pixels",
         {bmp(0, 2, 24, 0), bmp(-3, 2, 24, 0), bmp(3, 0, 24, 0), edit(44, "00"), edit(46, "00")}},
        {"coding", {bmp(1, 1, 24, 4), bmp(1, 1, 2, 0, kABCD.left(8)), bmp(1, 1, 24, 1)}},
        {"no colours", {bmp(1, 1, 8, 0)}},
        {"header is damaged", {bmp(1, 1, 24, 0).replace(10, 1, "5")}},
        {"Unknown", {bmp(1, 1, 24, 0, {}, QByteArray(64, 0), 200)}},
        {"runs are damaged", // runs or jumps past the row or the last row, codes after the last row
         {runs(3, 2, 8, hex("0401 0000 0302 0001")), runs(3, 2, 4, hex("0412 0000 0312 0001")),
          runs(3, 2, 8, hex("0101 0003 010203 00 0000 0302 0001")),
          runs(3, 2, 4, hex("0004 1212 0000 0312 0001")), runs(3, 2, 8, hex("0101 0002 0300 0001")),
          runs(3, 2, 8, hex("0002 0002 0001")), runs(3, 2, 8, hex("0301 0000 0302 0000 0303 0001")),
          runs(3, 2, 8, hex("0301 0000 0302 0000 0000 0001"))}},
        {"no image", {framed.left(25) + ";"}},
        {"picture is damaged", {framed.left(25) + "x", edit(61, "0c")}},
        {"image data is damaged", {edit(46, "03"), edit(63, "ff")}}}; // too few pixels, a bad code
    for (const auto& [reason, files] : refusals)
        for (const QByteArray& file : files) {
            QString why;
            EXPECT_TRUE(!load(file, &why) && why.contains(reason))
                << why.toStdString() << file.left(40).toHex().data();
        }
    // No name is the empty picture; a pipe or a device is refused at once, not waited on or read forever.
    QTemporaryDir dir;
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("pipe.bmp")).constData(), 0600), 0);
    const QString paths[] = {dir.filePath("none.bmp"), dir.path(), dir.filePath("pipe.bmp"), "/dev/zero"};
    const char* reasons[] = {"does not exist", "folder", "not an ordinary file", "not an ordinary file"};
    for (int i = 0; i < 4; ++i) {
        QString why;
        EXPECT_TRUE(!loadPicture(paths[i], &why) && why.contains(reasons[i])) << why.toStdString();
    }
    EXPECT_TRUE(loadPicture(QString()).value().isNull() && !load({}) && !load("\x89PNG\r\n"));
}

// Two old files and a new one: a failure at any step leaves the old files, a folder in the way
// fails the set at once.
TEST(FileSet, ReplacesAllItsFilesOrNone) {
    QTemporaryDir dir;
    const QStringList names = {"a.thumb.bmp", "a.level.bmp", "a.map.bmp"}; // the new file first
    auto contents = [&] {
        QString all;
        for (const QString& name : QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            all += name + "=" + readFile(dir.filePath(name)) + " ";
        return all;
    };
    ASSERT_TRUE(replaceFile(dir.filePath(names[1]), "old") && replaceFile(dir.filePath(names[2]), "old map"));
    const QString before = contents();
    auto writeSet = [&](auto&& set) {
        for (const QString& name : names)
            set.add(dir.filePath(name), "new " + name.toUtf8());
        return set.commit();
    };
    for (int failing = 1; failing <= 5; ++failing) { // two old files aside, three new ones in
        FailingFileSet set;
        set.failingMove = failing;
        EXPECT_TRUE(!writeSet(set) && contents() == before) << "failing move " << failing;
    }
    {
        FileSizeLimit limit(4); // every write of the new files fails
        EXPECT_TRUE(!writeSet(FileSet()) && contents() == before);
    }
    FailingFileSet set;
    EXPECT_TRUE(writeSet(set) && !set.commit() && set.moves == 5); // committed once only
    EXPECT_EQ(contents(), "a.level.bmp=new a.level.bmp a.map.bmp=new a.map.bmp a.thumb.bmp=new a.thumb.bmp ");
    QDir(dir.path()).mkdir("level09t.quox");
    FileSet blocked;
    EXPECT_FALSE(blocked.add(dir.filePath("level09t.quox")) ||
                 blocked.add(dir.filePath("level09.quox"), "x") || blocked.commit() ||
                 replaceFile(dir.filePath("missing/gameFolder.txt"), "x"));
    EXPECT_EQ(contents().count('='), 4);
}
