#pragma once

#include "core/LevelDocument.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

namespace vortan {

// A level kept by the editor is a set of three pictures: B.level.bmp (the colour layer),
// B.map.bmp (the material map) and B.thumb.bmp (the thumbnail). PNG and GIF members of
// the same names are read too; of the files of one member the newest is read, at equal
// times a PNG before a GIF before a BMP.

// The base of the set for a name chosen in the save dialog. Only a picture's ending
// (".bmp", ".png", ".gif") is taken off: the dialog adds none to a name that holds a dot
// ("Level 2.5"), and cutting blindly would save over another level. Choosing a member of
// an existing set saves over that set, as BMP.
QString saveBaseFor(const QString& chosenPath);
// Writes the three pictures as one set, all or nothing. The thumbnail is asked for
// after both layers are written. False, with *why naming the file and the reason.
bool saveLevelSet(const QString& base, const LevelDocument& level,
                  const std::function<const Picture&()>& thumbnail, QString* why = nullptr);

// Where the set's name ends in the name of one of its files: at the last member marker,
// so that "Level 2.5.level.bmp" is the set "Level 2.5". -1 for a plain picture. Only the
// file's own name is looked at, never its folder's.
qsizetype setNameEnd(const QString& fileName);
// A plain picture's level name: its file name up to the first dot.
QString plainPictureName(const QString& fileName);

// The members of a set found on disk, each read whole before any is used: a set with a
// broken member must leave the level as it was. Nothing when a member cannot be read.
// A save or export into the set's folder that was cut short is finished or undone first.
struct LevelSetPictures {
    std::optional<QImage> colour, map, thumbnail;
};
std::optional<LevelSetPictures> readLevelSet(const QString& base, QString* why = nullptr);

// A file chosen to open, read as Load reads it: the level set of whichever member is
// named, or one plain picture. Nothing, with *why, when it cannot be read.
struct LevelFile {
    QString name; // the level's name: the set's, or the picture's up to its first dot
    std::optional<LevelSetPictures> set;
    QImage picture; // a plain picture
};
std::optional<LevelFile> readLevelFile(const QString& path, QString* why = nullptr);

} // namespace vortan
