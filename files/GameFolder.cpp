#include "files/GameFolder.h"
#include "files/FileSet.h"
#include "core/Numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vortan {

QString twoDigits(int n) {
    return QString("%1").arg(n, 2, 10, QChar('0'));
}

GameFolder GameFolder::at(const QString& folder, const QString& stateFolder) {
    GameFolder game(stateFolder);
    // Not cleaned: "gg/.." through a link is not the folder that cleaning names.
    game.path_ = QDir::isAbsolutePath(folder) ? folder : QDir::currentPath() + '/' + folder;
    if (!game.path_.endsWith('/')) game.path_ += '/';
    return game;
}

bool GameFolder::holdsGame() const {
    return !path_.isEmpty() && QFileInfo::exists(path_ + "Vortan.exe");
}

void GameFolder::readRemembered() {
    FileSet::settle(rememberedIn());
    QFile file(rememberedIn());
    // Only a plain file: reading a pipe of that name would never return.
    if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        // Only spaces are trimmed: a folder name may hold other white space.
        path_ = trimBlanks(QString::fromLocal8Bit(line));
    }
    // The stored folder ends with its separator; a doubled one names the same file.
    if (path_.isEmpty() || !QFileInfo::exists(path_ + QDir::separator() + "Vortan.exe")) path_.clear();
}

void GameFolder::remember() const {
    QDir().mkpath(stateFolder_);
    replaceFile(rememberedIn(), path_.toLocal8Bit());
}

QString GameFolder::rememberedIn() const {
    return QDir(stateFolder_).filePath("gameFolder.txt");
}

QString GameFolder::levelFile(File kind, int number) const {
    const QString n = twoDigits(number);
    switch (kind) {
    case File::Thumbnail:
        return levelFolder() + "level" + n + "t.quox";
    case File::LevelImage:
        return levelFolder() + "level" + n + ".quox";
    case File::MaterialMap:
        break;
    }
    return levelFolder() + "levelm" + n + ".quox";
}

int GameFolder::firstFreeNumber() const {
    // An export cut short counts as done or as never begun, not as half a level.
    FileSet::settle(levelFile(File::Thumbnail, 0));
    int n = 0;
    for (; n < 100; ++n) {
        if (!QFileInfo::exists(levelFile(File::Thumbnail, n)) &&
            !QFileInfo::exists(levelFile(File::LevelImage, n)) &&
            !QFileInfo::exists(levelFile(File::MaterialMap, n)))
            break;
    }
    return n;
}

} // namespace vortan
