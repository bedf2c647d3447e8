#include "files/RecoveryCopy.h"
#include "support/FileSizeLimit.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

#include <numeric>
#include <random>

using namespace vortan::test;

namespace {

// A level of 200 x 150 pixels: 4 x 3 tiles, those at the right 8 pixels wide, those at the bottom 22 high.
// One writer writes its copy version after version.
struct Versions {
    QTemporaryDir dir;
    RecoveryWriter writer{dir.path()};
    QImage colour{200, 150, QImage::Format_RGB32}, map{200, 150, QImage::Format_RGB32};
    RecoveredLevel about{{}, {}, "cave", QDateTime(QDate(2024, 5, 1), QTime(9, 30)), QPoint(3, 4), 1, true};
    std::mt19937 random{11};

    Versions() {
        for (int i = 0; i < tiles(); ++i)
            scatter(i);
    }
    int tiles() const { return RecoveryTiles::count(colour.size()); }
    // A tile of scattered colours, or of one colour in each layer.
    void scatter(int tile, bool plain = false) {
        const QRect a = RecoveryTiles::area(colour.size(), tile);
        const uint32_t c = toPixel(rgb(int(random() % 256), 30, 40)),
                       m = toPixel(random() % 2 ? kWall : kWater);
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x) {
                colour.setPixel(x, y, plain ? c : toPixel(rgb(int(random() % 5) * 50, 10, 10)));
                map.setPixel(x, y, plain ? m : toPixel(random() % 4 ? kBlack : kWall));
            }
    }
    // A version holding these tiles as they are now.
    bool write(const std::vector<int>& changed, bool whole = false, QString* why = nullptr) {
        writer.begin(colour.size(), whole);
        RecoveryTiles given;
        for (const int i : changed)
            given.take(colour, map, i);
        writer.add(given);
        return writer.commit(about, why);
    }
    bool writeWhole() {
        std::vector<int> all(static_cast<size_t>(tiles()));
        std::iota(all.begin(), all.end(), 0);
        return write(all, true);
    }
    ::testing::AssertionResult readsBack() const {
        QString why;
        const std::optional<RecoveredLevel> level = RecoveryCopy(dir.path()).read(&why);
        if (!level) return ::testing::AssertionFailure() << why.toStdString();
        if (level->name != about.name || level->taken != about.taken || level->offset != about.offset ||
            level->shown != about.shown || level->zoomed != about.zoomed)
            return ::testing::AssertionFailure() << "name or view " << level->name.toStdString();
        const auto same = sameImage(colour, level->colour);
        return same ? sameImage(map, level->map) << " in the map" : same;
    }
    QStringList tileFiles() const { return QDir(dir.path()).entryList({"*.tiles"}); }
};

} // namespace

// Each version reads back as the level at that version, whatever its tiles: every one, some changed again and
// again, tiles of one colour, none but a new name. The files are gathered now and then: they stay few.
TEST(RecoveryCopy, EveryVersionReadsBackAsTheLevelAtThatVersion) {
    Versions v;
    ASSERT_TRUE(v.writeWhole());
    EXPECT_TRUE(v.readsBack());
    EXPECT_EQ(v.tileFiles(), QStringList({"recovery.1.tiles"}));
    size_t mostFiles = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<int> changed = {int(v.random() % 12), round % 3 ? 11 : 0};
        for (const int i : changed)
            v.scatter(i, round % 4 == 0);
        ASSERT_TRUE(v.write(changed)) << "round " << round;
        ASSERT_TRUE(v.readsBack()) << "round " << round;
        mostFiles = std::max(mostFiles, size_t(v.tileFiles().size()));
    }
    EXPECT_LE(mostFiles, 4u);

    // A new name alone writes no tile file.
    const QStringList files = v.tileFiles();
    v.about.name = "two\nlines %1";
    ASSERT_TRUE(v.write({}));
    EXPECT_TRUE(v.readsBack());
    EXPECT_EQ(v.tileFiles(), files);

    // A new size: every tile in a file of its own, the others gone.
    v.colour = v.colour.copy(0, 0, 70, 65), v.map = v.map.copy(0, 0, 70, 65);
    ASSERT_TRUE(v.writer.needsWhole(v.colour.size()));
    ASSERT_TRUE(v.writeWhole());
    EXPECT_TRUE(v.readsBack());
    EXPECT_EQ(v.tileFiles().size(), 1);
}

// A version the disk cannot take leaves the last one whole, and the next goes on from it.
TEST(RecoveryCopy, AVersionThatCannotBeWrittenLeavesTheLastOne) {
    Versions v;
    ASSERT_TRUE(v.writeWhole());
    const QStringList before = folderContents(v.dir.path());
    QImage colour = v.colour, map = v.map; // the last version's, swapped in to read it back
    for (int i = 0; i < 12; ++i)
        v.scatter(i);
    QString why;
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(v.write({0, 5, 6, 7, 9}, false, &why));
    }
    EXPECT_TRUE(why.endsWith(".tiles: " + qt_error_string(EFBIG))) << why.toStdString();
    EXPECT_EQ(folderContents(v.dir.path()), before);
    std::swap(v.colour, colour), std::swap(v.map, map);
    EXPECT_TRUE(v.readsBack());
    std::swap(v.colour, colour), std::swap(v.map, map);
    ASSERT_TRUE(v.write({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(v.readsBack());
}

// A tile file cut short, changed, missing, or named outside the copy's folder: the copy
// cannot be read, and says which file. A whole one checks without its pictures.
TEST(RecoveryCopy, ATornOrChangedTileFileCannotBeRead) {
    Versions v;
    ASSERT_TRUE(v.writeWhole());
    v.scatter(4);
    ASSERT_TRUE(v.write({4}));
    ASSERT_EQ(v.tileFiles(), QStringList({"recovery.1.tiles", "recovery.2.tiles"}));
    const QString first = v.dir.filePath("recovery.1.tiles"), second = v.dir.filePath("recovery.2.tiles");
    const QByteArray firstBytes = readFile(first), secondBytes = readFile(second),
                     about = readFile(v.dir.filePath("recovery.txt"));
    // The check without the pictures finds the same.
    const auto whyNot = [&] {
        QString why, checked;
        EXPECT_FALSE(RecoveryCopy(v.dir.path()).read(&why) || RecoveryCopy(v.dir.path()).check(&checked));
        return why == checked ? why : why + " | " + checked;
    };
    QFile(second).resize(secondBytes.size() - 1);
    EXPECT_EQ(whyNot(), second + ": It is cut short or damaged.");
    writeFile(second, secondBytes);
    QByteArray changed = firstBytes;
    changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 1);
    writeFile(first, changed);
    EXPECT_EQ(whyNot(), first + ": It is cut short or damaged.");
    QFile::remove(first);
    EXPECT_EQ(whyNot(), first + ": " + qt_error_string(ENOENT));
    writeFile(first, firstBytes);
    EXPECT_TRUE(v.readsBack());
    const std::optional<RecoveredLevel> checked = RecoveryCopy(v.dir.path()).check();
    EXPECT_TRUE(checked && checked->name == "cave" && checked->colour.isNull());
    writeFile(v.dir.filePath("recovery.txt"),
              QByteArray(about).replace("recovery.1.tiles", "../recovery.1.tiles"));
    EXPECT_EQ(whyNot(), v.dir.filePath("recovery.txt") + ": It is cut short or damaged.");
}
