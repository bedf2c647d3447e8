#pragma once

#include <QString>
#include <cmath>
#include <cstdint>

namespace vortan {

// Conversions of fractional values to integers round to nearest, ties to even
// (2.5 gives 2, 3.5 gives 4). std::round would give 3 and 4.
// Values beyond 32 bits saturate (and NaN gives 0) rather than overflow.
inline int32_t roundHalfEven(double v) {
    const double r = std::nearbyint(v);
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return r == r ? static_cast<int32_t>(r) : 0;
}

// Numbers typed or named by the user, read as the dialogs read them.
// The number at the start of text after leading blanks, with its sign (12abc gives 12,
// +9t gives 9, text without one 0).
double leadingValue(const QString& text);
// A number with one leading blank when it is not negative: 1280 gives " 1280".
QString spacedNumber(double x);
// text without leading and trailing blanks.
QString trimBlanks(const QString& text);

} // namespace vortan
