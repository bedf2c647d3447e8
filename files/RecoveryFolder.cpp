#include "files/RecoveryFolder.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan {

namespace {

// The pixels that may wait for the disk: a few handfuls of tiles, not a layer.
constexpr qint64 kMostWaiting = 16ll << 20;

// Held while this editor runs, or while it looks at the copy of an editor that ended.
// Never stale by age: an editor may run for days.
std::unique_ptr<QLockFile> lockCopy(const QString& folder) {
    auto lock = std::make_unique<QLockFile>(folder + ".lock");
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

} // namespace

RecoveryFolder::RecoveryFolder(QString folder) : folder_(std::move(folder)) {}

RecoveryFolder::~RecoveryFolder() {
    finishCopy();
    if (own_ && !own_->exists()) QDir(own_->folder()).removeRecursively();
}

bool RecoveryFolder::beginCopy(QSize size, bool* whole, QString* why) {
    finishCopy();
    const RecoveryCopy* copy = own(why);
    if (!copy) return false;
    if (!writer_) writer_ = std::make_unique<RecoveryWriter>(copy->folder());
    *whole = *whole || writer_->needsWhole(size);
    handover_ = std::make_unique<Handover>();
    writing_ = std::async(std::launch::async, [this, handover = handover_.get(), size, whole = *whole] {
        writer_->begin(size, whole);
        return write(*handover);
    });
    return true;
}

QString RecoveryFolder::write(Handover& handover) {
    std::unique_lock lock(handover.mutex);
    for (;;) {
        handover.changed.wait(
            lock, [&] { return !handover.tiles.empty() || handover.about || handover.cancelled; });
        if (handover.cancelled) {
            writer_->abandon();
            return {};
        }
        if (handover.tiles.empty()) break;
        const RecoveryTiles tiles = std::move(handover.tiles.front());
        handover.tiles.pop_front();
        lock.unlock();
        writer_->add(tiles);
        lock.lock();
        handover.bytes -= tiles.bytes(); // only now: tiles being written count as waiting
        handover.changed.notify_all();
    }
    const RecoveredLevel about = *handover.about;
    lock.unlock();
    QString why;
    writer_->commit(about, &why);
    return why;
}

bool RecoveryFolder::wantsTiles(bool wait) {
    if (!handover_) return false;
    std::unique_lock lock(handover_->mutex);
    if (wait) handover_->changed.wait(lock, [&] { return handover_->bytes < kMostWaiting; });
    return handover_->bytes < kMostWaiting;
}

void RecoveryFolder::addTiles(RecoveryTiles&& tiles) {
    if (!handover_) return;
    const std::lock_guard lock(handover_->mutex);
    handover_->bytes += tiles.bytes();
    handover_->tiles.push_back(std::move(tiles));
    handover_->changed.notify_all();
}

void RecoveryFolder::endCopy(const RecoveredLevel& about) {
    if (!handover_) return;
    const std::lock_guard lock(handover_->mutex);
    handover_->about = about;
    handover_->changed.notify_all();
}

void RecoveryFolder::cancelCopy() {
    if (!handover_) return;
    const std::lock_guard lock(handover_->mutex);
    if (handover_->about) return; // all given: it is written
    handover_->cancelled = true;
    handover_->tiles.clear();
    handover_->bytes = 0;
    handover_->changed.notify_all();
}

bool RecoveryFolder::copying() const {
    return writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

QString RecoveryFolder::finishCopy() {
    if (!writing_.valid()) return {};
    cancelCopy();
    const QString why = writing_.get();
    handover_.reset();
    if (why.isEmpty() && takenOver_ && writer_ && writer_->written()) {
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
        if (std::optional<RecoveredLevel> level = copy.check(&why)) {
            taken_[copy.folder()] = std::move(lock);
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
    if (writer_) writer_->forget();
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
