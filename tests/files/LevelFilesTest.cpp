#include "files/LevelFiles.h"
#include "files/PictureFiles.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

#include <QDateTime>

using namespace vortan::test;

TEST(LevelSetNames, ChosenNamesAndFileNamesGiveTheirSet) {
    const std::pair<QString, QString> bases[] = {
        {"castle", "castle"},       {"castle.bmp", "castle"}, {"CASTLE.BMP", "CASTLE"},
        {"Level 2.5", "Level 2.5"}, {"St. Paul", "St. Paul"}, {"castle.level.bmp", "castle"},
        {"v1.map.bmp", "v1"},       {"v1.thumb.bmp", "v1"},   {"castle.level.png", "castle"},
        {"v1.map.png", "v1"},       {"v1.thumb.png", "v1"},   {"CASTLE.PNG", "CASTLE"},
        {"v1.map.gif", "v1"},       {"cave.gif", "cave"}};
    for (const auto& [chosen, base] : bases)
        EXPECT_EQ(saveBaseFor("levels/" + chosen), "levels/" + base);
    EXPECT_EQ(std::tuple(setNameEnd("Level 2.5.thumb.bmp"), setNameEnd("a.level.b.map.c.level.gif"),
                         setNameEnd("cave.bmp"), plainPictureName("cave.old.bmp")),
              std::tuple(9, 15, -1, QString("cave")));
}

// Of a member's PNG, GIF and BMP the newest is read; at equal times the PNG, then the GIF.
TEST(LevelSets, TheNewestFileOfAMemberIsRead) {
    QTemporaryDir dir;
    const QString base = dir.filePath("cave");
    const QString sources[] = {VORTAN_TEST_DATA "/png/rgb-8bit-trns.png",
                               VORTAN_TEST_DATA "/pictures/gif-opaque.gif",
                               VORTAN_TEST_DATA "/pictures/bmp-8bit.bmp"};
    const char* kinds[] = {"png", "gif", "bmp"};
    const QDateTime now = QDateTime::currentDateTime();
    // Seconds ago each was written, -1 for none, and which is read.
    const struct {
        int png, gif, bmp;
        int read;
    } cases[] = {{10, -1, 20, 0}, {20, -1, 10, 2}, {10, -1, 10, 0}, {20, 10, 10, 1},
                 {10, 10, 10, 0}, {30, 20, 10, 2}, {-1, -1, 5, 2},  {5, 5, -1, 0}};
    for (const auto& c : cases) {
        const int ages[] = {c.png, c.gif, c.bmp};
        for (int i = 0; i < 3; ++i) {
            const QString member = base + ".level." + kinds[i];
            QFile::remove(member);
            if (ages[i] < 0) continue;
            ASSERT_TRUE(QFile::copy(sources[i], member));
            QFile file(member);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                        file.setFileTime(now.addSecs(-ages[i]), QFileDevice::FileModificationTime));
        }
        const std::optional<LevelSetPictures> set = readLevelSet(base);
        ASSERT_TRUE(set && set->colour && !set->map && !set->thumbnail);
        EXPECT_TRUE(sameImage(*loadPicture(sources[c.read]), *set->colour))
            << c.png << " " << c.gif << " " << c.bmp;
    }
}
