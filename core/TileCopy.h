#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortan {

// Whether the n pixels from `pixels` on are all `colour`. A tile's row is read so for
// every row a fill paints: sixteen pixels at a time in four lanes, no early exit, and
// unrolled for a whole tile's row.
template <int fixedWidth = 0> inline bool allPixelsAre(const uint32_t* pixels, int n, uint32_t colour) {
    if (fixedWidth) n = fixedWidth;
    int i = 0;
    uint32_t differ = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(int(colour));
    __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
    for (; i + 16 <= n; i += 16) {
        const auto* p = reinterpret_cast<const __m128i*>(pixels + i);
        a = _mm_or_si128(a, _mm_xor_si128(_mm_loadu_si128(p), v));
        b = _mm_or_si128(b, _mm_xor_si128(_mm_loadu_si128(p + 1), v));
        c = _mm_or_si128(c, _mm_xor_si128(_mm_loadu_si128(p + 2), v));
        d = _mm_or_si128(d, _mm_xor_si128(_mm_loadu_si128(p + 3), v));
    }
    const __m128i all = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
    differ = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_setzero_si128()))) ^ 0xFFFFu;
#endif
    for (; i < n; ++i)
        differ |= pixels[i] ^ colour;
    return differ == 0;
}

// A copy of one tile of a layer as it was, for the history and for what clear() brings
// back: a tile of one colour keeps just that colour, any other keeps its pixels packed.
// Copies share their packed pixels, so copying one costs nothing.
class TileCopy {
  public:
    // Layers are copied in squares of this side, counted from the top left.
    static constexpr int kSide = 64;

    TileCopy() = default;
    // Readies the packing on this thread ahead of the first tile, which would otherwise
    // wait for it: a level's first press.
    static void prepare();
    // The pixels of `area` (at most kSide square, on the image), which is Format_RGB32.
    static TileCopy of(const QImage& image, const QRect& area, bool packNow = true);
    // The same, the rows of the area marked in rowsOfColour (bit 0 the top row) taken to be
    // all `colour` whatever the image shows there now. Unless `packNow`, pixels of more than
    // one colour are kept as they are until pack().
    static TileCopy of(const QImage& image, const QRect& area, uint32_t colour, uint64_t rowsOfColour,
                       bool packNow = true);
    // Whether the n pixels of a tile's row from `pixels` on are all `colour`.
    static bool rowIs(const uint32_t* pixels, int n, uint32_t colour) {
        return n == kSide ? allPixelsAre<kSide>(pixels, n, colour) : allPixelsAre(pixels, n, colour);
    }

    bool isNull() const { return width_ == 0; }
    QSize size() const { return {width_, height_}; }
    // The packed pixels' bytes; none for a tile of one colour.
    qint64 packedBytes() const { return packed_.size(); }
    // Whether the pixels wait for pack().
    bool waitsToBePacked() const { return unpacked_; }
    // Packs pixels kept as they were taken; any thread may pack a copy nobody else reads.
    void pack();

    // The pixels, `stride` apart from `to` on.
    void unpack(uint32_t* to, int stride) const;
    // Back into the image with its top left at `at`; what lies off the image is left out.
    void putInto(QImage& image, QPoint at) const;
    // Whether the image shows the copy at `at` (the copy lying wholly on it).
    bool sameAs(const QImage& image, QPoint at) const;

  private:
    bool isOneColour() const { return packed_.isEmpty(); }

    QByteArray packed_; // empty for one colour
    uint32_t only_ = 0; // that colour
    uint8_t width_ = 0, height_ = 0;
    bool raw_ = false;      // pixels kept as they are: packing did not make them smaller, or has not been tried
    bool unpacked_ = false; // not tried yet
};

} // namespace vortan
