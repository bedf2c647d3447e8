#pragma once

#include "core/RandomSource.h"
#include <deque>
#include <gtest/gtest.h>

namespace vortan::test {

// Gives the scripted draws in order and counts them; running out fails the test.
class ScriptedRandom : public RandomSource {
  public:
    explicit ScriptedRandom(std::deque<float> draws = {}) : draws(std::move(draws)) {}
    float rnd() override {
        ++drawn;
        if (draws.empty()) {
            ADD_FAILURE() << "unscripted random draw number " << drawn;
            return 0;
        }
        const float r = draws.front();
        draws.pop_front();
        return r;
    }
    std::deque<float> draws;
    int drawn = 0;
};

} // namespace vortan::test
