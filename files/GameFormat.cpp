#include "files/GameFormat.h"
#include "files/FileSet.h"

#include <algorithm>
#include <vector>

namespace vortan {

uint8_t mapCode(Colour c) {
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

RunWriter::RunWriter(QByteArray& out, int base) : out_(out), base_(base), maxRun_(256 - base) {
    Q_ASSERT(base >= 1 && base <= 255);
}

void RunWriter::writeRuns(const uint8_t* values, int n) {
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

void RunWriter::finish() {
    if (run_ > 0) out_.append(char(base_ + run_ - 1));
    run_ = 0;
}

namespace {

QByteArray fileHeader(char kind, int width, int height) {
    QByteArray h("QUOX3zzzz");
    h.append(kind);
    h.append(char(1));
    // Only the low 16 bits of a size are stored.
    for (int n : {width, height}) {
        h.append(char(n & 255));
        h.append(char((n / 256) & 255));
    }
    return h;
}

// A picture's file: fill the palette, then write every pixel as the index of its
// nearest palette colour. `picture` is looked up anew after every yield.
bool writePicture(QIODevice& file, const std::function<const Picture&()>& picture, int limit,
                  const LongWork& work, const std::function<void(int)>& tooManyColours) {
    ColourTable table;
    for (int y = 0;; ++y) {
        const Picture& p = picture();
        if (y >= p.height()) break;
        const bool full = table.addRow(p, y, limit);
        const float rowStep = 10000.0f / float(p.height());
        work.rowDone(rowStep);
        if (full) {
            // The rows left unscanned count as done, so that the progress still ends at 100%.
            if (work.advance) work.advance(rowStep * float(p.height() - 1 - y));
            break;
        }
    }
    if (table.count() >= limit && tooManyColours) tooManyColours(table.count());

    const int w = picture().width(), h = picture().height();
    QByteArray bytes = fileHeader(1, w, h);
    bytes.append(table.paletteBlock());
    bytes.reserve(bytes.size() + qsizetype(w) * h + 1);
    RunWriter stream(bytes, std::max(table.count(), 1));
    std::vector<uint8_t> row(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        const Picture& p = picture();
        if (p.width() != w || p.height() != h) return false;
        table.mapRow(p, y, row.data());
        stream.writeRuns(row.data(), w);
        work.rowDone(10000.0f / float(h));
    }
    stream.finish();
    return writeAll(file, bytes.constData(), bytes.size());
}

// Map codes of one row of pixels; neighbours mostly share a material.
void materialRow(const uint32_t* pixels, int n, uint8_t* out) {
    if (n <= 0) return;
    uint32_t last = ~pixels[0];
    uint8_t code = 0;
    for (int x = 0; x < n; ++x) {
        if (pixels[x] != last) {
            last = pixels[x];
            code = mapCode(fromPixel(last));
        }
        out[x] = code;
    }
}

} // namespace

std::optional<QImage> decodeGameFile(const QByteArray& file, QString* error) {
    auto broken = [&](const QString& why) -> std::optional<QImage> {
        if (error) *error = why;
        return std::nullopt;
    };
    const auto* b = reinterpret_cast<const uint8_t*>(file.constData());
    const qsizetype n = file.size();
    if (n < 16) return broken(QString("The file ends in its header, after %1 of 16 bytes.").arg(n));
    if (!file.startsWith("QUOX3zzzz")) return broken("The file does not start with QUOX3zzzz.");
    const int kind = b[9], width = b[11] | b[12] << 8, height = b[13] | b[14] << 8, base = b[15] + 1;
    if ((kind != 1 && kind != 2) || b[10] != 1)
        return broken(QString("Byte 9 or 10 names no kind of file (%1, %2).").arg(kind).arg(b[10]));
    if (width == 0 || height == 0)
        return broken(QString("The picture is %1 x %2 pixels.").arg(width).arg(height));
    if (kind == 2 && base != 133) return broken(QString("A map's byte 15 is %1, not 132.").arg(base - 1));
    std::array<uint32_t, 256> colours{};
    std::array<bool, 256> known{};
    qsizetype at = 16;
    if (kind == 1) {
        if (16 + 3 * base > n)
            return broken(QString("The palette of %1 colours runs past the end of the file at byte %2.")
                              .arg(base)
                              .arg(n));
        for (int i = 0; i < base; ++i, at += 3) {
            colours[size_t(i)] = toPixel(rgb(b[at], b[at + 1], b[at + 2]));
            known[size_t(i)] = true;
        }
    } else {
        for (const Colour c : {kBlack, kWater, kBehindWall, kWall, kPlatformFSA, kPlatformFS, kExplosive}) {
            colours[mapCode(c)] = toPixel(c);
            known[mapCode(c)] = true;
        }
    }
    // The header is only believed as far as the bytes after it reach: a literal is one
    // pixel and a repeat byte at most 256 - base.
    const qint64 pixels = qint64(width) * height;
    const qint64 reachable = (n - at) * std::max(1, 256 - base);
    if (pixels > reachable)
        return broken(QString("The file ends too early: the rest of it holds at most %1 pixels, not the "
                              "%2 x %3 its header names.")
                          .arg(reachable)
                          .arg(width)
                          .arg(height));
    if (pixels > kMaxPicturePixels)
        return broken(
            QString("The picture of %1 x %2 pixels is larger than the editor reads.").arg(width).arg(height));
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return broken(QString("Not enough memory for a picture of %1 x %2 pixels.").arg(width).arg(height));
    auto* out = reinterpret_cast<uint32_t*>(image.bits()); // one piece: width * 4 is a whole line
    qint64 done = 0;
    int last = -1;
    for (; at < n; ++at) {
        const int v = b[at];
        if (v < base) {
            if (done == pixels) return broken(QString("Pixels go on past the last one at byte %1.").arg(at));
            if (!known[size_t(v)])
                return broken(QString("Byte %1 is the code %2, which is no material.").arg(at).arg(v));
            out[done++] = colours[size_t(v)];
            last = v;
            continue;
        }
        if (last < 0) return broken(QString("Byte %1 repeats a pixel before there is one.").arg(at));
        const qint64 repeat = v - base + 1;
        if (done + repeat > pixels)
            return broken(QString("The repeat at byte %1 runs past the last pixel.").arg(at));
        std::fill(out + done, out + done + repeat, colours[size_t(last)]);
        done += repeat;
    }
    if (done < pixels) return broken(QString("The file ends after %1 of %2 pixels.").arg(done).arg(pixels));
    return image;
}

bool writeLevelImage(QIODevice& file, const LevelDocument& level, const LongWork& work,
                     const std::function<void(int)>& tooManyColours) {
    return writePicture(
        file, [&]() -> const Picture& { return level.colourLayer(); }, 192, work, tooManyColours);
}

bool writeThumbnail(QIODevice& file, const Picture& thumbnail, const LongWork& work) {
    const LongWork withoutProgress{work.yield, nullptr};
    return writePicture(
        file, [&]() -> const Picture& { return thumbnail; }, 128, withoutProgress, nullptr);
}

bool writeMaterialMap(QIODevice& file, const LevelDocument& level, const LongWork& work) {
    constexpr int kMapBase = 133; // map codes go up to 132
    const int w = level.materialMap().width(), h = level.materialMap().height();
    QByteArray bytes = fileHeader(2, w, h);
    bytes.append(char(kMapBase - 1));
    bytes.reserve(bytes.size() + qsizetype(w) * h + 1);
    RunWriter stream(bytes, kMapBase);
    std::vector<uint8_t> row(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        const QImage& map = level.materialMap().image();
        if (map.width() != w || map.height() != h) return false;
        materialRow(reinterpret_cast<const uint32_t*>(map.constScanLine(y)), w, row.data());
        stream.writeRuns(row.data(), w);
        work.rowDone(10000.0f / float(h));
    }
    stream.finish();
    return writeAll(file, bytes.constData(), bytes.size());
}

} // namespace vortan
