#include "files/GameFormat.h"
#include "files/ColourTable.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

#include <QBuffer>

using namespace vortan::test;

static QByteArray written(const std::function<bool(QIODevice&)>& write, bool succeeds = true) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(write(buffer), succeeds);
    return buffer.data();
}

TEST(GameFormat, FilesHoldTheExactBytes) {
    const QByteArray tag("QUOX3zzzz");
    LevelDocument level;
    auto map = [&](QIODevice& f) { return writeMaterialMap(f, level, {}); };
    // One run over both rows.
    level.loadLayer(LevelDocument::kColourLayer, filledImage(3, 2, rgb(10, 20, 30)));
    EXPECT_EQ(written([&](QIODevice& f) { return writeLevelImage(f, level, {}, {}); }),
              tag + bytesOf({1, 1, 3, 0, 2, 0, 0, 10, 20, 30, 0, 5}));
    level.loadLayer(LevelDocument::kMaterialMap, filledImage(510, 1, kWater));
    EXPECT_EQ(written(map), tag + bytesOf({2, 1, 254, 1, 1, 0, 132, 1, 255, 255, 255, 255, 149}));
    level.loadLayer(LevelDocument::kMaterialMap, imageOf(9, 1,
                                                         {kBlack, kWater, kBehindWall, kWall, rgb(0, 0, 254),
                                                          kWhite, kPlatformFSA, kPlatformFS, kExplosive}));
    EXPECT_EQ(written(map), tag + bytesOf({2, 1, 9, 0, 1, 0, 132, 0, 1, 64, 128, 134, 129, 131, 132}));

    // 192 colours (x, 0, 0) fill the palette; 65 more run on in the last entry, nearest to both.
    const auto reds = [](int x, int) { return x < 192 ? rgb(x, 0, 0) : rgb(191, 0, x % 2); };
    level.loadLayer(LevelDocument::kColourLayer, imageFrom(257, 1, reds));
    QByteArray expected = tag + bytesOf({1, 1, 1, 1, 1, 0, 191});
    for (int x = 0; x < 192 * 4; ++x)
        expected += char(x < 576 ? (x % 3 ? 0 : x / 3) : x - 576);
    int warned = 0;
    EXPECT_EQ(
        written([&](QIODevice& f) { return writeLevelImage(f, level, {}, [&](int n) { warned = n; }); }),
        expected + bytesOf({255, 192}));
    EXPECT_EQ(warned, 192);

    Picture thumbnail(192, 177); // the whole canvas, in a palette of its own of 128 colours
    thumbnail.setBackgroundPicture(
        imageFrom(192, 177, [](int x, int y) { return uint32_t(y * 192 + x) * 2654435761u; }));
    EXPECT_EQ(written([&](QIODevice& f) { return writeThumbnail(f, thumbnail, {}); }).mid(9, 7),
              bytesOf({1, 1, 192, 0, 177, 0, 127}));

    // A level resized while it is written is not written.
    level.makeEmpty(40, 10, kWall);
    int yields = 0, resizeAt = 11; // the scan of the colour layer yields ten times, then every written row
    const LongWork work{[&] { ++yields == resizeAt ? level.makeEmpty(40, yields, kWall) : void(); }, {}};
    EXPECT_TRUE(written([&](QIODevice& f) { return writeLevelImage(f, level, work, {}); }, false).isEmpty());
    resizeAt = yields + 1;
    EXPECT_TRUE(written([&](QIODevice& f) { return writeMaterialMap(f, level, work); }, false).isEmpty());
}

TEST(ColourTable, NearestEntryIsTheFirstAtTheLeastDistance) {
    const QImage ramp =
        imageFrom(17, 1, [](int i, int) { return rgb(10 * i, 0, 0); }); // two blocks of the search
    const QImage wide = imageFrom(300, 1, [](int i, int) { return rgb(i & 255, i >> 8, 0); }); // over 256
    // Red weighs two, green three, blue one: distances 8, 6, 7, then 8, 9, 7, then 8, 9, 8.
    const std::tuple<QImage, Colour, int, int> rows[] = {
        {imageOf(2, 1, {rgb(100, 100, 100), rgb(100, 100, 110)}), rgb(100, 100, 105), 0, 192},
        {imageOf(3, 1, {rgb(54, 50, 50), rgb(50, 52, 50), rgb(50, 50, 57)}), rgb(50, 50, 50), 1, 192},
        {imageOf(3, 1, {rgb(54, 50, 50), rgb(50, 53, 50), rgb(50, 50, 57)}), rgb(50, 50, 50), 2, 192},
        {imageOf(3, 1, {rgb(54, 50, 50), rgb(50, 53, 50), rgb(50, 50, 58)}), rgb(50, 50, 50), 0, 192},
        {ramp, rgb(155, 0, 0), 15, 192},
        {ramp, rgb(185, 0, 0), 16, 192},
        {ramp, rgb(185, 0, 0), 15, 16},
        {wide, rgb(255, 0, 0), 255, 1000},
        {QImage(), rgb(50, 50, 50), 0, 192}};
    ColourTable t; // one table: what it found for the rows before must not answer
    for (const auto& [image, c, nearest, limit] : rows) {
        Picture p(image.width(), image.height());
        p.setBackgroundPicture(image);
        t.clear();
        EXPECT_EQ(t.addRow(p, 0, limit), t.addRow(p, 0, limit)); // then full, or with nothing new
        EXPECT_EQ(t.nearestEntry(c), nearest) << std::hex << c;
    }
    EXPECT_TRUE(t.paletteBlock().isEmpty());
    EXPECT_EQ(snapToMaterial(rgb(0, 0, 255)), kPlatformFSA); // as near to red: the later material wins
}

// A header is believed only as far as the file's bytes reach; damage is told where it is.
TEST(GameFormat, DecodeRefusesWhatTheBytesCannotHold) {
    const QByteArray whole = gameFileHeader(1, 3, 2, 0) + bytesOf({10, 20, 30, 0, 5}); // 3 x 2 of one colour
    QString why;
    ASSERT_TRUE(decodeGameFile(whole, &why));
    for (qsizetype n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(decodeGameFile(whole.left(n), &why)) << n;
    const QByteArray palette256(3 * 256, 7), sixLiterals("\x01\x02\x03\x04\x05\x06");
    const std::pair<QByteArray, QString> files[] = {
        {QByteArray(whole).replace(0, 4, "QUAX"), "does not start with QUOX3zzzz"},
        {QByteArray(whole).replace(15, 1, "\x09"), "palette of 10 colours runs past the end"},
        {QByteArray(whole).replace(19, 2, "\x05\x05"), "repeats a pixel before there is one"},
        {whole + QByteArray(1, 0), "go on past the last one at byte 21"},
        {QByteArray(whole).replace(19, 2, QByteArray("\x00\x09", 2)), "runs past the last pixel"},
        {gameFileHeader(1, 6, 1, 255) + palette256 + sixLiterals, ""}, // every byte one pixel: just enough
        {gameFileHeader(1, 7, 1, 255) + palette256 + sixLiterals, "at most 6 pixels, not the 7 x 1"},
        {gameFileHeader(2, 123, 1, 132) + QByteArray(1, 0), "ends after 1 of 123 pixels"},
        {gameFileHeader(2, 124, 1, 132) + QByteArray(1, 0), "at most 123 pixels, not the 124 x 1"},
        {gameFileHeader(1, 8192, 8193, 0) + QByteArray(3 + 1, 0) + QByteArray(263204, char(255)),
         "8192 x 8193 pixels is larger than the editor reads"}};
    for (const auto& [file, said] : files) {
        EXPECT_EQ(decodeGameFile(file, &why).has_value(), said.isEmpty()) << file.size();
        EXPECT_TRUE(why.contains(said)) << why.toStdString();
    }
}
