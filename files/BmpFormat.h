#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <optional>

namespace vortan {

// Whether a file that starts with these bytes is a BMP picture.
bool looksLikeBmp(const QByteArray& start);
// Reads the BMP picture of a file open at its start: any depth, palettes expanded, run
// lengths decoded, as Format_RGB32. A 16- or 32-bit pixel with alpha is laid over black.
// Nothing, and `why` says why, when the file is truncated, damaged, of a coding the
// editor does not read or too large.
std::optional<QImage> readBmp(QIODevice& file, QString& why);
// Writes the picture as an uncompressed 24-bit BMP into an open file. False when it cannot.
bool writeBmp(const QImage& picture, QIODevice& file);

} // namespace vortan
