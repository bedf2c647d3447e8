#include "core/TileCopy.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <zstd.h>

namespace vortan {

namespace {

constexpr int kTilePixels = TileCopy::kSide * TileCopy::kSide;

inline const uint32_t* rowAt(const QImage& image, int y, int x) {
    return reinterpret_cast<const uint32_t*>(image.constScanLine(y)) + x;
}

// zstd rather than LZ4: on a structured 8000 x 8000 level LZ4 packed a fill's tiles 1.5x
// faster but 2.4x larger (16 MB a fill against 6.6 MB), so that only 16 fills, not 20,
// stayed within the history's limit. Level 1; level -3 was 1.3x faster, 1.5x larger.
size_t packBound() {
    return ZSTD_compressBound(kTilePixels * 4);
}
size_t packPixels(const uint32_t* pixels, size_t bytes, char* to, size_t room) {
    struct Free {
        void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
    };
    static thread_local std::unique_ptr<ZSTD_CCtx, Free> context(ZSTD_createCCtx());
    const size_t n = ZSTD_compressCCtx(context.get(), to, room, pixels, bytes, 1);
    return ZSTD_isError(n) ? 0 : n;
}
bool unpackInto(const QByteArray& packed, uint32_t* to, size_t bytes) {
    struct Free {
        void operator()(ZSTD_DCtx* c) const { ZSTD_freeDCtx(c); }
    };
    static thread_local std::unique_ptr<ZSTD_DCtx, Free> context(ZSTD_createDCtx());
    return ZSTD_decompressDCtx(context.get(), to, bytes, packed.constData(), size_t(packed.size())) == bytes;
}

// The pixels of the tile being packed or unpacked, rows side by side.
uint32_t* scratch() {
    static thread_local uint32_t pixels[kTilePixels];
    return pixels;
}

} // namespace

void TileCopy::prepare() {
    static thread_local bool ready = false;
    if (ready) return;
    ready = true;
    QImage tile(kSide, kSide, QImage::Format_RGB32);
    for (int i = 0; i < kTilePixels; ++i)
        reinterpret_cast<uint32_t*>(tile.bits())[i] = uint32_t(i) * 2654435761u;
    of(tile, tile.rect()).unpack(scratch(), kSide);
}

TileCopy TileCopy::of(const QImage& image, const QRect& area, bool packNow) {
    return of(image, area, *rowAt(image, area.y(), area.x()), 0, packNow);
}

TileCopy TileCopy::of(const QImage& image, const QRect& area, uint32_t colour, uint64_t rowsOfColour,
                      bool packNow) {
    TileCopy copy;
    copy.width_ = uint8_t(area.width());
    copy.height_ = uint8_t(area.height());
    copy.only_ = colour;
    const int w = area.width(), h = area.height();
    const auto known = [&](int r) { return (rowsOfColour >> r) & 1; };
    int r = 0;
    while (r < h && (known(r) || rowIs(rowAt(image, area.y() + r, area.x()), w, colour)))
        ++r;
    if (r == h) return copy;

    uint32_t* pixels = scratch();
    for (r = 0; r < h; ++r) {
        if (known(r))
            std::fill(pixels + r * w, pixels + (r + 1) * w, colour);
        else
            std::memcpy(pixels + r * w, rowAt(image, area.y() + r, area.x()), size_t(w) * 4);
    }
    const size_t bytes = size_t(w) * size_t(h) * 4;
    copy.packed_ = QByteArray(reinterpret_cast<const char*>(pixels), qsizetype(bytes));
    copy.raw_ = copy.unpacked_ = true;
    if (packNow) copy.pack();
    return copy;
}

void TileCopy::pack() {
    if (!unpacked_) return;
    unpacked_ = false;
    const size_t bytes = size_t(packed_.size());
    static thread_local std::unique_ptr<char[]> packed(new char[packBound()]);
    const size_t n = packPixels(reinterpret_cast<const uint32_t*>(packed_.constData()), bytes, packed.get(),
                                    packBound());
    if (n == 0 || n >= bytes) return; // kept as they are
    raw_ = false;
    packed_ = QByteArray(packed.get(), qsizetype(n));
}

void TileCopy::unpack(uint32_t* to, int stride) const {
    const int w = width_, h = height_;
    if (isOneColour()) {
        for (int r = 0; r < h; ++r)
            std::fill(to + r * stride, to + r * stride + w, only_);
        return;
    }
    const size_t bytes = size_t(w) * size_t(h) * 4;
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(packed_.constData());
    if (!raw_) {
        // Packed by this copy itself: unpacking cannot fail but for want of memory,
        // and then the tile shows black rather than what the scratch held.
        if (!unpackInto(packed_, scratch(), bytes)) std::fill(scratch(), scratch() + w * h, 0xFF000000u);
        pixels = scratch();
    }
    if (stride == w && pixels != to) {
        std::memcpy(to, pixels, bytes);
        return;
    }
    for (int r = 0; r < h; ++r)
        std::memmove(to + r * stride, pixels + r * w, size_t(w) * 4);
}

void TileCopy::putInto(QImage& image, QPoint at) const {
    const QRect on = QRect(at, size()) & image.rect();
    if (on.isEmpty()) return;
    const int skipX = on.x() - at.x();
    uchar* bits = image.bits();
    const qsizetype bpl = image.bytesPerLine();
    auto rowOf = [&](int y) { return reinterpret_cast<uint32_t*>(bits + bpl * y) + on.x(); };
    if (isOneColour()) {
        for (int y = on.top(); y <= on.bottom(); ++y)
            std::fill(rowOf(y), rowOf(y) + on.width(), only_);
        return;
    }
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(packed_.constData());
    if (!raw_) {
        unpack(scratch(), width_);
        pixels = scratch();
    }
    for (int y = on.top(); y <= on.bottom(); ++y)
        std::memcpy(rowOf(y), pixels + (y - at.y()) * width_ + skipX, size_t(on.width()) * 4);
}

bool TileCopy::sameAs(const QImage& image, QPoint at) const {
    const int w = width_, h = height_;
    if (isOneColour()) {
        for (int r = 0; r < h; ++r)
            if (!rowIs(rowAt(image, at.y() + r, at.x()), w, only_)) return false;
        return true;
    }
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(packed_.constData());
    if (!raw_) {
        unpack(scratch(), w);
        pixels = scratch();
    }
    for (int r = 0; r < h; ++r)
        if (std::memcmp(rowAt(image, at.y() + r, at.x()), pixels + r * w, size_t(w) * 4) != 0) return false;
    return true;
}

} // namespace vortan
