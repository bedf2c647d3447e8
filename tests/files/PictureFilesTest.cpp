#include "files/PictureFiles.h"
#include "support/FileSizeLimit.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

using namespace vortan::test;

// Saved bottom up in rows of 24 bits, replacing an older file whole or not at all.
TEST(PictureFiles, SavesAndReadsBmpAndGifPicturesAndRefusesDamagedOnes) {
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

    // Each file of data/pictures reads as the PNG beside it; each of data/refused is refused
    // for the reason its name starts with.
    const QDir pictures(VORTAN_TEST_DATA "/pictures"), refused(VORTAN_TEST_DATA "/refused");
    for (const QFileInfo& file : pictures.entryInfoList({"*.bmp", "*.gif"}))
        EXPECT_TRUE(sameImage(QImage(pictures.filePath(file.completeBaseName() + ".png")),
                              loadPicture(file.filePath()).value_or(QImage())))
            << file.fileName().toStdString();
    EXPECT_EQ(pictures.entryList({"*.bmp", "*.gif"}).size() + refused.entryList(QDir::Files).size(), 25 + 52);
    for (const QFileInfo& file : refused.entryInfoList(QDir::Files)) {
        QString why;
        EXPECT_TRUE(!loadPicture(file.filePath(), &why) && why.contains(file.baseName().section(' ', 0, -2)))
            << why.toStdString() << " " << file.fileName().toStdString();
    }
    // No name is the empty picture; a pipe or a device is refused at once, not waited on or read forever.
    ASSERT_TRUE(makePipe(dir.filePath("pipe.bmp")));
    const QString paths[] = {dir.filePath("none.bmp"), dir.path(), dir.filePath("pipe.bmp"), "/dev/zero"};
    const char* reasons[] = {"does not exist", "folder", "not an ordinary file", "not an ordinary file"};
    for (int i = 0; i < 4; ++i) {
        QString why;
        EXPECT_TRUE(!loadPicture(paths[i], &why) && why.contains(reasons[i])) << why.toStdString();
    }
    EXPECT_TRUE(loadPicture(QString()).value().isNull());
}

// A picture of more rows than the reader takes in one piece reads back exactly, stored
// bottom up or top down, with or without the last row's padding; one byte fewer is refused.
TEST(PictureFiles, LargePicturesReadBackInEveryRowOrder) {
    QTemporaryDir dir;
    const int w = 301, h = 400; // 903 bytes of colour a row and one of padding: 353 kB
    Picture big(w, h);
    for (int i = 0; i < w * h; ++i)
        big.setPixel(i % w, i / w, rgb(i * 7, i / w * 11, i * 13 + 5));
    const QString path = dir.filePath("big.bmp");
    ASSERT_TRUE(savePicture(big, path));
    const QByteArray bottomUp = readFile(path);
    QByteArray topDown =
        bottomUp.left(22) + QByteArray("\x70\xfe\xff\xff", 4) + bottomUp.mid(26, 28); // -400 high
    for (int row = h - 1; row >= 0; --row)
        topDown += bottomUp.mid(54 + row * 904, 904);
    for (const QByteArray& file : {bottomUp, topDown, bottomUp.chopped(1), topDown.chopped(1)}) {
        writeFile(path, file);
        EXPECT_TRUE(sameImage(big.image(), loadPicture(path).value_or(QImage()))) << file.size();
    }
    writeFile(path, bottomUp.chopped(2));
    QString why;
    EXPECT_TRUE(!loadPicture(path, &why) && why == "The picture file ends too early.") << why.toStdString();
}
