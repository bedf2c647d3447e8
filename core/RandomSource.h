#pragma once

#include <cstdint>
#include <memory>
#include <random>

namespace vortan {

// Uniform single-precision numbers r with 0 <= r < 1: the random names, sizes and caves.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual float rnd() = 0;
};

// The editor's source, seeded from the time of day.
class ClockRandom : public RandomSource {
  public:
    ClockRandom();
    float rnd() override;

  private:
    std::mt19937 engine_;
};

} // namespace vortan
