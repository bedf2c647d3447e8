// Speed of the surface operations that run while the user paints: flood fills of
// large regions and of long one-pixel corridors, and the brush stamp.
#include "core/PictureSurface.h"

#include <benchmark/benchmark.h>

using namespace vortan;

namespace {

constexpr Colour kWall = RGB(255, 0, 0);

// A one-pixel corridor winding through walls: runs along the long axis in every other
// line, joined alternately at either end. Returns the corridor's length in pixels.
int64_t carveSerpentine(PictureSurface& s, bool vertical) {
    s.BackColor = kWall;
    s.Cls();
    const int across = vertical ? s.ScaleWidth() : s.ScaleHeight();
    const int along = vertical ? s.ScaleHeight() : s.ScaleWidth();
    int64_t count = 0;
    auto open = [&](int a, int b) {
        SetPixelV(s, vertical ? a : b, vertical ? b : a, kBlack);
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
// iteration paints the whole region without resetting the surface.
void fillBackAndForth(benchmark::State& state, PictureSurface& s, int x, int y, int64_t pixels) {
    Colour current = kBlack, next = RGB(0, 0, 255);
    for (auto _ : state) {
        s.FillColor = next;
        ExtFloodFill(s, x, y, current);
        std::swap(current, next);
    }
    if (GetPixel(s, x, y) != current) state.SkipWithError("the fill did not reach the start pixel");
    state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_FloodFillOpenRegion(benchmark::State& state) {
    PictureSurface s(2000, 1000);
    fillBackAndForth(state, s, 1000, 500, 2000 * 1000);
}
BENCHMARK(BM_FloodFillOpenRegion)->Unit(benchmark::kMicrosecond);

void BM_FloodFillHorizontalCorridor(benchmark::State& state) {
    PictureSurface s(1000, 1999);
    const int64_t pixels = carveSerpentine(s, false);
    fillBackAndForth(state, s, 0, 0, pixels);
}
BENCHMARK(BM_FloodFillHorizontalCorridor)->Unit(benchmark::kMicrosecond);

void BM_FloodFillVerticalCorridor(benchmark::State& state) {
    PictureSurface s(1999, 1000);
    const int64_t pixels = carveSerpentine(s, true);
    fillBackAndForth(state, s, 0, 0, pixels);
}
BENCHMARK(BM_FloodFillVerticalCorridor)->Unit(benchmark::kMicrosecond);

// One stamp of an 85 x 85 round brush as painting does it: mask with AND, brush with
// OR, into the viewport and both layers.
void BM_BrushStamp(benchmark::State& state) {
    PictureSurface mask(85, 85, kWhite), brush(85, 85, kBlack), mapBrush(85, 85, kBlack);
    mask.FillStyle = brush.FillStyle = mapBrush.FillStyle = 0;
    mask.FillColor = kBlack;
    brush.FillColor = RGB(90, 60, 30);
    mapBrush.FillColor = kWall;
    mask.Circle(42.5f, 42.5f, 40, kBlack);
    brush.Circle(42.5f, 42.5f, 40, RGB(90, 60, 30));
    mapBrush.Circle(42.5f, 42.5f, 40, kWall);
    PictureSurface viewPort(800, 600), level(1639, 1119, kBlack, true), map(1639, 1119, kBlack, true);
    int step = 0;
    for (auto _ : state) {
        const int x = 300 + (step % 64), y = 200 + (step % 48);
        ++step;
        BitBlt(viewPort, x - 42, y - 42, 85, 85, mask, 0, 0, Rop::SrcAnd);
        BitBlt(viewPort, x - 42, y - 42, 85, 85, brush, 0, 0, Rop::SrcPaint);
        BitBlt(level, x + 500 - 42, y + 400 - 42, 85, 85, mask, 0, 0, Rop::SrcAnd);
        BitBlt(level, x + 500 - 42, y + 400 - 42, 85, 85, brush, 0, 0, Rop::SrcPaint);
        BitBlt(map, x + 500 - 42, y + 400 - 42, 85, 85, mask, 0, 0, Rop::SrcAnd);
        BitBlt(map, x + 500 - 42, y + 400 - 42, 85, 85, mapBrush, 0, 0, Rop::SrcPaint);
    }
    benchmark::DoNotOptimize(viewPort.image().bits());
}
BENCHMARK(BM_BrushStamp)->Unit(benchmark::kMicrosecond);

// The unzoomed viewport redraw: one full-screen copy out of the level.
void BM_CopyFullScreen(benchmark::State& state) {
    PictureSurface level(2500, 1500, RGB(1, 2, 3)), viewPort(1920, 1080);
    for (auto _ : state)
        BitBlt(viewPort, 0, 0, 1920, 1080, level, 300, 200, Rop::SrcCopy);
    benchmark::DoNotOptimize(viewPort.image().bits());
}
BENCHMARK(BM_CopyFullScreen)->Unit(benchmark::kMicrosecond);

} // namespace
