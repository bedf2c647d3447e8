// The game's level files: the level image, its thumbnail and the material map, each a
// short header, a palette for pictures and a run-length coded stream of pixel values.
#include "files/GameFormat.h"
#include "core/SafeFile.h"

#include "core/Editor.h"

#include <algorithm>
#include <vector>

namespace vortan {

QByteArray numToBin(int32_t n) {
    QByteArray two(2, '\0');
    two[0] = char(n & 255);
    two[1] = char((n / 256) & 255);
    return two;
}

uint8_t materialCode(Colour c) {
    switch (c) {
    case kBlack:
        return 0;
    case kWater:
        return 1;
    case kBehindWall:
        return 64;
    case kPlatformFSA:
        return 129;
    case kPlatformFS:
        return 131;
    case kExplosive:
        return 132;
    default: // Wall, and any colour that is no material
        return 128;
    }
}

RunLengthWriter::RunLengthWriter(QByteArray& out, int base) : out_(out), base_(base), maxRun_(256 - base) {
    Q_ASSERT(base >= 1 && base <= 255);
}

void RunLengthWriter::writeRow(const uint8_t* values, int n) {
    if (n <= 0) return;
    // A row adds at most one byte per pixel (every repeat byte stands for at least one
    // pixel that wrote nothing), plus the repeat it carries in from the row before.
    const qsizetype start = out_.size();
    out_.resize(start + n + 1);
    char* const begin = out_.data() + start;
    char* o = begin;
    int prev = prev_, run = run_;
    for (int i = 0; i < n;) {
        const int x = values[i];
        int j = i + 1;
        while (j < n && values[j] == x)
            ++j;
        int same = j - i;
        if (x != prev) {
            if (run > 0) *o++ = char(base_ + run - 1);
            *o++ = char(x);
            run = 0;
            prev = x;
            --same;
        }
        // A full repeat byte (255) is written as soon as the run fills it; the value
        // stays, so the next equal pixel starts a new count.
        run += same;
        while (run >= maxRun_) {
            *o++ = char(255);
            run -= maxRun_;
        }
        i = j;
    }
    prev_ = prev;
    run_ = run;
    out_.resize(start + (o - begin));
}

void RunLengthWriter::finish() {
    if (run_ > 0) out_.append(char(base_ + run_ - 1));
    run_ = 0;
}

namespace {

QByteArray fileHeader(char kind, int width, int height) {
    QByteArray h("QUOX3zzzz");
    h.append(kind);
    h.append(char(1));
    h.append(numToBin(width));
    h.append(numToBin(height));
    return h;
}

// The level image or the thumbnail: fill the palette, then write every pixel as the
// index of its nearest palette colour.
bool writePicture(Editor& e, Editor::ClutSource source, QIODevice& file) {
    const bool level = source == Editor::ClutSource::LevelImage;
    e.clut.clearClut();
    e.fillClut(source);

    // Looked up anew after every yield: the window may have replaced the surface.
    auto surface = [&]() -> const PictureSurface& { return level ? e.Level[0] : e.thumbNail; };
    const int w = surface().ScaleWidth(), h = surface().ScaleHeight();

    QByteArray bytes = fileHeader(1, w, h);
    bytes.append(e.clut.genPal());
    bytes.reserve(bytes.size() + qsizetype(w) * h + 1);
    RunLengthWriter stream(bytes, std::max(e.clut.count, 1));
    std::vector<uint8_t> row(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        const PictureSurface& s = surface();
        // The header already holds the size: a level resized meanwhile cannot be written.
        if (s.ScaleWidth() != w || s.ScaleHeight() != h) return false;
        e.clut.mapRow(s, y, row.data());
        stream.writeRow(row.data(), w);
        if (level) e.displayPercent(10000.0f / float(h));
        e.yield();
    }
    stream.finish();
    return writeAll(file, bytes.constData(), bytes.size());
}

bool writeLevelImage(Editor& e, QIODevice& file) {
    return writePicture(e, Editor::ClutSource::LevelImage, file);
}

bool writeThumbnail(Editor& e, QIODevice& file) {
    return writePicture(e, Editor::ClutSource::Thumbnail, file);
}

// Map codes of one row of pixels; neighbours mostly share a material.
void materialRow(const uint32_t* pixels, int n, uint8_t* out) {
    if (n <= 0) return;
    uint32_t last = ~pixels[0];
    uint8_t code = 0;
    for (int x = 0; x < n; ++x) {
        if (pixels[x] != last) {
            last = pixels[x];
            code = materialCode(fromPixel(last));
        }
        out[x] = code;
    }
}

bool writeMaterialMap(Editor& e, QIODevice& file) {
    constexpr int kMapBase = 133; // map codes go up to 132
    e.clut.count = kMapBase;

    const int w = e.Level[1].ScaleWidth(), h = e.Level[1].ScaleHeight();
    QByteArray bytes = fileHeader(2, w, h);
    bytes.append(char(kMapBase - 1));
    bytes.reserve(bytes.size() + qsizetype(w) * h + 1);
    RunLengthWriter stream(bytes, kMapBase);
    std::vector<uint8_t> row(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        const QImage& map = e.Level[1].Image();
        if (map.width() != w || map.height() != h) return false;
        materialRow(reinterpret_cast<const uint32_t*>(map.constScanLine(y)), w, row.data());
        stream.writeRow(row.data(), w);
        e.displayPercent(10000.0f / float(h));
        e.yield();
    }
    stream.finish();
    return writeAll(file, bytes.constData(), bytes.size());
}

using GameFileWriter = bool (*)(Editor&, QIODevice&);

// Writes the files as one set: all of them replace their older versions, or none does.
// Every target is opened before the long writing starts, so a missing folder fails at once.
bool writeFileSet(Editor& e, std::initializer_list<std::pair<QString, GameFileWriter>> files) {
    FileSet set;
    std::vector<QFile*> opened;
    for (const auto& [path, writer] : files) {
        QFile* file = set.add(path);
        if (!file) return false;
        opened.push_back(file);
    }
    size_t i = 0;
    for (const auto& [path, writer] : files)
        if (!writer(e, *opened[i++])) return false;
    return set.commit();
}

} // namespace

QString Editor::gameLevelFolder() const {
    return gameFolder + "gameData/Gfx/";
}

QString Editor::gameFilePath(GameFile kind, const QString& n) const {
    switch (kind) {
    case GameFile::Thumbnail:
        return gameLevelFolder() + "level" + n + "t.quox";
    case GameFile::LevelImage:
        return gameLevelFolder() + "level" + n + ".quox";
    case GameFile::MaterialMap:
        break;
    }
    return gameLevelFolder() + "levelm" + n + ".quox";
}

bool Editor::saveLevelQUOX(const QString& n) {
    return writeFileSet(*this, {{gameFilePath(GameFile::LevelImage, n), writeLevelImage}});
}

bool Editor::saveLevelThumb(const QString& n) {
    return writeFileSet(*this, {{gameFilePath(GameFile::Thumbnail, n), writeThumbnail}});
}

bool Editor::saveAMapQUOX(const QString& n) {
    return writeFileSet(*this, {{gameFilePath(GameFile::MaterialMap, n), writeMaterialMap}});
}

bool Editor::saveGameLevel(const QString& n) {
    return writeFileSet(*this, {{gameFilePath(GameFile::Thumbnail, n), writeThumbnail},
                                {gameFilePath(GameFile::LevelImage, n), writeLevelImage},
                                {gameFilePath(GameFile::MaterialMap, n), writeMaterialMap}});
}

} // namespace vortan
