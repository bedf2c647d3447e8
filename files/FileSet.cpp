#include "files/FileSet.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan {

namespace {

// What a writer leaves beside a target: the target's name, then what the file is, the
// writer's process id and the set's tag.
const QRegularExpression& leftoverName() {
    static const QRegularExpression name(R"(^(.+)\.(new|old|commit|undo)~(\d{1,10})~([0-9a-f]{8})$)");
    return name;
}

// The tags of the sets this process is writing now. A leftover with this process's id
// and another tag was left by an earlier process that had the same id.
std::mutex liveTagsMutex;
std::set<QString>& liveTags() {
    static std::set<QString> tags;
    return tags;
}

bool writerEnded(qint64 pid, const QString& tag) {
    if (pid <= 0 || pid > INT_MAX) return true; // no process writes with such an id
    if (pid == ::getpid()) {
        const std::lock_guard lock(liveTagsMutex);
        return !liveTags().count(tag);
    }
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

QString errnoText() {
    return qt_error_string(errno);
}

QString failureAt(const QString& path, const QString& reason) {
    return QDir::toNativeSeparators(path) + ": " + reason;
}

bool step() {
    if (FileSet::beforeStep && !FileSet::beforeStep()) {
        errno = EIO;
        return false;
    }
    return true;
}

bool exists(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool renameFile(const QString& from, const QString& to) {
    return step() && ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A file that is gone already counts as removed.
bool removeFile(const QString& path) {
    return step() && (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT);
}

// The folder's names on the disk, not only the files' contents. Some file systems cannot
// sync a folder; the renames then are as safe as that file system makes them.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool syncFile(QFile& file) {
    return ::fsync(file.handle()) == 0;
}

// A second name for an old file, to put it back if the set must be undone. A file
// system without hard links (FAT) gets a copy.
bool keepOld(const QString& target, const QString& aside) {
    if (!step()) return false;
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(aside).constData()) == 0) return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != EXDEV) return false;
    QFile copy(aside);
    if (!QFile::copy(target, aside) || !copy.open(QIODevice::ReadWrite) || !syncFile(copy)) {
        errno = EIO;
        return false;
    }
    return true;
}

const QByteArray kJournalHeader = "vortan file set 1";

// The moves of one set as its journal names them. Everything a writer leaves sits in one
// folder, named after its target plus the kind, the writer's id and the set's tag.
struct Journal {
    struct Entry {
        QString target; // a name in the folder
        bool hadOld = false;
    };
    QString folder, writer; // writer: "pid~tag"
    std::vector<Entry> entries;

    QString named(const QString& target, const char* kind) const {
        return folder + '/' + target + '.' + kind + '~' + writer;
    }
    QString target(const Entry& e) const { return folder + '/' + e.target; }
    QString temporary(const Entry& e) const { return named(e.target, "new"); }
    QString old(const Entry& e) const { return named(e.target, "old"); }
    QString file(const char* kind) const { return named(entries.front().target, kind); }

    bool write(QString* why) const;
    // The journal of a writer that ended. Nothing when it was not written in full, which
    // means that no file of its set was moved yet.
    static std::optional<Journal> read(const QString& folder, const QString& fileName, const QString& writer);
    // Every new file still beside its target takes the target's name; then the old
    // names and the journal go. Safe to run again after an interruption.
    bool forward(QString* why) const;
    // Every old file takes its name back and new files without an old one go; then the
    // temporaries and the journal go. Safe to run again after an interruption.
    bool undo(QString* why) const;
};

bool Journal::write(QString* why) const {
    QByteArray text = kJournalHeader + '\n' + QByteArray::number(qsizetype(entries.size())) + '\n';
    for (const Entry& e : entries)
        text += (e.hadOld ? "1 " : "0 ") + e.target.toUtf8().toPercentEncoding() + '\n';
    text += "end\n";
    QFile journal(file("commit"));
    const bool written = step() && journal.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                         writeAll(journal, text.constData(), text.size()) && journal.flush() &&
                         syncFile(journal);
    if (!written) *why = failureAt(journal.fileName(), journal.errorString());
    return written;
}

std::optional<Journal> Journal::read(const QString& folder, const QString& fileName, const QString& writer) {
    QFile file(folder + '/' + fileName);
    // Only a plain file: a pipe of that name would never give its end.
    struct stat st;
    if (::lstat(QFile::encodeName(file.fileName()).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > 1 << 20 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    bool number = false;
    const qsizetype count = lines.size() > 2 ? lines[1].toLongLong(&number) : 0;
    if (lines[0] != kJournalHeader || !number || count < 1 || lines.size() != count + 4 ||
        lines[count + 2] != "end" || !lines[count + 3].isEmpty())
        return std::nullopt;
    Journal journal{folder, writer, {}};
    for (qsizetype i = 2; i < count + 2; ++i) {
        const QByteArray& line = lines[i];
        const QString target = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(2)));
        // Only names in this folder: a journal never moves a file anywhere else.
        if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != ' ' || target.contains('/') ||
            target.contains(QChar(0)) || target == "." || target == "..")
            return std::nullopt;
        journal.entries.push_back({target, line[0] == '1'});
    }
    const QString name = fileName.section('/', -1);
    if (name != QFileInfo(journal.file("commit")).fileName() &&
        name != QFileInfo(journal.file("undo")).fileName())
        return std::nullopt;
    return journal;
}

bool Journal::forward(QString* why) const {
    for (const Entry& e : entries)
        if (exists(temporary(e)) && !renameFile(temporary(e), target(e))) {
            *why = failureAt(target(e), errnoText());
            return false;
        }
    syncFolder(folder);
    // The set is whole now; what follows only tidies up.
    for (const Entry& e : entries)
        if (e.hadOld) removeFile(old(e));
    removeFile(file("commit"));
    return true;
}

bool Journal::undo(QString* why) const {
    // From here on, a writer that dies leaves a set to be undone, not finished.
    if (exists(file("commit"))) {
        if (!renameFile(file("commit"), file("undo"))) {
            *why = failureAt(file("commit"), errnoText());
            return false;
        }
        syncFolder(folder);
    }
    for (const Entry& e : entries) {
        // An old file not yet replaced is the same file as its second name: the rename
        // then does nothing, and the second name is removed.
        const bool back = e.hadOld ? !exists(old(e)) || (renameFile(old(e), target(e)) && removeFile(old(e)))
                                   : exists(temporary(e)) || removeFile(target(e));
        if (!back) {
            *why = failureAt(target(e), errnoText());
            return false;
        }
    }
    syncFolder(folder);
    for (const Entry& e : entries)
        removeFile(temporary(e));
    removeFile(file("undo"));
    return true;
}

} // namespace

bool writeAll(QIODevice& file, const char* data, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const qint64 n = file.write(data + done, size - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

FileSet::FileSet() : tag_(QString("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'))) {
    const std::lock_guard lock(liveTagsMutex);
    liveTags().insert(tag_);
}

FileSet::~FileSet() {
    if (!done_) removeLeftovers();
    const std::lock_guard lock(liveTagsMutex);
    liveTags().erase(tag_);
}

void FileSet::fail(const QString& target, const QString& reason) {
    if (!failed_) failure_ = failureAt(target, reason);
    failed_ = true;
}

QString FileSet::failure() const {
    if (!failure_.isEmpty()) return failure_;
    // A write that failed before the set was committed.
    for (const Member& m : members_)
        if (m.file->error() != QFileDevice::NoError) return failureAt(m.target, m.file->errorString());
    return {};
}

QFile* FileSet::add(const QString& target) {
    if (failed_ || done_) return nullptr;
    const QFileInfo info(target);
    if (members_.empty()) {
        folder_ = info.absolutePath();
        // An unfinished set in the folder is finished first: finished later, it would
        // put older files over these.
        if (QString why; !settle(target, &why)) {
            fail(target, "An earlier save in this folder could not be finished (" + why + ").");
            return nullptr;
        }
    } else if (info.absolutePath() != folder_) {
        fail(target, "Not in the folder of the other files of its set.");
        return nullptr;
    }
    // A folder of that name is not ours to replace.
    if (info.exists() && !info.isFile()) {
        fail(target, "A folder or device of that name is in the way.");
        return nullptr;
    }
    Member m;
    m.target = folder_ + '/' + info.fileName();
    m.temporary = m.target + ".new~" + QString::number(::getpid()) + '~' + tag_;
    m.file = std::make_unique<QFile>(m.temporary);
    if (!step() || !m.file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        fail(target, m.file->error() != QFileDevice::NoError ? m.file->errorString() : errnoText());
        return nullptr;
    }
    members_.push_back(std::move(m));
    return members_.back().file.get();
}

bool FileSet::add(const QString& target, const QByteArray& bytes) {
    QFile* file = add(target);
    if (file && !writeAll(*file, bytes.constData(), bytes.size())) fail(target, file->errorString());
    return !failed_;
}

bool FileSet::commit() {
    if (done_) return false;
    done_ = true;
    // Every new file complete and on the disk before any old one is touched.
    for (Member& m : members_) {
        if (m.file->error() != QFileDevice::NoError) fail(m.target, m.file->errorString());
        if (!syncFile(*m.file)) fail(m.target, errnoText());
        m.file->close();
    }
    if (failed_ || members_.empty()) {
        failed_ = true;
        removeLeftovers();
        return false;
    }
    if (members_.size() == 1) { // one rename replaces one file whole
        if (!renameFile(members_[0].temporary, members_[0].target)) {
            fail(members_[0].target, errnoText());
            removeLeftovers();
            return false;
        }
        syncFolder(folder_);
        return true;
    }
    Journal journal{folder_, QString::number(::getpid()) + '~' + tag_, {}};
    for (const Member& m : members_)
        journal.entries.push_back({QFileInfo(m.target).fileName(), false});
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (!exists(members_[i].target)) continue;
        if (!keepOld(members_[i].target, journal.old(journal.entries[i]))) {
            fail(members_[i].target, errnoText());
            removeLeftovers();
            return false;
        }
        members_[i].hadOld = journal.entries[i].hadOld = true;
    }
    QString why;
    if (!journal.write(&why)) {
        failure_ = why;
        failed_ = true;
        removeLeftovers();
        return false;
    }
    syncFolder(folder_);
    if (journal.forward(&why)) return true;
    failure_ = why;
    failed_ = true;
    // Left unfinished when this fails too: a later settle() of another process undoes it.
    journal.undo(&why);
    return false;
}

void FileSet::removeLeftovers() {
    const QString writer = QString::number(::getpid()) + '~' + tag_;
    for (Member& m : members_) {
        if (m.file->isOpen()) m.file->close();
        removeFile(m.temporary);
        if (m.hadOld) removeFile(m.target + ".old~" + writer);
    }
    if (!members_.empty()) removeFile(members_[0].target + ".commit~" + writer);
}

bool FileSet::settle(const QString& path, QString* why) {
    const QString folder = QFileInfo(path).absolutePath();
    struct Leftovers {
        QStringList files;
        QString journal, kind;
    };
    std::map<QString, Leftovers> sets; // by writer
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = leftoverName().match(name);
        if (!match.hasMatch() || !writerEnded(match.captured(3).toLongLong(), match.captured(4))) continue;
        Leftovers& set = sets[match.captured(3) + '~' + match.captured(4)];
        const QString kind = match.captured(2);
        if (kind == "commit" || kind == "undo")
            set = {set.files, name, kind};
        else
            set.files.append(name);
    }
    bool settled = true;
    for (const auto& [writer, set] : sets) {
        // A journal that cannot be read was not written in full: nothing was moved yet.
        const std::optional<Journal> journal =
            set.journal.isEmpty() ? std::nullopt : Journal::read(folder, set.journal, writer);
        QString reason;
        if (journal && !(set.kind == "commit" ? journal->forward(&reason) : journal->undo(&reason))) {
            if (why) *why = reason;
            settled = false;
            continue;
        }
        for (const QString& name : set.files)
            if (exists(folder + '/' + name)) removeFile(folder + '/' + name);
        if (!set.journal.isEmpty() && exists(folder + '/' + set.journal))
            removeFile(folder + '/' + set.journal);
    }
    return settled;
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    FileSet set;
    return set.add(path, bytes) && set.commit();
}

} // namespace vortan
