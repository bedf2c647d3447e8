#pragma once

#include "core/Colour.h"

#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

// What the BMP and GIF readers and the BMP writer share: little-endian numbers, the
// refusals any picture file can earn, and reads that notice a file ending too early.
namespace vortan::format {

inline constexpr uint32_t kBlackPixel = toPixel(kBlack);

inline uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Refuses the picture for `reason`.
inline std::optional<QImage> failure(QString& why, const QString& reason) {
    why = reason;
    return std::nullopt;
}

inline QString truncatedText() {
    return QStringLiteral("The picture file ends too early.");
}
inline QString tooLargeText() {
    return QStringLiteral("The picture is too large.");
}
inline QString noPixelsText() {
    return QStringLiteral("The picture has no pixels.");
}
inline QString unreadableText() {
    return QStringLiteral("The picture file cannot be read.");
}

// Reads exactly n bytes; false when the file ends first or the read fails.
inline bool readExact(QIODevice& file, void* dst, qint64 n) {
    return n == 0 || file.read(static_cast<char*>(dst), n) == n;
}

// A picture of the given size whose pixels are still to be written, or nothing when
// memory runs out.
inline std::optional<QImage> newPicture(int64_t width, int64_t height, QString& why) {
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) return failure(why, QStringLiteral("Not enough memory for the picture."));
    return image;
}
// The same, blank.
inline std::optional<QImage> blankPicture(int64_t width, int64_t height, uint32_t fill, QString& why) {
    std::optional<QImage> image = newPicture(width, height, why);
    if (image) image->fill(fill);
    return image;
}

} // namespace vortan::format
