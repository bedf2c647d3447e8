#pragma once

#include <cmath>
#include <cstdint>

namespace vortan {

// Conversions of fractional values to integers round to nearest, ties to even
// (2.5 gives 2, 3.5 gives 4). std::round would give 3 and 4.
inline int32_t roundHalfEven(double v) {
    return static_cast<int32_t>(std::nearbyint(v));
}

// Smaller of a and b: a unless a > b.
inline int32_t minOf(int32_t a, int32_t b) {
    return a > b ? b : a;
}
// Larger of a and b: b unless a > b.
inline int32_t maxOf(int32_t a, int32_t b) {
    return a > b ? a : b;
}

} // namespace vortan
