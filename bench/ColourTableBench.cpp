// Speed of palette reduction on export: filling the level's colour table, finding the
// nearest entry of single colours, and mapping a whole level to palette indexes.
#include "files/ColourTable.h"

#include <benchmark/benchmark.h>
#include <random>
#include <vector>

using namespace vortan;

namespace {

constexpr int kWidth = 1639, kHeight = 1119; // about the largest level the game loads

std::vector<Colour> randomColours(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<uint32_t> any(0, 0xFFFFFF);
    std::vector<Colour> out(n);
    for (Colour& c : out)
        c = any(rng);
    return out;
}

// Short runs of colours from `palette`, one pixel in `offEvery` from `off`. The last
// palette colour appears only in the bottom row, so filling the table scans it all.
PictureSurface makeLevel(const std::vector<Colour>& palette, const std::vector<Colour>& off, int offEvery) {
    PictureSurface s(kWidth, kHeight);
    QImage& img = s.image();
    std::mt19937 rng(42);
    std::uniform_int_distribution<size_t> pick(0, palette.size() - 2), pickOff(0, off.size() - 1);
    std::uniform_int_distribution<int> runLength(1, 16), chance(0, offEvery - 1);
    int left = 0;
    uint32_t pixel = 0;
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            if (left-- == 0) {
                left = runLength(rng);
                pixel = toPixel(palette[pick(rng)]);
            }
            row[x] = !off.empty() && chance(rng) == 0 ? toPixel(off[pickOff(rng)]) : pixel;
        }
    }
    SetPixelV(s, kWidth - 1, kHeight - 1, palette.back());
    return s;
}

ColourTable tableOf(const std::vector<Colour>& palette) {
    ColourTable t;
    for (size_t i = 0; i < palette.size(); ++i) {
        t.red[i] = redOf(palette[i]);
        t.green[i] = greenOf(palette[i]);
        t.blue[i] = blueOf(palette[i]);
    }
    t.count = int32_t(palette.size());
    return t;
}

void lookUp(benchmark::State& state, const ColourTable& t, const std::vector<Colour>& colours) {
    size_t i = 0;
    for (auto _ : state) {
        const Colour c = colours[i];
        benchmark::DoNotOptimize(t.findBestRGB(redOf(c), greenOf(c), blueOf(c)));
        if (++i == colours.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ColourTableFindExactHits(benchmark::State& state) {
    const std::vector<Colour> palette = randomColours(192, 1);
    lookUp(state, tableOf(palette), palette);
}
BENCHMARK(BM_ColourTableFindExactHits);

// Colours off the palette that recur, as the odd pixels of a level do: served from the cache.
void BM_ColourTableFindRecurringMisses(benchmark::State& state) {
    lookUp(state, tableOf(randomColours(192, 1)), randomColours(4096, 2));
}
BENCHMARK(BM_ColourTableFindRecurringMisses);

// Nearly every colour new, as in a photograph: each call searches all entries.
void BM_ColourTableFindFreshMisses(benchmark::State& state) {
    lookUp(state, tableOf(randomColours(192, 1)), randomColours(1 << 22, 3));
}
BENCHMARK(BM_ColourTableFindFreshMisses);

void BM_ColourTableFillFromLevel(benchmark::State& state) {
    const std::vector<Colour> palette = randomColours(192, 1);
    const PictureSurface level = makeLevel(palette, {}, 1);
    ColourTable t;
    for (auto _ : state) {
        t.clearClut();
        for (int y = 0; y < kHeight; ++y)
            if (t.addRow(level, y, 192)) break;
    }
    if (t.count != 192) state.SkipWithError("the table did not fill");
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ColourTableFillFromLevel)->Unit(benchmark::kMillisecond);

void BM_ColourTableMapLevel(benchmark::State& state) {
    const std::vector<Colour> palette = randomColours(192, 1);
    const PictureSurface level = makeLevel(palette, randomColours(1000, 4), 100);
    const ColourTable t = tableOf(palette);
    std::vector<uint8_t> row(kWidth);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            t.mapRow(level, y, row.data());
            benchmark::DoNotOptimize(row.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ColourTableMapLevel)->Unit(benchmark::kMillisecond);

} // namespace
