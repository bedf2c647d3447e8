// The picture operations under painting: flood fills of large regions and of long
// one-pixel corridors, the brush stamp, and the viewport's full-screen copy.
#include "core/Picture.h"

#include <benchmark/benchmark.h>

using namespace vortan;

namespace {

// A one-pixel corridor winding through walls: runs along the long axis in every other
// line, joined alternately at either end. Returns the corridor's length in pixels.
int64_t carveSerpentine(Picture& p, bool vertical) {
    p.setBackground(kWall);
    p.clear();
    const int across = vertical ? p.width() : p.height();
    const int along = vertical ? p.height() : p.width();
    int64_t count = 0;
    auto open = [&](int a, int b) {
        p.setPixel(vertical ? a : b, vertical ? b : a, kBlack);
        ++count;
    };
    for (int a = 0; a < across; a += 2) {
        for (int b = 0; b < along; ++b)
            open(a, b);
        if (a + 2 < across) open(a + 1, (a / 2) % 2 == 0 ? along - 1 : 0);
    }
    return count;
}

// Each iteration fills the region back and forth between two colours, so every
// iteration paints the whole region without resetting the picture.
void fillBackAndForth(benchmark::State& state, Picture& p, int x, int y, int64_t pixels) {
    Colour current = kBlack, next = kWater;
    for (auto _ : state) {
        floodFill(p, x, y, current, next);
        std::swap(current, next);
    }
    if (p.pixelAt(x, y) != current) state.SkipWithError("the fill did not reach the start pixel");
    state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_FloodFillOpenRegion(benchmark::State& state) {
    Picture p(2000, 1000);
    fillBackAndForth(state, p, 1000, 500, 2000 * 1000);
}
BENCHMARK(BM_FloodFillOpenRegion)->Unit(benchmark::kMicrosecond);

void BM_FloodFillCorridor(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    Picture p(vertical ? 1999 : 1000, vertical ? 1000 : 1999);
    const int64_t pixels = carveSerpentine(p, vertical);
    fillBackAndForth(state, p, 0, 0, pixels);
}
BENCHMARK(BM_FloodFillCorridor)->Arg(0)->Arg(1)->ArgName("vertical")->Unit(benchmark::kMicrosecond);

// One stamp of an 85 x 85 round brush: mask and paint into the viewport and both layers.
void BM_BrushStamp(benchmark::State& state) {
    Picture mask(85, 85, kWhite), brush(85, 85), materialBrush(85, 85);
    mask.fillDisc(42, 42, 40, kBlack);
    brush.fillDisc(42, 42, 40, rgb(90, 60, 30));
    materialBrush.fillDisc(42, 42, 40, kWall);
    Picture viewport(800, 600), colour(1639, 1119), map(1639, 1119);
    int step = 0;
    for (auto _ : state) {
        const int x = 300 + (step % 64) - 42, y = 200 + (step % 48) - 42;
        ++step;
        maskRect(viewport, x, y, 85, 85, mask, 0, 0);
        paintRect(viewport, x, y, 85, 85, brush, 0, 0);
        maskRect(colour, x + 500, y + 400, 85, 85, mask, 0, 0);
        paintRect(colour, x + 500, y + 400, 85, 85, brush, 0, 0);
        maskRect(map, x + 500, y + 400, 85, 85, mask, 0, 0);
        paintRect(map, x + 500, y + 400, 85, 85, materialBrush, 0, 0);
    }
    benchmark::DoNotOptimize(viewport.pixels().bits());
}
BENCHMARK(BM_BrushStamp)->Unit(benchmark::kMicrosecond);

} // namespace
