#include "files/ColourTable.h"

#include <algorithm>
#include <cstdlib>

namespace vortan {

namespace {

// Marks a used slot of the hash tables; keys are 0xRRGGBB, so bit 24 is free.
constexpr uint32_t kIndexed = 0x1000000u;
constexpr int kExactBits = 12; // 4096 slots for at most 256 entries: nearly every lookup takes one probe
constexpr int kNearestBits = 14;
constexpr size_t kNearestSlots = size_t(1) << kNearestBits;
// A component no real colour comes near: the search's padding places never win, and
// their distances (at most 6 * 2000) still fit 16 bits.
constexpr int16_t kFar = 2000;

constexpr uint32_t hashOf(uint32_t key, int bits) {
    return (key * 0x9E3779B1u) >> (32 - bits);
}

constexpr bool isComponent(int64_t v) {
    return v >= 0 && v <= 255;
}

int32_t distance(int r1, int g1, int b1, int r2, int g2, int b2) {
    return 2 * std::abs(r1 - r2) + 3 * std::abs(g1 - g2) + std::abs(b1 - b2);
}

} // namespace

// The searches over all entries run in wider vectors where the processor has them.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define VORTAN_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VORTAN_WIDE_VECTORS
#endif

int32_t getRed(Colour c) {
    return int32_t(c & 255u);
}
int32_t getGreen(Colour c) {
    return int32_t((c & 65280u) / 256u);
}
int32_t getBlue(Colour c) {
    return int32_t((c & 16711680u) / 65536u);
}

Colour closestColor(Colour c, const std::array<Colour, 5>& snapColours) {
    int32_t best = 100000;
    Colour taken = snapColours[0];
    for (Colour s : snapColours) {
        const int32_t d = distance(getRed(c), getGreen(c), getBlue(c), getRed(s), getGreen(s), getBlue(s));
        if (d <= best) {
            best = d;
            taken = s;
        }
    }
    return taken;
}

ColourTable::ColourTable() {
    rebuild(0);
}

void ColourTable::clearClut() {
    count = 0;
    red.fill(0);
    green.fill(0);
    blue.fill(0);
    rebuild(0);
}

bool ColourTable::addRow(const PictureSurface& s, int y, int limit) {
    limit = std::min(limit, 256); // the table has no more places
    count = std::clamp(count, 0, 256);
    if (count >= limit) return true;
    const QImage& img = s.Image();
    if (y < 0 || y >= img.height()) return false;
    sync();

    const auto* px = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    const int w = img.width();
    for (int x = 0; x < w; ++x) {
        // Nearly every pixel is a colour already taken, found at its first probe. Looking
        // it up every time is faster than skipping runs, whose ends the processor
        // cannot predict.
        const uint32_t key = px[x] & 0xFFFFFFu;
        if (exactTag_[hashOf(key | kIndexed, kExactBits)] == (key | kIndexed)) continue;
        if (exactIndex(key) >= 0) continue;
        red[count] = int32_t(key >> 16);
        green[count] = int32_t((key >> 8) & 255u);
        blue[count] = int32_t(key & 255u);
        remember(count);
        seenCount_ = ++count;
        if (count >= limit) return true;
    }
    return false;
}

int32_t ColourTable::findBestRGB(int r, int g, int b) const {
    if (!isComponent(r) || !isComponent(g) || !isComponent(b)) {
        sync();
        return nearestWide(r, g, b);
    }
    const uint32_t key = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    if (usedEntries() == seenCount_) {
        // An exact hit at i depends on entries 0 to i only: checking those is enough.
        const int i = exactIndex(key);
        if (i >= 0 && sameEntries(0, i + 1)) return i;
    }
    sync();
    return indexOf(key);
}

void ColourTable::mapRow(const PictureSurface& s, int y, uint8_t* out) const {
    const QImage& img = s.Image();
    if (y < 0 || y >= img.height()) return;
    sync();
    const auto* px = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    const int w = img.width();
    for (int x = 0; x < w; ++x) {
        // Colours of the table at their first probe inline; the rest through the cache.
        const uint32_t key = px[x] & 0xFFFFFFu;
        const uint32_t h = hashOf(key | kIndexed, kExactBits);
        out[x] = exactTag_[h] == (key | kIndexed) ? exactEntry_[h] : indexOf(key);
    }
}

QByteArray ColourTable::genPal() const {
    const int n = usedEntries();
    if (n == 0) return {};
    QByteArray block;
    block.reserve(1 + 3 * n);
    block.append(char(n - 1));
    for (int i = 0; i < n; ++i) {
        block.append(char(red[i] & 255));
        block.append(char(green[i] & 255));
        block.append(char(blue[i] & 255));
    }
    return block;
}

// A count written outside 0 to 256 is read as the nearest possible one.
int ColourTable::usedEntries() const {
    return std::clamp(count, 0, 256);
}

VORTAN_WIDE_VECTORS bool ColourTable::sameEntries(int from, int to) const {
    int32_t differ = 0;
    for (int i = from; i < to; ++i)
        differ |= (red[i] ^ seenRed_[i]) | (green[i] ^ seenGreen_[i]) | (blue[i] ^ seenBlue_[i]);
    return differ == 0;
}

// Catches up with direct writes to the entries or the count.
void ColourTable::sync() const {
    const int n = usedEntries();
    if (n != seenCount_ || !sameEntries(0, n)) rebuild(n);
}

void ColourTable::rebuild(int n) const {
    seenCount_ = n;
    outOfRange_ = false;
    nearRed_.fill(kFar);
    nearGreen_.fill(kFar);
    nearBlue_.fill(kFar);
    exactTag_.fill(0);
    for (int i = 0; i < n; ++i)
        remember(i);
    nearestStale_ = true;
}

// Takes entry i into the index; the first entry of a colour keeps its place.
void ColourTable::remember(int i) const {
    seenRed_[i] = red[i];
    seenGreen_[i] = green[i];
    seenBlue_[i] = blue[i];
    nearestStale_ = true;
    if (!isComponent(red[i]) || !isComponent(green[i]) || !isComponent(blue[i])) {
        // Never equal to a pixel; only the wide search sees it.
        outOfRange_ = true;
        return;
    }
    nearRed_[i] = int16_t(red[i]);
    nearGreen_[i] = int16_t(green[i]);
    nearBlue_[i] = int16_t(blue[i]);
    const uint32_t tag = uint32_t(red[i]) << 16 | uint32_t(green[i]) << 8 | uint32_t(blue[i]) | kIndexed;
    for (uint32_t h = hashOf(tag, kExactBits);; h = (h + 1) & (exactTag_.size() - 1)) {
        if (exactTag_[h] == tag) return;
        if (exactTag_[h] == 0) {
            exactTag_[h] = tag;
            exactEntry_[h] = uint8_t(i);
            return;
        }
    }
}

int ColourTable::exactIndex(uint32_t key) const {
    const uint32_t tag = key | kIndexed;
    for (uint32_t h = hashOf(tag, kExactBits);; h = (h + 1) & (exactTag_.size() - 1)) {
        if (exactTag_[h] == tag) return exactEntry_[h];
        if (exactTag_[h] == 0) return -1;
    }
}

// The nearest entry of a colour 0xRRGGBB; the index must be in step.
uint8_t ColourTable::indexOf(uint32_t key) const {
    const int exact = exactIndex(key);
    if (exact >= 0) return uint8_t(exact);
    if (seenCount_ == 0) return 0;
    if (nearestCache_.empty()) {
        nearestCache_.resize(kNearestSlots);
        nearestStale_ = false;
    } else if (nearestStale_) {
        std::fill(nearestCache_.begin(), nearestCache_.end(), CachedNearest{});
        nearestStale_ = false;
    }
    CachedNearest& slot = nearestCache_[hashOf(key | kIndexed, kNearestBits)];
    if (slot.tag == (key | kIndexed)) return uint8_t(slot.index);
    const int r = int(key >> 16), g = int((key >> 8) & 255u), b = int(key & 255u);
    const int32_t best = outOfRange_ ? nearestWide(r, g, b) : nearest(r, g, b);
    slot = {key | kIndexed, uint32_t(best)};
    return uint8_t(best);
}

// The first entry at the smallest distance, which is what a linear search stopping at
// distance 0 finds. Distances of all entries are taken side by side in 16 bits.
VORTAN_WIDE_VECTORS int32_t ColourTable::nearest(int r, int g, int b) const {
    constexpr int kBlock = 16;
    alignas(64) std::array<int16_t, 256> dist;
    const int16_t r16 = int16_t(r), g16 = int16_t(g), b16 = int16_t(b);
    const int blocks = (seenCount_ + kBlock - 1) / kBlock;
    alignas(64) std::array<int16_t, 256 / kBlock> blockBest;
    int16_t best = INT16_MAX;
    for (int k = 0; k < blocks; ++k) {
        int16_t least = INT16_MAX;
        for (int j = 0; j < kBlock; ++j) {
            const int i = k * kBlock + j;
            const auto d =
                int16_t(2 * std::abs(int16_t(r16 - nearRed_[i])) +
                        3 * std::abs(int16_t(g16 - nearGreen_[i])) + std::abs(int16_t(b16 - nearBlue_[i])));
            dist[i] = d;
            least = std::min(least, d);
        }
        blockBest[k] = least;
        best = std::min(best, least);
    }
    int i = 0;
    while (blockBest[i / kBlock] != best)
        i += kBlock;
    while (dist[i] != best)
        ++i;
    return i;
}

// The plain linear search, in 64 bits for entries written outside 0 to 255.
int32_t ColourTable::nearestWide(int64_t r, int64_t g, int64_t b) const {
    int64_t best = 999999;
    int32_t bestIndex = 0;
    for (int i = 0; i < seenCount_; ++i) {
        const int64_t d = 2 * std::llabs(r - seenRed_[i]) + 3 * std::llabs(g - seenGreen_[i]) +
                          std::llabs(b - seenBlue_[i]);
        if (d < best) {
            best = d;
            bestIndex = i;
            if (d == 0) break;
        }
    }
    return bestIndex;
}

} // namespace vortan
