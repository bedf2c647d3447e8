#pragma once

#include "files/RecoveryCopy.h"

#include <QStringList>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>

class QLockFile;

namespace vortan {

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

    // Starts writing a version of this editor's copy on a thread of its own; the copy's
    // folder is made and locked at the first. Its tiles follow with addTiles(), and it is
    // written when endCopy() gives the level's name and view. *whole: every tile of the
    // level follows, asked for or because there is no version of that size yet. False,
    // with *why, when the recovery folder cannot be written.
    bool beginCopy(QSize size, bool* whole, QString* why);
    // Whether the writer can take more tiles now, or, waiting, once it can. Few tiles wait
    // for the disk at a time, so that a large copy never holds much memory.
    bool wantsTiles(bool wait = false);
    void addTiles(RecoveryTiles&& tiles);
    void endCopy(const RecoveredLevel& about);
    // The level was replaced while its tiles were given: the version is let go, and the
    // last one written stays.
    void cancelCopy();
    // A version begun and not yet written.
    bool copying() const;
    // Waits for the version being written: what went wrong, empty when nothing did. A
    // version whose tiles were not all given is let go.
    QString finishCopy();
    // Removes this editor's copy, and the one it took over: the work was saved or let go.
    void forgetOwn();

    // The copies left by editors that have ended, newest first, each locked for this
    // editor until it is removed or released. Each was checked whole; its pictures are
    // read only when it is chosen, for a large level's sake. Copies that cannot be read are moved aside into
    // the folder "unreadable", never removed; *unreadable names each with its reason.
    std::vector<std::pair<RecoveryCopy, RecoveredLevel>> leftBehind(QStringList* unreadable);
    // A copy of leftBehind(): removed for good, or left for a later start.
    void remove(const RecoveryCopy& copy);
    void release(const RecoveryCopy& copy);
    // A copy of leftBehind() whose work this editor goes on with: it stays until this
    // editor's own copy holds that work.
    void takeOver(const RecoveryCopy& copy) { takenOver_ = copy; }

  private:
    // What the window's thread hands to the writer's.
    struct Handover {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<RecoveryTiles> tiles;
        qint64 bytes = 0; // of the tiles waiting
        std::optional<RecoveredLevel> about;
        bool cancelled = false;
    };
    QString folder_;
    const RecoveryCopy* own(QString* why);
    QString write(Handover& handover);

    std::unique_ptr<QLockFile> ownLock_;
    std::optional<RecoveryCopy> own_, takenOver_;
    std::unique_ptr<RecoveryWriter> writer_; // used by the writer's thread while it writes
    std::unique_ptr<Handover> handover_;
    std::future<QString> writing_;
    std::map<QString, std::unique_ptr<QLockFile>> taken_; // left copies locked by this editor
};

} // namespace vortan
