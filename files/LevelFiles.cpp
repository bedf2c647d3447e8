#include "files/LevelFiles.h"
#include "files/BmpFormat.h"
#include "files/FileSet.h"
#include "files/PictureFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace vortan {

QString saveBaseFor(const QString& chosen) {
    // A set read from GIF or PNG members is saved beside them as BMP.
    for (const char* role : {".level.", ".map.", ".thumb."})
        for (const char* kind : {"bmp", "png", "gif"})
            if (const QString ending = QLatin1String(role) + kind; chosen.endsWith(ending))
                return chosen.chopped(ending.size());
    for (const char* ending : {".bmp", ".png", ".gif"})
        if (chosen.endsWith(QLatin1String(ending), Qt::CaseInsensitive)) return chosen.chopped(4);
    return chosen;
}

bool saveLevelSet(const QString& base, const LevelDocument& level,
                  const std::function<const Picture&()>& thumbnail, QString* why) {
    // A map left beside a newer colour layer would load as a level without its walls.
    FileSet set;
    QFile* colourFile = set.add(base + ".level.bmp");
    QFile* mapFile = set.add(base + ".map.bmp");
    QFile* thumbFile = set.add(base + ".thumb.bmp");
    if (colourFile && mapFile && thumbFile && writeBmp(level.colourLayer().image(), *colourFile) &&
        writeBmp(level.materialMap().image(), *mapFile) && writeBmp(thumbnail().image(), *thumbFile) &&
        set.commit())
        return true;
    if (why)
        *why = set.failure().isEmpty()
                   ? QDir::toNativeSeparators(base) + ": The pictures could not be written as BMP pictures."
                   : set.failure();
    return false;
}

qsizetype setNameEnd(const QString& fileName) {
    qsizetype end = -1;
    for (const char* marker : {".thumb.", ".map.", ".level."})
        end = std::max(end, fileName.lastIndexOf(QLatin1String(marker)));
    return end;
}

QString plainPictureName(const QString& fileName) {
    const qsizetype dot = fileName.indexOf('.');
    return dot < 0 ? fileName : fileName.left(dot);
}

std::optional<LevelSetPictures> readLevelSet(const QString& base, QString* why) {
    if (!FileSet::settle(base, why)) return std::nullopt;
    LevelSetPictures set;
    const struct {
        const char* role;
        std::optional<QImage> LevelSetPictures::*member;
    } members[] = {{".thumb.", &LevelSetPictures::thumbnail},
                   {".level.", &LevelSetPictures::colour},
                   {".map.", &LevelSetPictures::map}};
    for (const auto& m : members) {
        // A BMP saved after its PNG or GIF was loaded holds the newer work. At equal times
        // the BMP comes last: Save writes BMP, so one as old as the others was not saved later.
        QString file;
        QDateTime newest;
        for (const char* kind : {"png", "gif", "bmp"}) {
            const QFileInfo member(base + m.role + kind);
            if (!member.exists() || (!file.isEmpty() && member.lastModified() <= newest)) continue;
            file = member.filePath();
            newest = member.lastModified();
        }
        if (file.isEmpty()) continue;
        QString reason;
        std::optional<QImage> picture = loadPicture(file, &reason);
        if (!picture) {
            if (why) *why = QFileInfo(file).fileName() + ": " + reason;
            return std::nullopt;
        }
        set.*m.member = std::move(picture);
    }
    return set;
}

std::optional<LevelFile> readLevelFile(const QString& path, QString* why) {
    const QString fileName = QFileInfo(path).fileName();
    LevelFile file;
    if (const qsizetype nameEnd = setNameEnd(fileName); nameEnd >= 0) {
        file.name = fileName.left(nameEnd);
        file.set = readLevelSet(path.left(path.size() - fileName.size()) + file.name, why);
        if (!file.set) return std::nullopt;
        return file;
    }
    FileSet::settle(path);
    std::optional<QImage> picture = loadPicture(path, why);
    if (!picture) return std::nullopt;
    file.name = plainPictureName(fileName);
    file.picture = std::move(*picture);
    return file;
}

} // namespace vortan
