#include "files/RecoveryCopy.h"
#include "core/FileSet.h"
#include "core/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vortan {

QString RecoveryCopy::file(const char* name) const {
    return QDir(folder_).filePath(name);
}

bool RecoveryCopy::write(const RecoveredLevel& level) const {
    if (!QDir().mkpath(folder_)) return false;
    const QByteArray about = QString("%1\n%2\n%3 %4 %5 %6\n")
                                 .arg(level.name, level.taken.toString(Qt::ISODate))
                                 .arg(level.offset.x())
                                 .arg(level.offset.y())
                                 .arg(level.shown)
                                 .arg(level.zoomed ? 1 : 0)
                                 .toUtf8();
    FileSet set;
    QFile* colour = set.add(file("recovery.level.bmp"));
    QFile* map = set.add(file("recovery.map.bmp"));
    return colour && map && writeBmp(level.colour, *colour) && writeBmp(level.map, *map) &&
           set.add(file("recovery.txt"), about) && set.commit();
}

std::optional<RecoveredLevel> RecoveryCopy::read() const {
    // A copy cut short by a crash is finished or undone first.
    if (!FileSet::settle(file("recovery.txt"))) return std::nullopt;
    QFile about(file("recovery.txt"));
    if (!about.open(QIODevice::ReadOnly)) return std::nullopt;
    const QStringList lines = QString::fromUtf8(about.readAll()).split('\n');
    if (lines.size() < 3) return std::nullopt;
    const QStringList view = lines[2].split(' ');
    std::optional<QImage> colour = loadPicture(file("recovery.level.bmp"));
    std::optional<QImage> map = loadPicture(file("recovery.map.bmp"));
    if (!colour || !map || view.size() != 4) return std::nullopt;
    return RecoveredLevel{*colour,
                          *map,
                          lines[0],
                          QDateTime::fromString(lines[1], Qt::ISODate),
                          {view[0].toInt(), view[1].toInt()},
                          view[2].toInt(),
                          view[3] == "1"};
}

bool RecoveryCopy::exists() const {
    FileSet::settle(file("recovery.txt"));
    return QFileInfo::exists(file("recovery.txt"));
}

void RecoveryCopy::remove() const {
    FileSet::settle(file("recovery.txt"));
    for (const char* name : {"recovery.txt", "recovery.level.bmp", "recovery.map.bmp"})
        QFile::remove(file(name));
}

} // namespace vortan
