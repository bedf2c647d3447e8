#pragma once

#include "core/Picture.h"

#include <QImage>
#include <QString>
#include <optional>

namespace vortan {

// Reads a BMP, GIF or PNG picture (any depth, palettes expanded) as Format_RGB32; the
// contents decide the kind, not the name. An empty path gives the empty picture. A
// missing, truncated, corrupt or oversized file, or anything that is not a plain file,
// gives nothing, and *error says why.
std::optional<QImage> loadPicture(const QString& path, QString* error = nullptr);
// Writes the picture as a BMP file, replacing an older one whole. False when it cannot.
bool savePicture(const Picture& p, const QString& path);

} // namespace vortan
