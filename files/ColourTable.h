#pragma once

#include "core/Picture.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

namespace vortan {

// The palette of a game picture: up to 256 colours in the order they were first met,
// and the nearest entry for any colour, by colourDistance. Lookups go through an index
// of the entries and a cache of nearest entries, so that mapping a whole level costs
// little more than reading it.
class ColourTable {
  public:
    ColourTable();

    int count() const { return count_; }
    Colour entry(int i) const { return entries_[size_t(i)]; }

    // Empties the table.
    void clear();
    // Appends the colours of row y of the picture that are not yet in the table, left
    // to right, until the table holds `limit` colours (at most 256). True once it does,
    // when the caller stops scanning.
    bool addRow(const Picture& p, int y, int limit);
    // Index of the nearest entry; the first of equally near entries wins, and an empty
    // table gives 0.
    int nearestEntry(Colour c) const;
    // nearestEntry of every pixel of row y, into out[0 .. width - 1].
    void mapRow(const Picture& p, int y, uint8_t* out) const;
    // The palette block of a game picture: count - 1, then red, green, blue of each
    // entry. Empty for an empty table.
    QByteArray paletteBlock() const;

  private:
    struct CachedNearest {
        uint32_t tag = 0; // colour | kIndexed, 0 when empty
        uint32_t index = 0;
    };

    void remember(int i);
    int exactIndex(uint32_t key) const;
    uint8_t indexOf(uint32_t key) const;
    int nearest(int r, int g, int b) const;

    std::array<Colour, 256> entries_{};
    int count_ = 0;
    // The entries' components for the vectorised search; places past the last entry
    // hold a colour farther than any real one.
    alignas(64) std::array<int32_t, 256> nearRed_{};
    alignas(64) std::array<int32_t, 256> nearGreen_{};
    alignas(64) std::array<int32_t, 256> nearBlue_{};
    // Open addressing from 0xRRGGBB to the first entry of that colour.
    std::array<uint32_t, 4096> exactTag_{};
    std::array<uint8_t, 4096> exactEntry_{};
    // Direct-mapped cache of nearest entries for colours not in the table; allocated on
    // first use, emptied whenever the entries change.
    mutable std::vector<CachedNearest> nearestCache_;
    mutable bool nearestStale_ = true;
};

} // namespace vortan
