#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <optional>

namespace vortan {

// Whether a file that starts with these bytes is a PNG picture (or the start of one).
bool looksLikePng(const QByteArray& start);
// Reads the PNG picture of a file open at its start: palette, grey, colour, with or
// without alpha, 1 to 16 bits a channel, interlaced or not, as Format_RGB32. Alpha,
// a transparent colour included, is laid over black; 16-bit channels are rounded to 8
// bits; gamma and colour profiles are left out, so a pixel keeps the numbers the paint
// program shows. Nothing, and `why` says why, when the file is truncated anywhere,
// damaged (a checksum, the image data) or too large.
std::optional<QImage> readPng(QIODevice& file, QString& why);

} // namespace vortan
