#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <optional>

namespace vortan {

// Whether a file that starts with these bytes is a GIF picture.
bool looksLikeGif(const QByteArray& start);
// Reads the first image of the GIF picture of a file open at its start, as
// Format_RGB32. Its transparent pixels become black, which the editor treats as empty
// (and a brush as transparent). Where the image does not cover the picture, the
// background colour remains, or black when the image has transparency. Nothing, and
// `why` says why, when the file is truncated, damaged or too large.
std::optional<QImage> readGif(QIODevice& file, QString& why);

} // namespace vortan
