// Reading and writing BMP pictures.
//
// The reader is our own: every size, offset and run in a file is checked against the
// file before it is used, a picture is never allocated before its announced size is
// known to be acceptable, and a file that ends too early is refused instead of giving
// a picture with rows that were never read.
#include "files/BmpFormat.h"

#include "core/Picture.h"
#include "files/FileSet.h"
#include "files/PictureFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include <sys/mman.h>

namespace vortan {

using namespace format;

namespace {

enum BmpCompression : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6 };

// One colour channel of a 16- or 32-bit pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    uint32_t operator()(uint32_t pixel) const {
        if (max == 0) return 0;
        const uint64_t v = (pixel & mask) >> shift;
        if (max == 255) return uint32_t(v);
        return uint32_t((v * 255 + max / 2) / max);
    }
};

struct BmpLayout {
    int64_t width = 0;
    int64_t height = 0; // rows, always positive
    bool topDown = false;
    int bitsPerPixel = 0;
    uint32_t compression = BiRgb;
    uint32_t dataOffset = 0;
    std::array<uint32_t, 256> palette{};
    Channel red, green, blue, alpha;

    // A 16- or 32-bit pixel. The editor has no transparency: where the file gives an
    // alpha channel the pixel is laid over black, so a clear pixel is empty as in a GIF.
    uint32_t direct(uint32_t pixel) const {
        uint32_t r = red(pixel), g = green(pixel), b = blue(pixel);
        if (alpha.mask != 0) {
            const uint32_t a = alpha(pixel);
            r = (r * a + 127) / 255;
            g = (g * a + 127) / 255;
            b = (b * a + 127) / 255;
        }
        return 0xFF000000u | r << 16 | g << 8 | b;
    }
};

bool readableCoding(uint32_t compression, int bpp, bool os2) {
    switch (compression) {
    case BiRgb:
        return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    case BiRle8:
        return bpp == 8;
    case BiRle4:
        return bpp == 4;
    case BiBitfields:
    case BiAlphaBitfields:
        return !os2 && (bpp == 16 || bpp == 32);
    default:
        return false;
    }
}

// Everything a BMP holds before its pixels: file header, the largest info header,
// the masks and a full palette.
constexpr qint64 kBmpHeadBytes = 14 + 124 + 16 + 256 * 4;

// A large picture's memory is first touched here. In pages of 4 KB a layer of 8000 x 8000
// takes 65536 faults, which cost more than reading the file: the system is asked to back
// it with its large pages where it can. Only whole large pages inside the picture are
// named; where the system has none, nothing changes.
void askForLargePages(QImage& picture) {
#if defined(MADV_HUGEPAGE)
    constexpr uintptr_t kLargePage = 2 * 1024 * 1024;
    const auto start = reinterpret_cast<uintptr_t>(picture.bits());
    const uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t to = (start + uintptr_t(picture.sizeInBytes())) & ~(kLargePage - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)picture;
#endif
}

// Three bytes a pixel, blue first, into RGB32; four pixels at a time as three words.
void unpack24(const uint8_t* in, uint32_t* out, int w) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= w; x += 4, in += 12) {
            uint32_t words[3];
            std::memcpy(words, in, 12);
            out[x] = 0xFF000000u | (words[0] & 0xFFFFFF);
            out[x + 1] = 0xFF000000u | words[0] >> 24 | (words[1] & 0xFFFF) << 8;
            out[x + 2] = 0xFF000000u | words[1] >> 16 | (words[2] & 0xFF) << 16;
            out[x + 3] = 0xFF000000u | words[2] >> 8;
        }
    }
    for (; x < w; ++x, in += 3)
        out[x] = 0xFF000000u | uint32_t(in[2]) << 16 | in[1] << 8 | in[0];
}

std::optional<QImage> decodeRows(QIODevice& file, const BmpLayout& bmp, qint64 fileSize, QString& why) {
    const int64_t rowBits = bmp.width * bmp.bitsPerPixel;
    const int64_t stride = (rowBits + 31) / 32 * 4;
    const int64_t rowBytes = (rowBits + 7) / 8;
    // The last row's padding is not needed to draw it, so a writer that leaves it out is forgiven.
    if (bmp.dataOffset + stride * (bmp.height - 1) + rowBytes > fileSize)
        return failure(why, truncatedText());

    // Every pixel is written below: the picture is not cleared first, which on a large
    // level would cost a pass over all of its memory.
    std::optional<QImage> picture = newPicture(bmp.width, bmp.height, why);
    if (!picture) return picture;
    askForLargePages(*picture);
    if (!file.seek(bmp.dataOffset)) return failure(why, unreadableText());

    // Rows are read many at a time, in pieces of a few hundred kilobytes: one read per
    // row would cost a call into the system for every row of a large level.
    const int64_t rowsPerPiece = std::clamp<int64_t>((256 * 1024) / stride, 1, bmp.height);
    std::vector<uint8_t> piece(static_cast<size_t>(rowsPerPiece * stride));
    const int w = int(bmp.width);
    uchar* bits = picture->bits();
    const qsizetype bpl = picture->bytesPerLine();
    for (int64_t first = 0; first < bmp.height; first += rowsPerPiece) {
        const int64_t rows = std::min(rowsPerPiece, bmp.height - first);
        const bool last = first + rows == bmp.height;
        if (!readExact(file, piece.data(), rows * stride - (last ? stride - rowBytes : 0)))
            return failure(why, unreadableText());
        for (int64_t r = 0; r < rows; ++r) {
            const int64_t i = first + r;
            auto* out = reinterpret_cast<uint32_t*>(bits + bpl * (bmp.topDown ? i : bmp.height - 1 - i));
            const uint8_t* in = piece.data() + r * stride;
            switch (bmp.bitsPerPixel) {
            case 1:
                for (int x = 0; x < w; ++x)
                    out[x] = bmp.palette[(in[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                for (int x = 0; x < w; ++x)
                    out[x] = bmp.palette[(x & 1) ? in[x >> 1] & 0x0F : in[x >> 1] >> 4];
                break;
            case 8:
                for (int x = 0; x < w; ++x)
                    out[x] = bmp.palette[in[x]];
                break;
            case 16:
                for (int x = 0; x < w; ++x)
                    out[x] = bmp.direct(le16(in + 2 * x));
                break;
            case 24:
                unpack24(in, out, w);
                break;
            case 32:
                for (int x = 0; x < w; ++x)
                    out[x] = bmp.direct(le32(in + 4 * x));
                break;
            }
        }
    }
    return picture;
}

// Hands out the bytes of one part of the file in order, read through a small buffer:
// a run-length stream may be as long as the file, and only the picture should cost memory.
class ChunkReader {
  public:
    ChunkReader(QIODevice& file, qint64 length)
        : file_(file), left_(length), buffer_(size_t(std::clamp<qint64>(length, 1, 64 * 1024))) {}

    // The next n bytes; false when the part ends first or the file cannot be read.
    bool take(uint8_t* dst, qint64 n) {
        while (n > 0) {
            if (at_ == end_ && !refill()) return false;
            const qint64 k = std::min(n, end_ - at_);
            std::memcpy(dst, buffer_.data() + at_, size_t(k));
            dst += k;
            at_ += k;
            n -= k;
        }
        return true;
    }

    bool failed() const { return failed_; }

  private:
    bool refill() {
        if (left_ == 0) return false;
        const qint64 want = std::min<qint64>(left_, qint64(buffer_.size()));
        if (file_.read(reinterpret_cast<char*>(buffer_.data()), want) != want) {
            failed_ = true;
            return false;
        }
        left_ -= want;
        at_ = 0;
        end_ = want;
        return true;
    }

    QIODevice& file_;
    qint64 left_;
    std::vector<uint8_t> buffer_;
    qint64 at_ = 0, end_ = 0;
    bool failed_ = false;
};

// Run-length coded pixels (4 or 8 bits). Pixels the runs skip stay black, the editor's
// empty colour. Every run and jump must stay inside the picture. A stream may stop
// without its end marker once it has reached the last pixel; with pixels still to come
// it is refused as cut short.
std::optional<QImage> decodeRle(QIODevice& file, const BmpLayout& bmp, qint64 fileSize, QString& why) {
    if (!file.seek(bmp.dataOffset)) return failure(why, unreadableText());
    auto image = blankPicture(bmp.width, bmp.height, kBlackPixel, why);
    if (!image) return image;

    const QString damaged = QStringLiteral("The picture's pixel runs are damaged.");
    ChunkReader in(file, fileSize - bmp.dataOffset);
    const bool rle8 = bmp.compression == BiRle8;
    const int64_t w = bmp.width, h = bmp.height;
    int64_t x = 0, row = 0;
    bool ended = false;
    std::array<uint8_t, 255> data;
    auto lineOf = [&](int64_t r) {
        return reinterpret_cast<uint32_t*>(image->scanLine(int(bmp.topDown ? r : h - 1 - r)));
    };
    while (!ended) {
        uint8_t code[2];
        if (row >= h) {
            // Past the last row only the end marker may follow, or nothing at all.
            if (in.take(code, 1) && (code[0] != 0 || (in.take(code + 1, 1) && code[1] != 1)))
                return failure(why, damaged);
            break;
        }
        if (!in.take(code, 2)) break;
        const int count = code[0], value = code[1];
        if (count > 0) {
            if (x + count > w) return failure(why, damaged);
            uint32_t* out = lineOf(row) + x;
            for (int k = 0; k < count; ++k)
                out[k] = bmp.palette[rle8 ? value : (k & 1) ? value & 0x0F : value >> 4];
            x += count;
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            ended = true;
        } else if (value == 2) {
            uint8_t step[2];
            if (!in.take(step, 2)) break;
            if (x + step[0] > w || row + step[1] >= h) return failure(why, damaged);
            x += step[0];
            row += step[1];
        } else {
            if (x + value > w) return failure(why, damaged);
            const int used = rle8 ? value : (value + 1) / 2;
            if (!in.take(data.data(), used)) break;
            uint32_t* out = lineOf(row) + x;
            for (int k = 0; k < value; ++k)
                out[k] = bmp.palette[rle8      ? data[size_t(k)]
                                     : (k & 1) ? data[size_t(k / 2)] & 0x0F
                                               : data[size_t(k / 2)] >> 4];
            x += value;
            // Absolute runs are padded to a whole word; a file ending in the padding lacks nothing.
            if (used & 1) in.take(data.data(), 1);
        }
    }
    if (in.failed()) return failure(why, unreadableText());
    if (!ended && row < h && !(row == h - 1 && x == w)) return failure(why, truncatedText());
    return image;
}

} // namespace

bool looksLikeBmp(const QByteArray& start) {
    return start.startsWith("BM");
}

std::optional<QImage> readBmp(QIODevice& file, QString& why) {
    const qint64 fileSize = file.size();
    const QByteArray headBytes = file.read(kBmpHeadBytes);
    const auto* h = reinterpret_cast<const uint8_t*>(headBytes.constData());
    const qint64 headSize = headBytes.size();
    if (headSize < 18) return failure(why, truncatedText());

    BmpLayout bmp;
    bmp.dataOffset = le32(h + 10);
    const uint32_t infoSize = le32(h + 14);
    uint32_t coloursUsed = 0;
    int paletteEntrySize = 4;
    bool os2 = false;
    if (infoSize == 12) { // OS/2 and old Windows core header
        if (headSize < 26) return failure(why, truncatedText());
        bmp.width = le16(h + 18);
        bmp.height = le16(h + 20);
        bmp.bitsPerPixel = le16(h + 24);
        paletteEntrySize = 3;
    } else if (infoSize >= 16 && infoSize <= 124) {
        if (headSize < 14 + std::min<qint64>(infoSize, 40)) return failure(why, truncatedText());
        bmp.width = int32_t(le32(h + 18));
        const int64_t height = int32_t(le32(h + 22));
        bmp.topDown = height < 0;
        bmp.height = height < 0 ? -height : height;
        bmp.bitsPerPixel = le16(h + 28);
        if (infoSize >= 20) bmp.compression = le32(h + 30);
        if (infoSize >= 36) coloursUsed = le32(h + 46);
        // OS/2 2.x headers (64 bytes, or cut to any length below 40) use other numbers
        // above RLE4 for codings we do not read.
        os2 = infoSize == 64 || infoSize < 40;
    } else {
        return failure(why, QStringLiteral("Unknown kind of BMP picture."));
    }

    if (bmp.width <= 0 || bmp.height <= 0) return failure(why, noPixelsText());
    if (bmp.width * bmp.height > kMaxPicturePixels) return failure(why, tooLargeText());

    const int bpp = bmp.bitsPerPixel;
    const uint32_t c = bmp.compression;
    if (!readableCoding(c, bpp, os2))
        return failure(why, QStringLiteral("The BMP picture uses a coding that cannot be read."));

    qint64 headerEnd = 14 + qint64(infoSize);
    if (c == BiBitfields || c == BiAlphaBitfields) {
        // The masks follow the basic 40-byte header, inside the larger headers or after it.
        if (infoSize == 40) headerEnd += c == BiBitfields ? 12 : 16;
        if (headSize < 66) return failure(why, truncatedText());
        bmp.red = Channel(le32(h + 54));
        bmp.green = Channel(le32(h + 58));
        bmp.blue = Channel(le32(h + 62));
    } else if (bpp == 16) {
        bmp.red = Channel(0x7C00);
        bmp.green = Channel(0x03E0);
        bmp.blue = Channel(0x001F);
    } else if (bpp == 32) {
        bmp.red = Channel(0xFF0000);
        bmp.green = Channel(0x00FF00);
        bmp.blue = Channel(0x0000FF);
    }
    if (headerEnd > headSize) return failure(why, truncatedText());
    // An alpha mask follows the colour masks where the header (or the four masks
    // after a basic one) leaves room for it; other files have no alpha.
    if ((c == BiBitfields || c == BiAlphaBitfields) && headerEnd >= 70) bmp.alpha = Channel(le32(h + 66));
    if (bmp.dataOffset < headerEnd)
        return failure(why, QStringLiteral("The BMP picture's header is damaged."));
    if (bmp.dataOffset >= fileSize) return failure(why, truncatedText());

    // Indices beyond the colours the file gives are drawn black.
    bmp.palette.fill(kBlackPixel);
    if (bpp <= 8) {
        const uint32_t most = 1u << bpp;
        const uint32_t announced = coloursUsed == 0 || coloursUsed > most ? most : coloursUsed;
        // Many writers give fewer colours than the depth allows and say so only through
        // where the pixels start.
        const qint64 fits = (bmp.dataOffset - headerEnd) / paletteEntrySize;
        const qint64 entries = std::min<qint64>(announced, fits);
        if (entries == 0) return failure(why, QStringLiteral("The BMP picture has no colours."));
        if (headerEnd + entries * paletteEntrySize > headSize) return failure(why, truncatedText());
        for (qint64 e = 0; e < entries; ++e) {
            const uint8_t* p = h + headerEnd + e * paletteEntrySize;
            bmp.palette[size_t(e)] = 0xFF000000u | uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
        }
    }

    if (c == BiRle8 || c == BiRle4) return decodeRle(file, bmp, fileSize, why);
    return decodeRows(file, bmp, fileSize, why);
}

bool writeBmp(const QImage& picture, QIODevice& file) {
    QImage image = picture;
    // A BMP of no pixels could not be read back.
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return false;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);

    const int w = image.width(), h = image.height();
    const qint64 stride = (qint64(w) * 3 + 3) & ~qint64(3);
    const qint64 dataSize = stride * h;
    const qint64 fileSize = 54 + dataSize;
    if (fileSize > 0xFFFFFFFFll) return false;

    // The file goes out in pieces of a few hundred kilobytes: a fresh buffer of the
    // whole level would cost more in page faults than the packing itself.
    const qint64 rowsPerPiece = std::max<qint64>(1, (256 * 1024) / stride);
    std::vector<uint8_t> piece(size_t(std::max<qint64>(54, rowsPerPiece * stride)));
    uint8_t* b = piece.data();
    std::memset(b, 0, 54);
    b[0] = 'B';
    b[1] = 'M';
    put32(b + 2, uint32_t(fileSize));
    put32(b + 10, 54);
    put32(b + 14, 40);
    put32(b + 18, uint32_t(w));
    put32(b + 22, uint32_t(h)); // positive: rows bottom-up
    put16(b + 26, 1);
    put16(b + 28, 24);
    put32(b + 34, uint32_t(dataSize));
    put32(b + 38, 3780); // 96 dots per inch
    put32(b + 42, 3780);
    if (!writeAll(file, reinterpret_cast<const char*>(b), 54)) return false;

    for (int first = h - 1; first >= 0; first -= int(rowsPerPiece)) {
        const int rows = int(std::min<qint64>(rowsPerPiece, first + 1));
        for (int r = 0; r < rows; ++r) {
            const auto* in = reinterpret_cast<const uint32_t*>(image.constScanLine(first - r));
            uint8_t* out = b + r * stride;
            int x = 0;
            if constexpr (std::endian::native == std::endian::little) {
                // Four pixels at a time as three words.
                for (; x + 4 <= w; x += 4, out += 12) {
                    const uint32_t p0 = in[x], p1 = in[x + 1], p2 = in[x + 2], p3 = in[x + 3];
                    const uint32_t words[3] = {(p0 & 0xFFFFFF) | p1 << 24, ((p1 >> 8) & 0xFFFF) | p2 << 16,
                                               ((p2 >> 16) & 0xFF) | p3 << 8};
                    std::memcpy(out, words, 12);
                }
            }
            for (; x < w; ++x) {
                const uint32_t p = in[x];
                *out++ = uint8_t(p);
                *out++ = uint8_t(p >> 8);
                *out++ = uint8_t(p >> 16);
            }
            for (qint64 pad = qint64(w) * 3; pad < stride; ++pad)
                *out++ = 0;
        }
        const qint64 n = rows * stride;
        if (!writeAll(file, reinterpret_cast<const char*>(b), n)) return false;
    }
    return true;
}

} // namespace vortan
