#include "files/RecoveryCopy.h"
#include "core/Colour.h"
#include "core/Picture.h"
#include "files/FileSet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vortan {

namespace {

constexpr const char* kAboutFile = "recovery.txt";
const QByteArray kTilesHeader = "VORTAN recovery tiles 1\n";
// The pixels a whole copy takes from its pictures at once.
constexpr qint64 kTakeAtOnce = 4ll << 20;
constexpr qsizetype kWriteAtOnce = 1 << 20;
// Files smaller than this are not gathered for the bytes they hold of older tiles.
constexpr qint64 kSmallCopy = 64 << 10;

QString tileFile(const QString& folder, int number) {
    return QDir(folder).filePath(QString("recovery.%1.tiles").arg(number));
}

// The number of a tile file's name, -1 for any other name.
int tileFileNumber(const QString& name) {
    static const QRegularExpression tiles(R"(^recovery\.(\d{1,9})\.tiles$)");
    const QRegularExpressionMatch match = tiles.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

std::vector<int> tileFilesIn(const QString& folder) {
    std::vector<int> numbers;
    for (const QString& name : QDir(folder).entryList({"recovery.*.tiles"}, QDir::Files | QDir::Hidden))
        if (const int n = tileFileNumber(name); n >= 0) numbers.push_back(n);
    return numbers;
}

// A step that changes the folder, which tests may make fail as a file set's steps.
void removeFile(const QString& path) {
    if (!FileSet::beforeStep || FileSet::beforeStep()) QFile::remove(path);
}

// Tile files that no version names any more. Only older ones than the newest named: a
// newer one is a version its editor is moving into place right now.
void removeUnnamed(const QString& folder, const std::vector<int>& named) {
    const int newest = named.empty() ? 0 : *std::max_element(named.begin(), named.end());
    for (const int n : tileFilesIn(folder))
        if (n < newest && std::find(named.begin(), named.end(), n) == named.end())
            removeFile(tileFile(folder, n));
}

void appendNumber(QByteArray& out, quint32 n) {
    char bytes[4];
    qToLittleEndian(n, bytes);
    out.append(bytes, 4);
}

// One layer of a tile: a length of 0 and the tile's one colour, or the length of its
// pixels compressed and those bytes. zlib through Qt, at its fastest: the copy's writer
// keeps up with a changing level and the build needs nothing more.
void appendLayer(QByteArray& out, const uint32_t* pixels, qsizetype count) {
    const uint32_t first = pixels[0];
    if (std::all_of(pixels, pixels + count, [&](uint32_t p) { return p == first; })) {
        appendNumber(out, 0);
        appendNumber(out, first);
        return;
    }
    const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(pixels), count * 4, 1);
    appendNumber(out, quint32(packed.size()));
    out.append(packed);
}

// Reads a tile file into both layers, or without layers only through its bytes, marking
// the tiles it holds. False, with *reason, when it is not the whole file its version named.
bool readTiles(const QString& path, qint64 bytes, const QByteArray& md5, QSize size, QImage* colour,
               QImage* map, std::vector<bool>& seen, QString* reason) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = in.errorString();
        return false;
    }
    *reason = "It is cut short or damaged.";
    if (in.size() != bytes) return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    const auto get = [&](char* to, qint64 n) {
        if (in.read(to, n) != n) return false;
        hash.addData(QByteArrayView(to, n));
        return true;
    };
    const auto getNumber = [&](quint32& n) {
        char b[4];
        if (!get(b, 4)) return false;
        n = qFromLittleEndian<quint32>(b);
        return true;
    };
    QByteArray header(kTilesHeader.size(), 0);
    if (!get(header.data(), header.size()) || header != kTilesHeader) return false;
    QByteArray packed;
    while (in.pos() < bytes) {
        quint32 index = 0;
        if (!getNumber(index) || index >= seen.size()) return false;
        const QRect a = RecoveryTiles::area(size, int(index));
        const qsizetype rowBytes = qsizetype(a.width()) * 4, tileBytes = rowBytes * a.height();
        for (QImage* layer : {colour, map}) {
            quint32 length = 0, only = 0;
            if (!getNumber(length)) return false;
            if (length == 0) {
                if (!getNumber(only)) return false;
                for (int y = a.top(); layer && y <= a.bottom(); ++y) {
                    auto* row = reinterpret_cast<uint32_t*>(layer->scanLine(y)) + a.x();
                    std::fill(row, row + a.width(), only);
                }
                continue;
            }
            // qCompress puts the length of the pixels first: checked before anything is made of it.
            if (length < 4 || length > quint32(2 * tileBytes + 64)) return false;
            packed.resize(length);
            if (!get(packed.data(), length) || qFromBigEndian<quint32>(packed.constData()) != tileBytes)
                return false;
            if (!layer) continue;
            const QByteArray pixels = qUncompress(packed);
            if (pixels.size() != tileBytes) return false;
            for (int y = 0; y < a.height(); ++y)
                std::memcpy(layer->scanLine(a.y() + y) + a.x() * 4, pixels.constData() + y * rowBytes,
                            size_t(rowBytes));
        }
        seen[index] = true;
    }
    return hash.result().toHex() == md5;
}

} // namespace

// --- tiles -------------------------------------------------------------------------------

int RecoveryTiles::count(QSize level) {
    if (level.isEmpty()) return 0;
    return ((level.width() + kTile - 1) / kTile) * ((level.height() + kTile - 1) / kTile);
}

QRect RecoveryTiles::area(QSize level, int index) {
    const int across = (level.width() + kTile - 1) / kTile;
    return QRect(index % across * kTile, index / across * kTile, kTile, kTile) & QRect(QPoint(0, 0), level);
}

void RecoveryTiles::take(const QImage& colour, const QImage& map, int index) {
    const QRect a = area(colour.size(), index);
    indices.push_back(index);
    const size_t at = pixels.size();
    pixels.resize(at + 2 * size_t(a.width()) * size_t(a.height()));
    uint32_t* out = pixels.data() + at;
    for (const QImage* layer : {&colour, &map})
        for (int y = a.top(); y <= a.bottom(); ++y, out += a.width()) {
            // A map of another size is cut or extended with black, as the level would be.
            const int w = y < layer->height() ? std::clamp(layer->width() - a.x(), 0, a.width()) : 0;
            if (w > 0) std::memcpy(out, layer->constScanLine(y) + a.x() * 4, size_t(w) * 4);
            std::fill(out + w, out + a.width(), toPixel(kBlack));
        }
}

// --- one copy ----------------------------------------------------------------------------

QString RecoveryCopy::file(const char* name) const {
    return QDir(folder_).filePath(name);
}

bool RecoveryCopy::write(const RecoveredLevel& level, QString* why) const {
    RecoveryWriter writer(folder_);
    const QSize size = level.colour.size();
    writer.begin(size, true);
    RecoveryTiles tiles;
    for (int i = 0; i < RecoveryTiles::count(size); ++i) {
        tiles.take(level.colour, level.map, i);
        if (tiles.bytes() < kTakeAtOnce) continue;
        writer.add(tiles);
        tiles = {};
    }
    writer.add(tiles);
    return writer.commit(level, why);
}

std::optional<RecoveredLevel> RecoveryCopy::read(QString* why, bool pictures) const {
    QString reason;
    auto unreadable = [&](const QString& text) {
        if (why) *why = text;
        return std::nullopt;
    };
    const auto damaged = [&](const QString& path) {
        return unreadable(QDir::toNativeSeparators(path) + ": It is cut short or damaged.");
    };
    // A copy cut short by a crash is finished or undone first.
    if (!FileSet::settle(file(kAboutFile), &reason)) return unreadable(reason);
    QFile about(file(kAboutFile));
    if (!about.open(QIODevice::ReadOnly))
        return unreadable(QDir::toNativeSeparators(about.fileName()) + ": " + about.errorString());
    // The name, when it was taken, the view, the size, then each tile file with its bytes
    // and their checksum.
    const QStringList lines = QString::fromUtf8(about.read(1 << 20)).split('\n');
    if (lines.size() < 6 || !lines.last().isEmpty()) return damaged(about.fileName());
    const QStringList view = lines[2].split(' '), size = lines[3].split(' ');
    const QDateTime taken = QDateTime::fromString(lines[1], Qt::ISODate);
    const int width = size.size() == 2 ? size[0].toInt() : 0, height = size.size() == 2 ? size[1].toInt() : 0;
    if (view.size() != 4 || !taken.isValid() || width <= 0 || height <= 0 ||
        qint64(width) * height > kMaxPicturePixels)
        return damaged(about.fileName());
    struct Named {
        int number;
        qint64 bytes;
        QByteArray md5;
    };
    std::vector<Named> files;
    std::vector<int> numbers;
    for (qsizetype i = 4; i + 1 < lines.size(); ++i) {
        const QStringList parts = lines[i].split(' ');
        bool counted = false;
        const Named named{parts.size() == 3 ? tileFileNumber(parts[0]) : -1,
                          parts.size() == 3 ? parts[1].toLongLong(&counted) : 0,
                          parts.size() == 3 ? parts[2].toLatin1() : QByteArray()};
        if (named.number < 0 || !counted || named.md5.size() != 32) return damaged(about.fileName());
        files.push_back(named);
        numbers.push_back(named.number);
    }
    removeUnnamed(folder_, numbers); // what an editor that ended left on the way
    const QSize levelSize(width, height);
    QImage colour, map;
    if (pictures) {
        colour = QImage(levelSize, QImage::Format_RGB32);
        map = QImage(levelSize, QImage::Format_RGB32);
    }
    if (pictures && (colour.isNull() || map.isNull()))
        return unreadable(QDir::toNativeSeparators(about.fileName()) +
                          ": There is not enough memory to read it.");
    std::vector<bool> seen(size_t(RecoveryTiles::count(levelSize)));
    for (const Named& f : files) {
        const QString path = tileFile(folder_, f.number);
        if (!readTiles(path, f.bytes, f.md5, levelSize, pictures ? &colour : nullptr,
                       pictures ? &map : nullptr, seen, &reason))
            return unreadable(QDir::toNativeSeparators(path) + ": " + reason);
    }
    if (std::find(seen.begin(), seen.end(), false) != seen.end()) return damaged(about.fileName());
    return RecoveredLevel{colour,
                          map,
                          QUrl::fromPercentEncoding(lines[0].toUtf8()),
                          taken,
                          {view[0].toInt(), view[1].toInt()},
                          view[2].toInt(),
                          view[3] == "1"};
}

bool RecoveryCopy::exists() const {
    FileSet::settle(file(kAboutFile));
    return QFileInfo::exists(file(kAboutFile));
}

void RecoveryCopy::remove() const {
    FileSet::settle(file(kAboutFile));
    QFile::remove(file(kAboutFile)); // first: no copy without its tiles
    for (const int n : tileFilesIn(folder_))
        QFile::remove(tileFile(folder_, n));
}

// --- a copy written version after version --------------------------------------------------

// A tile file being written: its bytes go to the disk a megabyte at a time, through its
// checksum.
class RecoveryWriter::Output {
  public:
    Output(QFile* file, int number) : file_(file), number_(number) {}
    int number() const { return number_; }
    qint64 offset() const { return offset_; }
    void put(const QByteArray& bytes) {
        buffer_ += bytes;
        offset_ += bytes.size();
        if (buffer_.size() >= kWriteAtOnce) flush();
    }
    bool flush() {
        hash_.addData(buffer_);
        ok_ = ok_ && writeAll(*file_, buffer_.constData(), buffer_.size());
        buffer_.clear();
        return ok_;
    }
    QByteArray md5() const { return hash_.result().toHex(); }

  private:
    QFile* file_;
    int number_;
    QByteArray buffer_;
    QCryptographicHash hash_{QCryptographicHash::Md5};
    qint64 offset_ = 0;
    bool ok_ = true;
};

RecoveryWriter::RecoveryWriter(QString folder) : folder_(std::move(folder)) {}

RecoveryWriter::~RecoveryWriter() {
    abandon();
}

QString RecoveryWriter::path(int number) const {
    return tileFile(folder_, number);
}

void RecoveryWriter::begin(QSize size, bool whole) {
    abandon();
    newSize_ = size;
    whole_ = whole || needsWhole(size);
}

void RecoveryWriter::abandon() {
    out_.reset(); // before the set that holds its file
    set_.reset();
    placed_.clear();
}

void RecoveryWriter::forget() {
    abandon();
    files_.clear();
    places_.clear();
    size_ = {};
}

bool RecoveryWriter::startFile() {
    set_ = std::make_unique<FileSet>();
    // Above every file in the folder, named or not yet tidied away.
    int number = 1;
    for (const File& f : files_)
        number = std::max(number, f.number + 1);
    for (const int n : tileFilesIn(folder_))
        number = std::max(number, n + 1);
    QFile* file = set_->add(path(number));
    if (!file) return false;
    out_ = std::make_unique<Output>(file, number);
    out_->put(kTilesHeader);
    return true;
}

void RecoveryWriter::add(const RecoveryTiles& tiles) {
    // A file that could not be made fails the version at its commit.
    if (tiles.indices.empty() || (!out_ && (set_ || !startFile()))) return;
    const uint32_t* pixels = tiles.pixels.data();
    QByteArray record;
    for (const int index : tiles.indices) {
        const QRect a = RecoveryTiles::area(newSize_, index);
        const qsizetype count = qsizetype(a.width()) * a.height();
        record.clear();
        appendNumber(record, quint32(index));
        appendLayer(record, pixels, count);
        appendLayer(record, pixels + count, count);
        pixels += 2 * count;
        placed_.push_back({index, {out_->number(), out_->offset(), qint32(record.size())}});
        out_->put(record);
    }
}

QByteArray RecoveryWriter::about(const RecoveredLevel& level, const std::vector<File>& files) const {
    // The name is kept on one line whatever it holds; one arg() call, so that a "%1" in
    // the name stays as typed.
    QString text =
        QString("%1\n%2\n%3 %4 %5 %6\n%7 %8\n")
            .arg(QString::fromLatin1(level.name.toUtf8().toPercentEncoding(" ")),
                 level.taken.toString(Qt::ISODateWithMs), QString::number(level.offset.x()),
                 QString::number(level.offset.y()), QString::number(level.shown), level.zoomed ? "1" : "0",
                 QString::number(newSize_.width()), QString::number(newSize_.height()));
    for (const File& f : files)
        text +=
            QString("recovery.%1.tiles %2 %3\n").arg(f.number).arg(f.bytes).arg(QString::fromLatin1(f.md5));
    return text.toUtf8();
}

bool RecoveryWriter::commit(const RecoveredLevel& level, QString* why) {
    // Where the latest version of each tile will be.
    std::vector<Place> places = whole_ ? std::vector<Place>(size_t(RecoveryTiles::count(newSize_))) : places_;
    std::vector<bool> placedNow(places.size());
    for (const auto& [index, place] : placed_) {
        places[size_t(index)] = place;
        placedNow[size_t(index)] = true;
    }
    std::vector<File> files = whole_ ? std::vector<File>() : files_;
    // Files are gathered into the new one when they hold more older tiles than latest
    // ones, or when they are not much larger than the files after them: then each tile
    // is rewritten a few times at most, and the files stay few.
    const qint64 fresh = out_ ? out_->offset() : 0;
    size_t from = files.size();
    if (!whole_) {
        qint64 live = 0, all = fresh;
        for (const Place& p : places)
            live += p.length;
        for (const File& f : files)
            all += f.bytes;
        if (all > 2 * live + kSmallCopy) from = 0;
        for (qint64 later = fresh; from > 0 && files[from - 1].bytes <= 2 * later; --from)
            later += files[from - 1].bytes;
    }
    const auto failed = [&] {
        if (why)
            *why = set_ && !set_->failure().isEmpty()
                       ? set_->failure()
                       : QDir::toNativeSeparators(folder_) + ": The copy could not be written.";
        abandon();
        return false;
    };
    if (from < files.size() && !out_ && (set_ || !startFile())) return failed();
    if (from < files.size()) {
        for (size_t f = from; f < files.size(); ++f) {
            QFile in(path(files[f].number));
            if (!in.open(QIODevice::ReadOnly)) return failed();
            std::vector<size_t> kept; // the file's tiles that no later file replaced, in its order
            for (size_t i = 0; i < places.size(); ++i)
                if (!placedNow[i] && places[i].file == files[f].number) kept.push_back(i);
            std::sort(kept.begin(), kept.end(),
                      [&](size_t a, size_t b) { return places[a].offset < places[b].offset; });
            for (const size_t i : kept) {
                const QByteArray record =
                    in.seek(places[i].offset) ? in.read(places[i].length) : QByteArray();
                if (record.size() != places[i].length) return failed();
                places[i] = {out_->number(), out_->offset(), places[i].length};
                out_->put(record);
            }
        }
        files.erase(files.begin() + qsizetype(from), files.end());
    }
    if (!set_) set_ = std::make_unique<FileSet>(); // a version of no tiles: a new name or view
    if (out_) {
        if (!out_->flush()) return failed();
        files.push_back({out_->number(), out_->offset(), out_->md5()});
    }
    if (!set_->add(QDir(folder_).filePath(kAboutFile), about(level, files)) || !set_->commit())
        return failed();
    size_ = newSize_;
    files_ = std::move(files);
    places_ = std::move(places);
    abandon();
    std::vector<int> named;
    for (const File& f : files_)
        named.push_back(f.number);
    removeUnnamed(folder_, named);
    return true;
}

} // namespace vortan
