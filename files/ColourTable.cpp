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
// A component no real colour comes near: the search's padding places never win.
constexpr int32_t kFar = 2000;

constexpr uint32_t hashOf(uint32_t key, int bits) {
    return (key * 0x9E3779B1u) >> (32 - bits);
}

// Pixels are 0xAARRGGBB; the table's keys are 0xRRGGBB.
constexpr uint32_t keyOf(Colour c) {
    return uint32_t(redOf(c)) << 16 | uint32_t(greenOf(c)) << 8 | uint32_t(blueOf(c));
}

} // namespace

// The searches over all entries run in wider vectors where the processor has them.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define VORTAN_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define VORTAN_WIDE_VECTORS
#endif

namespace {

// The first entry at the smallest distance, which is what a linear search stopping at
// distance 0 finds. Distances of all entries are taken side by side. A free function
// defined before any call: clang makes no clones of a function already called.
VORTAN_WIDE_VECTORS int firstNearest(const std::array<int32_t, 256>& red,
                                     const std::array<int32_t, 256>& green,
                                     const std::array<int32_t, 256>& blue, int count, int r, int g, int b) {
    constexpr int kBlock = 16;
    alignas(64) std::array<int32_t, 256> dist;
    const int blocks = (count + kBlock - 1) / kBlock;
    alignas(64) std::array<int32_t, 256 / kBlock> blockBest;
    int32_t best = INT32_MAX;
    for (int k = 0; k < blocks; ++k) {
        int32_t least = INT32_MAX;
        for (int j = 0; j < kBlock; ++j) {
            const int i = k * kBlock + j;
            const int32_t d = 2 * std::abs(r - red[i]) + 3 * std::abs(g - green[i]) + std::abs(b - blue[i]);
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

} // namespace

ColourTable::ColourTable() {
    clear();
}

void ColourTable::clear() {
    count_ = 0;
    entries_.fill(kBlack);
    nearRed_.fill(kFar);
    nearGreen_.fill(kFar);
    nearBlue_.fill(kFar);
    exactTag_.fill(0);
    nearestStale_ = true;
}

bool ColourTable::addRow(const Picture& p, int y, int limit) {
    limit = std::min(limit, 256); // the table has no more places
    if (count_ >= limit) return true;
    const QImage& img = p.image();
    if (y < 0 || y >= img.height()) return false;
    const auto* px = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    const int w = img.width();
    for (int x = 0; x < w; ++x) {
        // Nearly every pixel is a colour already taken, found at its first probe. Looking
        // it up every time is faster than skipping runs, whose ends the processor
        // cannot predict.
        const uint32_t key = px[x] & 0xFFFFFFu;
        if (exactTag_[hashOf(key | kIndexed, kExactBits)] == (key | kIndexed)) continue;
        if (exactIndex(key) >= 0) continue;
        entries_[size_t(count_)] = fromPixel(key);
        remember(count_);
        if (++count_ >= limit) return true;
    }
    return false;
}

int ColourTable::nearestEntry(Colour c) const {
    return indexOf(keyOf(c));
}

void ColourTable::mapRow(const Picture& p, int y, uint8_t* out) const {
    const QImage& img = p.image();
    if (y < 0 || y >= img.height()) return;
    const auto* px = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    const int w = img.width();
    for (int x = 0; x < w; ++x) {
        // Colours of the table at their first probe inline; the rest through the cache.
        const uint32_t key = px[x] & 0xFFFFFFu;
        const uint32_t h = hashOf(key | kIndexed, kExactBits);
        out[x] = exactTag_[h] == (key | kIndexed) ? exactEntry_[h] : indexOf(key);
    }
}

QByteArray ColourTable::paletteBlock() const {
    if (count_ == 0) return {};
    QByteArray block;
    block.reserve(1 + 3 * count_);
    block.append(char(count_ - 1));
    for (int i = 0; i < count_; ++i) {
        const Colour c = entries_[size_t(i)];
        block.append(char(redOf(c)));
        block.append(char(greenOf(c)));
        block.append(char(blueOf(c)));
    }
    return block;
}

// Takes entry i into the index; the first entry of a colour keeps its place.
void ColourTable::remember(int i) {
    const Colour c = entries_[size_t(i)];
    nearestStale_ = true;
    nearRed_[size_t(i)] = redOf(c);
    nearGreen_[size_t(i)] = greenOf(c);
    nearBlue_[size_t(i)] = blueOf(c);
    const uint32_t tag = keyOf(c) | kIndexed;
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

// The nearest entry of a colour 0xRRGGBB.
uint8_t ColourTable::indexOf(uint32_t key) const {
    const int exact = exactIndex(key);
    if (exact >= 0) return uint8_t(exact);
    if (count_ == 0) return 0;
    if (nearestCache_.empty()) {
        nearestCache_.resize(kNearestSlots);
        nearestStale_ = false;
    } else if (nearestStale_) {
        std::fill(nearestCache_.begin(), nearestCache_.end(), CachedNearest{});
        nearestStale_ = false;
    }
    CachedNearest& slot = nearestCache_[hashOf(key | kIndexed, kNearestBits)];
    if (slot.tag == (key | kIndexed)) return uint8_t(slot.index);
    const int best = nearest(int(key >> 16), int((key >> 8) & 255u), int(key & 255u));
    slot = {key | kIndexed, uint32_t(best)};
    return uint8_t(best);
}

int ColourTable::nearest(int r, int g, int b) const {
    return firstNearest(nearRed_, nearGreen_, nearBlue_, count_, r, g, b);
}

} // namespace vortan
