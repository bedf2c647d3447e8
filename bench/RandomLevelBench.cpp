// The random cave on its largest size, with rocks and a pool.
#include "support/TestEditor.h"

#include <benchmark/benchmark.h>
#include <random>

using namespace vortan;

namespace {

// Replays one fixed run's draws: the largest size, 25 rocks, a pool. The walls and
// rocks take seeded pseudo-random draws.
class CaveDraws : public RandomSource {
  public:
    CaveDraws() {
        std::mt19937 engine(1234);
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
        auto any = [&] { return std::min(uniform(engine), 0.99999994f); };
        draws_ = {0.9995f, 0.9992f, 0.2f, 0.3f, any()}; // 1639 x 1119, a name, roughness
        for (int i = 0; i < 4 * 1640 + 4 * 1120; ++i)
            draws_.push_back(any());
        draws_.push_back(0.9f);   // rocks
        draws_.push_back(0.999f); // 25 of them
        for (int i = 0; i < 25 * 3; ++i)
            draws_.push_back(any());
        draws_.insert(draws_.end(), {0.9f, 0.99f, 0.5f}); // water, its line high, its column
    }
    float rnd() override { return draws_[next_++ % draws_.size()]; }
    void restart() { next_ = 0; }

  private:
    std::vector<float> draws_;
    size_t next_ = 0;
};

} // namespace

static void BM_RandomLevel(benchmark::State& state) {
    test::TestEditor e;
    auto* draws = new CaveDraws;
    e->random.reset(draws);
    for (auto _ : state) {
        draws->restart();
        e->unsavedChanges = false; // no save question
        e->Command3_Click();
    }
    int64_t water = 0;
    const QImage& map = e->Level[1].Image();
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x)
            water += fromPixel(map.pixel(x, y)) == kWater;
    state.counters["width"] = e->xRes;
    state.counters["height"] = e->yRes;
    state.counters["water"] = double(water);
}
BENCHMARK(BM_RandomLevel)->Unit(benchmark::kMillisecond);
