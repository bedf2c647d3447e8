#include "files/RecoveryCopy.h"
#include "files/FileSet.h"
#include "files/BmpFormat.h"
#include "files/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan {

namespace {

constexpr const char* kCopyFiles[] = {"recovery.txt", "recovery.level.bmp", "recovery.map.bmp"};

// Held while this editor runs, or while it looks at the copy of an editor that ended.
// Never stale by age: an editor may run for days.
std::unique_ptr<QLockFile> lockCopy(const QString& folder) {
    auto lock = std::make_unique<QLockFile>(folder + ".lock");
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

} // namespace

QString RecoveryCopy::file(const char* name) const {
    return QDir(folder_).filePath(name);
}

bool RecoveryCopy::write(const RecoveredLevel& level, QString* why) const {
    // The name is kept on one line whatever it holds; one arg() call, so that a "%1" in
    // the name stays as typed.
    const QByteArray about =
        QString("%1\n%2\n%3 %4 %5 %6\n")
            .arg(QString::fromLatin1(level.name.toUtf8().toPercentEncoding(" ")),
                 level.taken.toString(Qt::ISODateWithMs), QString::number(level.offset.x()),
                 QString::number(level.offset.y()), QString::number(level.shown), level.zoomed ? "1" : "0")
            .toUtf8();
    FileSet set;
    QFile* colour = set.add(file("recovery.level.bmp"));
    QFile* map = set.add(file("recovery.map.bmp"));
    if (colour && map && writeBmp(level.colour, *colour) && writeBmp(level.map, *map) &&
        set.add(file("recovery.txt"), about) && set.commit())
        return true;
    if (why)
        *why = set.failure().isEmpty() ? folder_ + ": The pictures could not be written." : set.failure();
    return false;
}

std::optional<RecoveredLevel> RecoveryCopy::read(QString* why) const {
    QString reason;
    auto unreadable = [&](const QString& text) {
        if (why) *why = text;
        return std::nullopt;
    };
    // A copy cut short by a crash is finished or undone first.
    if (!FileSet::settle(file("recovery.txt"), &reason)) return unreadable(reason);
    QFile about(file("recovery.txt"));
    if (!about.open(QIODevice::ReadOnly))
        return unreadable(QDir::toNativeSeparators(about.fileName()) + ": " + about.errorString());
    const QStringList lines = QString::fromUtf8(about.read(64 * 1024)).split('\n');
    const QStringList view = lines.size() == 4 ? lines[2].split(' ') : QStringList();
    const QDateTime taken = lines.size() == 4 ? QDateTime::fromString(lines[1], Qt::ISODate) : QDateTime();
    if (view.size() != 4 || !taken.isValid() || !lines[3].isEmpty())
        return unreadable(QDir::toNativeSeparators(about.fileName()) + ": It is cut short or damaged.");
    std::optional<QImage> colour = loadPicture(file("recovery.level.bmp"), &reason);
    if (!colour) return unreadable(QDir::toNativeSeparators(file("recovery.level.bmp")) + ": " + reason);
    std::optional<QImage> map = loadPicture(file("recovery.map.bmp"), &reason);
    if (!map) return unreadable(QDir::toNativeSeparators(file("recovery.map.bmp")) + ": " + reason);
    return RecoveredLevel{*colour,
                          *map,
                          QUrl::fromPercentEncoding(lines[0].toUtf8()),
                          taken,
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
    for (const char* name : kCopyFiles)
        QFile::remove(file(name));
}

RecoveryFolder::RecoveryFolder(QString folder) : folder_(std::move(folder)) {}

RecoveryFolder::~RecoveryFolder() {
    finishCopy();
    if (own_ && !own_->exists()) QDir(own_->folder()).removeRecursively();
}

bool RecoveryFolder::startCopy(const RecoveredLevel& level, QString* why) {
    finishCopy();
    const RecoveryCopy* copy = own(why);
    if (!copy) return false;
    writing_ = std::async(std::launch::async, [copy = *copy, level] {
        QString trouble;
        copy.write(level, &trouble);
        return trouble;
    });
    return true;
}

bool RecoveryFolder::copying() const {
    return writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

QString RecoveryFolder::finishCopy() {
    if (!writing_.valid()) return {};
    const QString why = writing_.get();
    if (why.isEmpty() && takenOver_) {
        remove(*takenOver_);
        takenOver_.reset();
    }
    return why;
}

const RecoveryCopy* RecoveryFolder::own(QString* why) {
    if (own_) return &*own_;
    const QString where = QDir::toNativeSeparators(folder_) + ": ";
    if (!QDir().mkpath(folder_)) {
        if (why) *why = where + "The folder cannot be made.";
        return nullptr;
    }
    // A name of its own: an editor that ended with the same process id left its copy.
    const QString folder = QDir(folder_).filePath(
        QString("copy-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0')));
    std::unique_ptr<QLockFile> lock = lockCopy(folder);
    if (!lock) {
        if (why) *why = where + "The folder cannot be written.";
        return nullptr;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0) {
        if (why) *why = QDir::toNativeSeparators(folder) + ": " + qt_error_string(errno);
        return nullptr;
    }
    ownLock_ = std::move(lock);
    own_.emplace(folder);
    return &*own_;
}

std::vector<std::pair<RecoveryCopy, RecoveredLevel>> RecoveryFolder::leftBehind(QStringList* unreadable) {
    std::vector<std::pair<RecoveryCopy, RecoveredLevel>> left;
    const QDir root(folder_);
    for (const QString& name : root.entryList({"copy-*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const RecoveryCopy copy(root.filePath(name));
        if ((own_ && own_->folder() == copy.folder()) || taken_.count(copy.folder())) continue;
        std::unique_ptr<QLockFile> lock = lockCopy(copy.folder());
        if (!lock) continue;  // its editor still runs
        if (!copy.exists()) { // an editor that ended with nothing unsaved
            QDir(copy.folder()).removeRecursively();
            continue;
        }
        QString why;
        if (std::optional<RecoveredLevel> level = copy.read(&why)) {
            taken_[copy.folder()] = std::move(lock);
            level->colour = level->map = QImage();
            left.emplace_back(copy, *level);
            continue;
        }
        // Kept for whoever can still make something of it, and not asked about again.
        const QString aside = root.filePath("unreadable/" + name);
        if (root.mkpath("unreadable") && QDir().rename(copy.folder(), aside)) why += "\n\rKept in " + aside;
        unreadable->append(why);
    }
    std::stable_sort(left.begin(), left.end(),
                     [](const auto& a, const auto& b) { return a.second.taken > b.second.taken; });
    return left;
}

void RecoveryFolder::forgetOwn() {
    finishCopy();
    if (own_) own_->remove();
    if (takenOver_) remove(*takenOver_);
    takenOver_.reset();
}

void RecoveryFolder::remove(const RecoveryCopy& copy) {
    copy.remove();
    QDir(copy.folder()).removeRecursively();
    taken_.erase(copy.folder());
}

void RecoveryFolder::release(const RecoveryCopy& copy) {
    taken_.erase(copy.folder());
    if (takenOver_ && takenOver_->folder() == copy.folder()) takenOver_.reset();
}

} // namespace vortan
