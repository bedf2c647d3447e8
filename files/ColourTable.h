#pragma once

#include "core/PictureSurface.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

namespace vortan {

// Components of a colour: c AND 255, (c AND 65280) div 256, (c AND 16711680) div 65536.
int32_t getRed(Colour c);
int32_t getGreen(Colour c);
int32_t getBlue(Colour c);

// The material colour nearest to c. Of equally near colours the later one wins, so
// pure blue, as near to red as to cyan, snaps to cyan.
Colour closestColor(Colour c, const std::array<Colour, 5>& snapColours);

// The palette of a game picture: up to 256 colours in the order they were first met,
// and the nearest entry for any colour. Colours are compared by distance
// 2 * |dr| + 3 * |dg| + |db|.
//
// The entries and count are plain fields that the game-file writers read and set
// directly (the map writer sets count without entries). Lookups go through an index
// of the entries and a cache of nearest entries; every operation first checks count
// and the entries in use against what it indexed and rebuilds when they differ, so a
// direct write is never answered from stale data. findBestRGB checks only the entries
// its answer depends on. The caches are mutable: one table serves one thread.
struct ColourTable {
    std::array<int32_t, 256> red{};
    std::array<int32_t, 256> green{};
    std::array<int32_t, 256> blue{};
    int32_t count = 0;

    ColourTable();

    // Empties the table: count 0 and every component 0.
    void clearClut();

    // Appends the colours of row y of the surface that are not yet in the table, left
    // to right, until count reaches limit (a limit above the table's 256 places counts
    // as 256). True once count has reached limit, when the caller stops scanning.
    bool addRow(const PictureSurface& s, int y, int limit);

    // Index of the nearest entry; the first of equally near entries wins and an empty
    // table gives 0.
    int32_t findBestRGB(int r, int g, int b) const;

    // findBestRGB of every pixel of row y, into out[0 .. ScaleWidth - 1]. A row outside
    // the surface writes nothing.
    void mapRow(const PictureSurface& s, int y, uint8_t* out) const;

    // The palette block of a game picture: count - 1, then red, green, blue of each
    // entry. Empty for an empty table.
    QByteArray genPal() const;

  private:
    struct CachedNearest {
        uint32_t tag = 0; // colour | kIndexed, 0 when empty
        uint32_t index = 0;
    };

    int usedEntries() const;
    bool sameEntries(int from, int to) const;
    void sync() const;
    void rebuild(int n) const;
    void remember(int i) const;
    int exactIndex(uint32_t key) const;
    uint8_t indexOf(uint32_t key) const;
    int32_t nearest(int r, int g, int b) const;
    int32_t nearestWide(int64_t r, int64_t g, int64_t b) const;

    // The entries as last indexed; equal to the fields when nothing was written directly.
    mutable std::array<int32_t, 256> seenRed_{};
    mutable std::array<int32_t, 256> seenGreen_{};
    mutable std::array<int32_t, 256> seenBlue_{};
    mutable int seenCount_ = 0;
    // Some entry lies outside 0 to 255: distances are then taken in 64 bits.
    mutable bool outOfRange_ = false;
    // The same entries as 16-bit numbers for the vectorised search; places past the
    // last entry hold a colour farther than any real one.
    alignas(64) mutable std::array<int16_t, 256> nearRed_{};
    alignas(64) mutable std::array<int16_t, 256> nearGreen_{};
    alignas(64) mutable std::array<int16_t, 256> nearBlue_{};
    // Open addressing from 0xRRGGBB to the first entry of that colour.
    mutable std::array<uint32_t, 4096> exactTag_{};
    mutable std::array<uint8_t, 4096> exactEntry_{};
    // Direct-mapped cache of nearest entries for colours not in the table; allocated on
    // first use, emptied lazily whenever the entries change.
    mutable std::vector<CachedNearest> nearestCache_;
    mutable bool nearestStale_ = true;
};

} // namespace vortan
