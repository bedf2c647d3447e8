#include "core/RandomSource.h"

#include <QTime>

namespace vortan {

ClockRandom::ClockRandom() : engine_(uint32_t(QTime::currentTime().msecsSinceStartOfDay())) {}

float ClockRandom::rnd() {
    // 24 random bits: every value is exact in single precision and 1 is never reached.
    return float(engine_() >> 8) * (1.0f / 16777216.0f);
}

} // namespace vortan
