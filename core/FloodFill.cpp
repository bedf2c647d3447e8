#include "core/Picture.h"
#include "core/PixelRows.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortan {

namespace {

// --- Flood fill scanning ----------------------------------------------------------
// Open regions are filled a row at a time, so finding where a long run of the region
// colour ends, or where the next one starts, looks at eight pixels per step. In noise
// and mazes runs are a few pixels long, and a vector step costs more than the pixel by
// pixel look it would save: those scans start one pixel at a time and turn to vectors
// only once a run has gone on for eight pixels.

constexpr int64_t kLongRun = 8;

// First index in [from, to) whose pixel is v (same) or is not v; `to` when there is none.
template <bool same> inline int64_t firstWhere(const uint32_t* row, int64_t from, int64_t to, uint32_t v) {
    int64_t i = from;
#if defined(__SSE2__)
    const __m128i vv = _mm_set1_epi32(int(v));
    for (; i + 8 <= to; i += 8) {
        const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)), vv);
        const __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i + 4)), vv);
        const unsigned equal = unsigned(_mm_movemask_ps(_mm_castsi128_ps(a))) |
                               (unsigned(_mm_movemask_ps(_mm_castsi128_ps(b))) << 4);
        const unsigned hits = same ? equal : ~equal & 0xFF;
        if (hits != 0) return i + __builtin_ctz(hits);
    }
#endif
    for (; i < to; ++i)
        if ((row[i] == v) == same) return i;
    return to;
}
constexpr auto firstSame = firstWhere<true>;
constexpr auto firstOther = firstWhere<false>;

// Last index in [from, to) whose pixel is not v, searching leftwards from to - 1;
// from - 1 when there is none. Used to grow a run to the left.
inline int64_t lastOther(const uint32_t* row, int64_t from, int64_t to, uint32_t v) {
    int64_t i = to;
#if defined(__SSE2__)
    const __m128i vv = _mm_set1_epi32(int(v));
    for (; i - 8 >= from; i -= 8) {
        const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - 8)), vv);
        const __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - 4)), vv);
        const unsigned m = unsigned(_mm_movemask_ps(_mm_castsi128_ps(a))) |
                           (unsigned(_mm_movemask_ps(_mm_castsi128_ps(b))) << 4);
        if (m != 0xFF) return i - 8 + (31 - __builtin_clz(~m & 0xFF));
    }
#endif
    for (--i; i >= from; --i)
        if (row[i] != v) return i;
    return from - 1;
}

// Whether all (or none) of the eight pixels from i are v: a wide stretch looks ahead
// before it scans, since its runs and gaps are likely long.
template <bool all> inline bool eightAre(const uint32_t* row, int64_t i, uint32_t v) {
#if defined(__SSE2__)
    const __m128i vv = _mm_set1_epi32(int(v));
    const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)), vv);
    const __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i + 4)), vv);
    const int m = _mm_movemask_ps(_mm_castsi128_ps(all ? _mm_and_si128(a, b) : _mm_or_si128(a, b)));
    return all ? m == 15 : m == 0;
#else
    for (int k = 0; k < 8; ++k)
        if ((row[i + k] == v) != all) return false;
    return true;
#endif
}

// Whether any pixel of [from, to] is v, for a stretch of up to four pixels on the row;
// longer stretches, and those at the row's end, count as holding it.
inline bool mayHold(const uint32_t* row, int64_t from, int64_t to, int64_t width, uint32_t v) {
#if defined(__SSE2__)
    if (to - from >= 4 || from + 4 > width) return true;
    const __m128i equal = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + from)),
                                          _mm_set1_epi32(int(v)));
    return (unsigned(_mm_movemask_ps(_mm_castsi128_ps(equal))) & ((2u << (to - from)) - 1)) != 0;
#else
    (void)row, (void)from, (void)to, (void)width, (void)v;
    return true;
#endif
}

// A stretch of a row still to be looked at: columns [x1, x2] of row y, next to the same
// columns of row y - dy, which are all of the region.
struct Seed {
    int32_t x1, x2, y, dy;
};

// The fill's stretches still to look at, taken last in, first out. Pushing and taking
// are a store and a load through pointers the fill keeps in registers; the memory is
// kept between fills and grows rarely.
class SeedStack {
  public:
    SeedStack() : store_(kept()) {
        if (store_.empty()) store_.resize(1024);
        base_ = top_ = store_.data();
        limit_ = base_ + store_.size();
    }
    [[gnu::always_inline]] void push(Seed s) {
        if (top_ == limit_) grow();
        *top_++ = s;
    }
    [[gnu::always_inline]] bool pop(Seed& s) {
        if (top_ == base_) return false;
        s = *--top_;
        return true;
    }

  private:
    static std::vector<Seed>& kept() {
        static thread_local std::vector<Seed> seeds;
        return seeds;
    }
    [[gnu::noinline]] void grow() {
        const size_t used = size_t(top_ - base_);
        store_.resize(store_.size() * 2);
        base_ = store_.data();
        top_ = base_ + used;
        limit_ = base_ + store_.size();
    }

    std::vector<Seed>& store_;
    Seed *base_, *top_, *limit_;
};

// Span fill: each seed is a stretch of a row to look at, and filled pixels no longer
// match, so every pixel is filled once. The parent row is only looked at again where a
// run reaches beyond the stretch it grew from. A watched picture is told of each run
// before it is painted.
template <bool watched> void fillFrom(Picture& p, int x, int y, uint32_t target, uint32_t paint) {
    QImage& img = p.pixels();
    const int64_t width = img.width();
    const int height = img.height();
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();

    // Fills the run of the region's colour that starts at `from`, if that pixel is of it,
    // to the right; returns where the run ends.
    auto runRightFrom = [&](uint32_t* row, int rowY, int64_t from) {
        int64_t end = from;
        if constexpr (watched) {
            while (end < width && row[end] == target && end - from < kLongRun)
                ++end;
            if (end - from == kLongRun) end = firstOther(row, end, width, target);
            if (end > from) p.aboutToChange({int(from), rowY, int(end - from), 1});
            std::fill(row + from, row + end, paint);
        } else {
            while (end < width && row[end] == target) {
                row[end++] = paint;
                if (end - from == kLongRun) {
                    const int64_t rest = firstOther(row, end, width, target);
                    std::fill(row + end, row + rest, paint);
                    return rest;
                }
            }
        }
        return end;
    };
    // Fills the run leftwards from `to` (of the region's colour, filled afterwards with
    // the run to its right), `to` left out; returns where the run starts.
    auto runLeftOf = [&](uint32_t* row, int rowY, int64_t to) {
        int64_t start = to;
        if constexpr (watched) {
            while (start > 0 && row[start - 1] == target && to - start < kLongRun)
                --start;
            if (to - start == kLongRun) start = lastOther(row, 0, start, target) + 1;
            if (start < to) p.aboutToChange({int(start), rowY, int(to - start), 1});
            std::fill(row + start, row + to, paint);
        } else {
            while (start > 0 && row[start - 1] == target) {
                row[--start] = paint;
                if (to - start == kLongRun) {
                    const int64_t first = lastOther(row, 0, start, target) + 1;
                    std::fill(row + first, row + start, paint);
                    return first;
                }
            }
        }
        return start;
    };

    // In noise nearly half the stretches pushed hold no pixel of the region; a short one
    // is looked at before it is pushed, which costs less than taking it later.
    SeedStack stack;
    auto push = [&](int64_t from, int64_t to, int32_t rowY, int32_t dir) {
        if (rowY < 0 || rowY >= height || !mayHold(rowOf(bits, bpl, rowY), from, to, width, target)) return;
        stack.push({int32_t(from), int32_t(to), rowY, dir});
    };
    stack.push({x, x, y, 1});
    push(x, x, y - 1, -1);
    Seed seed;
    while (stack.pop(seed)) {
        uint32_t* row = rowOf(bits, bpl, seed.y);
        if (seed.x1 == seed.x2) {
            // A passage one pixel wide along a column: follow it without the stack for
            // as long as each row's pixel is a run of its own. Rows far apart in memory:
            // the one a few steps ahead is asked for early.
            const int64_t xc = seed.x1;
            const bool wallLeft = xc == 0, wallRight = xc + 1 == width;
            const qsizetype step = bpl * seed.dy;
            int32_t rowsLeft = seed.dy > 0 ? height - seed.y : seed.y + 1;
            while (row[xc] == target && (wallLeft || row[xc - 1] != target) &&
                   (wallRight || row[xc + 1] != target)) {
                if (rowsLeft > 8) __builtin_prefetch(reinterpret_cast<const uchar*>(row + xc) + 8 * step);
                if constexpr (watched) p.aboutToChange({int(xc), seed.y, 1, 1});
                row[xc] = paint;
                if (--rowsLeft == 0) break;
                row = reinterpret_cast<uint32_t*>(reinterpret_cast<uchar*>(row) + step);
                seed.y += seed.dy;
            }
            if (rowsLeft == 0) continue;
        }
        const int32_t ny = seed.y + seed.dy, py = seed.y - seed.dy;
        // The row the runs found here lead to is needed next: asked for before the scan.
        if (ny >= 0 && ny < height) __builtin_prefetch(rowOf(bits, bpl, ny) + seed.x1);
        const int64_t x2 = seed.x2;
        int64_t x1 = seed.x1, from = x1;
        if (row[x1] == target) {
            // The first run reaches left beyond the stretch: that part may also spill
            // back into the row the stretch came from.
            from = runLeftOf(row, seed.y, x1);
            if (from < x1) push(from, x1 - 1, py, -seed.dy);
        }
        const bool wide = x2 - x1 >= kLongRun;
        while (x1 <= x2) {
            // row[x1] is the region's colour, or x1 is the first pixel of the stretch.
            if (wide && x1 + 8 <= width && eightAre<true>(row, x1, target)) {
                const int64_t end = firstOther(row, x1 + 8, width, target);
                if constexpr (watched) p.aboutToChange({int(x1), seed.y, int(end - x1), 1});
                std::fill(row + x1, row + end, paint);
                x1 = end;
            } else {
                x1 = runRightFrom(row, seed.y, x1);
            }
            if (x1 > from) push(from, x1 - 1, ny, seed.dy);
            if (x1 - 1 > x2) push(x2 + 1, x1 - 1, py, -seed.dy);
            ++x1; // row[x1 - 1] is not the colour, or is past the edge
            if (wide && x1 + 8 <= x2 && eightAre<false>(row, x1, target))
                x1 = firstSame(row, x1 + 8, x2, target);
            else
                while (x1 < x2 && row[x1] != target)
                    ++x1;
            from = x1;
        }
    }
}

} // namespace

bool floodFill(Picture& p, int x, int y, Colour region, Colour fill) {
    const QImage& img = p.image();
    // The colour of a spot off the picture matches no pixel.
    if (region > 0xFFFFFFu || (fill & 0xFFFFFFu) == region) return false;
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return false;
    const uint32_t target = toPixel(region), paint = toPixel(fill);
    if (reinterpret_cast<const uint32_t*>(img.constScanLine(y))[x] != target) return false;
    if (p.watched())
        fillFrom<true>(p, x, y, target, paint);
    else
        fillFrom<false>(p, x, y, target, paint);
    return true;
}

} // namespace vortan
