#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QLockFile;

namespace vortan {

class FileSet;

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

// Some 64 x 64 tiles of both layers, copied on the window's thread for the writer: each
// tile's colour rows, then its map rows, as wide as the tile. Tiles are numbered row by
// row across the level; those at the right and bottom edges are cut to the level.
struct RecoveryTiles {
    static constexpr int kTile = 64;
    static int count(QSize level);
    static QRect area(QSize level, int index);

    std::vector<int> indices;
    std::vector<uint32_t> pixels;

    // Copies the tile from both layers (of one size) without sharing their pixels.
    void take(const QImage& colour, const QImage& map, int index);
    qint64 bytes() const { return qint64(pixels.size()) * 4; }
};

// One copy in a folder of its own: recovery.txt names the level, its view and size, and
// the tile files that hold its pixels, oldest first; a later file's tile replaces an
// earlier one's. Every version of the copy is written all or nothing.
class RecoveryCopy {
  public:
    explicit RecoveryCopy(QString folder) : folder_(std::move(folder)) {}

    // The whole level as a copy of its own. Safe on any thread: the level's pictures come
    // as copies of their own. False, with *why naming the file and the reason, when the
    // copy could not be written.
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

// Writes one editor's copy version after version. The first version, and the first after
// the level took another size, holds every tile in a new file; each later one writes only
// the tiles given to it, in a file of its own beside the earlier ones. When the files
// hold much more than the latest tiles, those are gathered into one file and the others
// go. Each version appears all at once, with its recovery.txt (a file set).
class RecoveryWriter {
  public:
    explicit RecoveryWriter(QString folder);
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    // Whether a version of a level of `size` must hold every tile: nothing of that size
    // was written yet.
    bool needsWhole(QSize size) const { return files_.empty() || size != size_; }
    // A version begins; `whole` when every tile follows.
    void begin(QSize size, bool whole);
    void add(const RecoveryTiles& tiles);
    // The version is written with the level's name and view. False, with *why, when it
    // could not be; the copy on the disk is then the last version written.
    bool commit(const RecoveredLevel& about, QString* why);
    // The version begun is let go.
    void abandon();
    // The copy on the disk was removed: the next version holds every tile.
    void forget();
    // A version of this copy is on the disk.
    bool written() const { return !files_.empty(); }

  private:
    struct File {
        int number = 0;
        qint64 bytes = 0;
        QByteArray md5; // hex
    };
    // Where the latest version of a tile is.
    struct Place {
        int file = -1; // its number
        qint64 offset = 0;
        qint32 length = 0;
    };
    QString path(int number) const;
    // The version's tile file, named above every other; false when it cannot be made.
    bool startFile();
    QByteArray about(const RecoveredLevel& level, const std::vector<File>& files) const;

    QString folder_;
    // The copy on the disk.
    QSize size_;
    std::vector<File> files_;
    std::vector<Place> places_;
    // The version being written.
    std::unique_ptr<FileSet> set_;
    class Output;
    std::unique_ptr<Output> out_;
    QSize newSize_;
    bool whole_ = false;
    std::vector<std::pair<int, Place>> placed_;
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
