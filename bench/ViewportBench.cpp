#include "support/TestEditor.h"

#include <benchmark/benchmark.h>

using namespace vortan;

// The viewport redraw of a full-HD drawing area over a larger level.
static void BM_UpdateViewPort(benchmark::State& state) {
    test::TestEditor e;
    e->createEmpty(2400, 1400);
    e->xRes = 2400;
    e->yRes = 1400;
    e->Form_Resize({1920 + 133 + 4, 1080 + 53 + 4});
    if (e->viewPort.ScaleWidth() != 1920 || e->viewPort.ScaleHeight() != 1080)
        state.SkipWithError("viewport size");
    e->zoomEnabled_Click(state.range(0) != 0);
    float x = 0;
    for (auto _ : state) {
        e->updateViewPort(x, 100);
        x = x == 0 ? 1 : 0;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UpdateViewPort)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);
