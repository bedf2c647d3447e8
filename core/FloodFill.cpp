#include "core/Picture.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortan {

namespace {

// Pixels of a row; `bits` comes from a single bits() call so the image detaches once.
inline uint32_t* rowOf(uchar* bits, qsizetype bpl, int y) {
    return reinterpret_cast<uint32_t*>(bits + bpl * y);
}

// --- Flood fill scanning ----------------------------------------------------------
// Open regions are filled a row at a time, so finding where a run of the region colour
// ends, or where the next one starts, has to look at several pixels per step.

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

// A stretch of a row still to be looked at: columns [x1, x2] of row y, reached from
// row y - dy.
struct Seed {
    int32_t x1, x2, y, dy;
};

// The fill's list of stretches still to look at, taken last in, first out. The seed
// pushed last is nearly always the next one taken (a passage followed row after row),
// so it is held aside rather than stored and read straight back.
class SeedStack {
  public:
    explicit SeedStack(std::vector<Seed>& store) : store_(store) { store_.clear(); }
    [[gnu::always_inline]] void push(Seed s) {
        if (holding_) spill(held_);
        held_ = s;
        holding_ = true;
    }
    [[gnu::always_inline]] bool pop(Seed& s) {
        if (holding_) {
            s = held_;
            holding_ = false;
            return true;
        }
        if (store_.empty()) return false;
        s = store_.back();
        store_.pop_back();
        return true;
    }

  private:
    // Passed by value so the held seed never needs an address of its own.
    [[gnu::noinline]] void spill(Seed s) { store_.push_back(s); }

    std::vector<Seed>& store_;
    Seed held_{};
    bool holding_ = false;
};

} // namespace

bool floodFill(Picture& p, int x, int y, Colour region, Colour fill) {
    QImage& img = p.pixels();
    const int width = img.width(), height = img.height();
    // The colour of a spot off the picture matches no pixel.
    if (region > 0xFFFFFFu || (fill & 0xFFFFFFu) == region) return false;
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    const uint32_t target = toPixel(region), paint = toPixel(fill);
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    if (rowOf(bits, bpl, y)[x] != target) return false;
    const bool watched = p.watched();

    // Span fill with its own stack: each seed is a stretch of a row to look at, and
    // filled pixels no longer match, so every pixel is filled once. The parent row
    // is only looked at again where a run reaches beyond the stretch it grew from.
    static thread_local std::vector<Seed> store;
    SeedStack stack(store);
    auto push = [&](int64_t from, int64_t to, int32_t rowY, int32_t dir) {
        if (rowY >= 0 && rowY < height) stack.push({int32_t(from), int32_t(to), rowY, dir});
    };
    push(x, x, y, 1);
    push(x, x, y - 1, -1);
    Seed seed;
    while (stack.pop(seed)) {
        uint32_t* row = rowOf(bits, bpl, seed.y);
        if (seed.x1 == seed.x2) {
            // A passage one pixel wide along a column: follow it without the stack for
            // as long as each row's pixel is a run of its own.
            const int64_t xc = seed.x1;
            const bool wallLeft = xc == 0, wallRight = xc + 1 == width;
            const qsizetype step = bpl * seed.dy;
            int32_t rowsLeft = seed.dy > 0 ? height - seed.y : seed.y + 1;
            while (row[xc] == target && (wallLeft || row[xc - 1] != target) &&
                   (wallRight || row[xc + 1] != target)) {
                if (watched) p.aboutToChange({int(xc), seed.y, 1, 1});
                row[xc] = paint;
                if (--rowsLeft == 0) break;
                row = reinterpret_cast<uint32_t*>(reinterpret_cast<uchar*>(row) + step);
                seed.y += seed.dy;
            }
            if (rowsLeft == 0) continue;
        }
        const int32_t ny = seed.y + seed.dy, py = seed.y - seed.dy;
        const int64_t x2 = seed.x2;
        int64_t x1 = seed.x1, left = x1;
        // Runs are usually one pixel wide in winding passages: the neighbours are tested
        // on their own first, so that the next seed does not wait on a wide scan.
        if (row[x1] == target) {
            if (x1 > 0 && row[x1 - 1] == target) {
                // The first run reaches left beyond the stretch: that part may also
                // spill back into the row the stretch came from.
                left = lastOther(row, 0, x1 - 1, target) + 1;
                if (watched) p.aboutToChange({int(left), seed.y, int(x1 - left), 1});
                std::fill(row + left, row + x1, paint);
                push(left, x1 - 1, py, -seed.dy);
            }
        } else {
            x1 = left = firstSame(row, x1 + 1, x2 + 1, target);
        }
        while (x1 <= x2) {
            // row[x1] is the region's colour: fill the run [x1, end).
            int64_t end = x1 + 1;
            if (end < width && row[end] == target) end = firstOther(row, end + 1, width, target);
            if (watched) p.aboutToChange({int(x1), seed.y, int(end - x1), 1});
            if (end - x1 == 1)
                row[x1] = paint;
            else
                std::fill(row + x1, row + end, paint);
            push(left, end - 1, ny, seed.dy);
            if (end - 1 > x2) push(x2 + 1, end - 1, py, -seed.dy);
            x1 = end + 1; // row[end] is not the colour, or is past the edge
            if (x1 <= x2) x1 = firstSame(row, x1, x2 + 1, target);
            left = x1;
        }
    }
    return true;
}

} // namespace vortan
