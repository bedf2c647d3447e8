#include "files/LevelFiles.h"
#include "support/TestFiles.h"

using namespace vortan::test;

TEST(LevelSetNames, ChosenNamesAndFileNamesGiveTheirSet) {
    const std::pair<QString, QString> bases[] = {{"castle", "castle"},     {"castle.bmp", "castle"},
                                                 {"CASTLE.BMP", "CASTLE"}, {"Level 2.5", "Level 2.5"},
                                                 {"St. Paul", "St. Paul"}, {"castle.level.bmp", "castle"},
                                                 {"v1.map.bmp", "v1"},     {"v1.thumb.bmp", "v1"}};
    for (const auto& [chosen, base] : bases)
        EXPECT_EQ(saveBaseFor("levels/" + chosen), "levels/" + base);
    EXPECT_EQ(std::tuple(setNameEnd("Level 2.5.thumb.bmp"), setNameEnd("a.level.b.map.c.level.gif"),
                         setNameEnd("cave.bmp"), plainPictureName("cave.old.bmp")),
              std::tuple(9, 15, -1, QString("cave")));
}
