#pragma once

#include "core/RandomSource.h"

#include <deque>
#include <random>

namespace vortan::test {

// Gives the scripted draws in order, then draws of a fixed seed; counts every draw.
class ScriptedRandom : public RandomSource {
  public:
    float rnd() override {
        ++drawn;
        if (draws.empty()) return float(engine_() >> 8) * (1.0f / 16777216.0f);
        const float r = draws.front();
        draws.pop_front();
        return r;
    }
    std::deque<float> draws;
    int drawn = 0;

  private:
    std::mt19937 engine_{12345};
};

} // namespace vortan::test
