#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QLockFile;

namespace vortan {

// A copy of unsaved work, kept while the editor runs so that a crash or a power cut
// loses little: both layers, the level's name and its view.
struct RecoveredLevel {
    QImage colour, map;
    QString name;
    QDateTime taken;
    QPoint offset; // the viewport's top-left level pixel
    int shown = 0; // the view: Level 0, Map 1, Thumbnail 2
    bool zoomed = false;
};

// One copy, written all or nothing into a folder of its own.
class RecoveryCopy {
  public:
    explicit RecoveryCopy(QString folder) : folder_(std::move(folder)) {}

    // Safe on any thread: the level's pictures come as copies of their own. False, with
    // *why naming the file and the reason, when the copy could not be written.
    bool write(const RecoveredLevel& level, QString* why = nullptr) const;
    // Nothing, with *why, when there is no whole copy.
    std::optional<RecoveredLevel> read(QString* why = nullptr) const;
    bool exists() const;
    // The copy's files; its folder stays.
    void remove() const;
    const QString& folder() const { return folder_; }

  private:
    QString file(const char* name) const;
    QString folder_;
};

// The recovery folder holds a copy for every editor that has unsaved work, each in a
// folder of its own whose lock its editor holds while it runs: no editor offers or
// removes the copy of another that still runs.
class RecoveryFolder {
  public:
    explicit RecoveryFolder(QString folder);
    // Lets go of every lock; the own copy's folder goes when it holds no copy, so that a
    // copy stays only for unsaved work.
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder&) = delete;
    RecoveryFolder& operator=(const RecoveryFolder&) = delete;

    // Starts writing this editor's copy on a thread of its own; the copy's folder is made
    // and locked at the first. False, with *why, when the recovery folder cannot be written.
    bool startCopy(const RecoveredLevel& level, QString* why);
    bool copying() const;
    // Waits for the copy being written: what went wrong, empty when nothing did.
    QString finishCopy();
    // Removes this editor's copy, and the one it took over: the work was saved or let go.
    void forgetOwn();

    // The copies left by editors that have ended, newest first, each locked for this
    // editor until it is removed or released. Each was read whole; its pictures are left
    // out here, for a large level's sake. Copies that cannot be read are moved aside into
    // the folder "unreadable", never removed; *unreadable names each with its reason.
    std::vector<std::pair<RecoveryCopy, RecoveredLevel>> leftBehind(QStringList* unreadable);
    // A copy of leftBehind(): removed for good, or left for a later start.
    void remove(const RecoveryCopy& copy);
    void release(const RecoveryCopy& copy);
    // A copy of leftBehind() whose work this editor goes on with: it stays until this
    // editor's own copy holds that work.
    void takeOver(const RecoveryCopy& copy) { takenOver_ = copy; }

  private:
    QString folder_;
    const RecoveryCopy* own(QString* why);

    std::unique_ptr<QLockFile> ownLock_;
    std::optional<RecoveryCopy> own_, takenOver_;
    std::future<QString> writing_;
    std::map<QString, std::unique_ptr<QLockFile>> taken_; // left copies locked by this editor
};

} // namespace vortan
