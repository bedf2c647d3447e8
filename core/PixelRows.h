#pragma once

#include <QtGlobal>
#include <cstdint>

namespace vortan {

// Pixels of a row of an RGB32 picture; `bits` comes from a single bits() call so the
// image detaches once.
inline uint32_t* rowOf(uchar* bits, qsizetype bpl, int y) {
    return reinterpret_cast<uint32_t*>(bits + bpl * y);
}
inline const uint32_t* rowOf(const uchar* bits, qsizetype bpl, int y) {
    return reinterpret_cast<const uint32_t*>(bits + bpl * y);
}

} // namespace vortan
