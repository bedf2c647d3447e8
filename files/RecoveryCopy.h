#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

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

    // Copies the tile from both layers without sharing their pixels.
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
    std::optional<RecoveredLevel> read(QString* why = nullptr) const { return read(why, true); }
    // The copy without its pictures, its files checked whole by their bytes: much quicker
    // than reading a large level.
    std::optional<RecoveredLevel> check(QString* why = nullptr) const { return read(why, false); }
    bool exists() const;
    // The copy's files; its folder stays.
    void remove() const;
    const QString& folder() const { return folder_; }

  private:
    std::optional<RecoveredLevel> read(QString* why, bool pictures) const;
    QString file(const char* name) const;
    QString folder_;
};

// Writes one editor's copy version after version. The first version, and the first after
// the level took another size, holds every tile in a new file; each later one writes only
// the tiles given to it, in a file of its own after the earlier ones. Older files are
// gathered into the new one, their replaced tiles left out, when they hold more replaced
// tiles than latest ones, or when they are not much larger than the files after them:
// the files stay few, and a tile is rewritten a few times at most. Each version appears
// all at once, with its recovery.txt (a file set).
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

} // namespace vortan
