#include "files/PictureFiles.h"
#include "files/PngFormat.h"
#include "support/ImageCompare.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <zlib.h> // the chunks' checksums

using namespace vortan::test;

namespace {

uint32_t be32(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData() + at);
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

struct Chunk {
    qsizetype at; // where its length starts
    QByteArray kind;
    uint32_t length;
};

std::vector<Chunk> chunksOf(const QByteArray& png) {
    std::vector<Chunk> chunks;
    for (qsizetype at = 8; at + 12 <= png.size(); at += 12 + be32(png, at))
        chunks.push_back({at, png.mid(at + 4, 4), be32(png, at)});
    return chunks;
}

// The reason the bytes are refused for, or "read" when they give a picture.
std::string readingOf(QByteArray bytes, QImage* picture = nullptr) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString why;
    std::optional<QImage> read = readPng(buffer, why);
    if (read && picture) *picture = *read;
    return read ? "read" : why.toStdString();
}

} // namespace

// Each PNG of data/png reads as the BMP beside it. Cut anywhere, even inside the last
// chunk's checksum, it is refused as ending early; a wrong checksum in any chunk, or any
// byte of the image data changed (its checksum made right again), is refused as damaged.
TEST(PngPictures, ReadAsTheirPixelsAndRefusedWhenCutOrDamaged) {
    const QDir folder(VORTAN_TEST_DATA "/png");
    const QStringList names = folder.entryList({"*.png"});
    EXPECT_EQ(names.size(), 22);
    const std::string early = "The picture file ends too early.", damaged = "The PNG picture is damaged.";
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString path = folder.filePath(name);
        const QImage expected =
            loadPicture(folder.filePath(name.chopped(4) + ".expected.bmp")).value_or(QImage());
        ASSERT_FALSE(expected.isNull());
        EXPECT_TRUE(sameImage(expected, loadPicture(path).value_or(QImage())));
        const QByteArray png = readFile(path);
        for (qsizetype n = 0; n < png.size(); ++n)
            ASSERT_EQ(readingOf(png.left(n)), early) << n << " of " << png.size();

        const std::vector<Chunk> chunks = chunksOf(png);
        ASSERT_EQ(chunks.back().kind, "IEND");
        for (const Chunk& chunk : chunks) {
            QByteArray bad = png;
            bad[chunk.at + 8 + chunk.length + 3] = char(bad[chunk.at + 8 + chunk.length + 3] ^ 1);
            EXPECT_EQ(readingOf(bad), damaged) << chunk.kind.toStdString();
            if (chunk.kind != "IDAT") continue;
            for (uint32_t i = 0; i < chunk.length; ++i) {
                QByteArray changed = png;
                changed[chunk.at + 8 + i] = char(~changed[chunk.at + 8 + i]);
                const auto crc = uint32_t(crc32(
                    0, reinterpret_cast<const Bytef*>(changed.constData() + chunk.at + 4), 4 + chunk.length));
                for (int k = 0; k < 4; ++k)
                    changed[chunk.at + 8 + chunk.length + k] = char(crc >> (24 - 8 * k));
                ASSERT_EQ(readingOf(changed), damaged) << "image data byte " << i;
            }
        }
        // What follows the end chunk is not the picture's.
        QImage withTail;
        EXPECT_EQ(readingOf(png + "more", &withTail), "read");
        EXPECT_TRUE(sameImage(expected, withTail));
    }
}
