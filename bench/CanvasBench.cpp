// Moving about an 8000 x 8000 level in a full-HD viewport, with the window's repaint
// (offscreen): a zoom step (the first below 1 included), a pan move, a repaint at fit and
// at 1/8, the reduced copies made in slices, and a press and a stroke move at scales
// other than 1.
#include "BigCanvas.h"

#include <algorithm>
#include <chrono>

using namespace vortan;

// Ctrl+wheel a notch in, then a notch out, about the middle of the viewport: each
// iteration is one step with the repaint it causes.
static void BM_ZoomStep(benchmark::State& state) {
    BigCanvas c(state, int(state.range(0)));
    bool in = true;
    for (auto _ : state) {
        c.e->wheelInViewport({0, in ? 120 : -120}, Qt::ControlModifier, {960, 540});
        in = !in;
        c.w.viewport->repaint();
        c.settle();
    }
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_ZoomStep)->Arg(View::kFit)->Arg(3)->Arg(9)->ArgName("from")->Unit(benchmark::kMillisecond);

// A middle-button drag, back and forth by 7 screen pixels.
static void BM_PanMove(benchmark::State& state) {
    BigCanvas c(state, int(state.range(0)));
    c.e->pressInViewport(Qt::MiddleButton, {}, {960, 540});
    int x = 960;
    for (auto _ : state) {
        x = x == 960 ? 967 : 960;
        c.e->moveInViewport(Qt::MiddleButton, {}, QPointF(x, 540));
        c.w.viewport->repaint();
        c.settle();
    }
    c.e->releaseInViewport();
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_PanMove)->Arg(1)->Arg(3)->Arg(10)->ArgName("step")->Unit(benchmark::kMillisecond);

// The whole viewport painted anew, as after a scroll.
static void BM_RepaintViewport(benchmark::State& state) {
    BigCanvas c(state, int(state.range(0)));
    for (auto _ : state)
        c.w.viewport->repaint();
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_RepaintViewport)->Arg(View::kFit)->Arg(0)->ArgName("step")->Unit(benchmark::kMillisecond);

// The whole viewport painted anew over a level whose map is two thirds materials, without
// (overlay:0) and with (overlay:1) the materials shown over the colours, and the first
// paint after Shift+V changed their opacity (overlay:2), which makes what it shows anew.
static void BM_RepaintWithMaterials(benchmark::State& state) {
    BigCanvas c(state, int(state.range(1)));
    c.e->level().draw([](Picture& colour, Picture& map) {
        for (int y = 0; y < colour.height(); ++y) {
            auto* paint = reinterpret_cast<uint32_t*>(colour.pixels().scanLine(y));
            auto* material = reinterpret_cast<uint32_t*>(map.pixels().scanLine(y));
            for (int x = 0; x < colour.width(); ++x) {
                paint[x] = 0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u);
                material[x] = (x / 3 + y / 5) % 3 ? 0xFFFF0000u >> (x / 7 % 3 * 8) : 0xFF000000u;
            }
        }
    });
    c.e->view().setMaterialsWanted(state.range(0) != 0);
    c.setStep(int(state.range(1))); // the reduced copies of these colours
    for (auto _ : state) {
        if (state.range(0) == 2) c.e->view().stepMaterialsOpacity();
        c.w.viewport->repaint();
    }
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_RepaintWithMaterials)
    ->ArgsProduct({{0, 1, 2}, {View::kFit, 1, 3, 6, 10}})
    ->ArgNames({"overlay", "step"})
    ->Unit(benchmark::kMillisecond);

// The first zoom step below 1 after the level was replaced, from 1 to 1/2: the reduced
// copies are not made yet, and the viewport samples the level while they are.
static void BM_FirstZoomBelowOne(benchmark::State& state) {
    BigCanvas c(state, View::kScaleOne);
    for (auto _ : state) {
        c.e->view().levelReplaced();
        c.e->wheelInViewport({0, -120}, Qt::ControlModifier, {960, 540});
        c.w.viewport->repaint();
        state.PauseTiming();
        c.e->wheelInViewport({0, 120}, Qt::ControlModifier, {960, 540});
        c.w.viewport->repaint();
        c.settle();
        state.ResumeTiming();
    }
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_FirstZoomBelowOne)->Unit(benchmark::kMillisecond);

// The reduced copies of the whole level made in the window's slices of 4 ms: the time of
// them all, how many slices, and the longest.
static void BM_ReducedCopiesInSlices(benchmark::State& state) {
    BigCanvas c(state, View::kFit);
    double slices = 0, longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        c.e->view().levelReplaced();
        c.w.viewport->repaint(); // asks for them
        state.ResumeTiming();
        for (bool ready = false; !ready; ++slices) {
            const auto start = std::chrono::steady_clock::now();
            ready = c.e->view().makeReducedCopies(c.e->level(), std::chrono::milliseconds(4));
            longest = std::max(
                longest,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    state.counters["slices"] = benchmark::Counter(slices, benchmark::Counter::kAvgIterations);
    state.counters["longest_ms"] = longest;
}
BENCHMARK(BM_ReducedCopiesInSlices)->Unit(benchmark::kMillisecond);

// A press that stamps, and a stroke move, at a scale other than 1.
static void BM_PressAtScale(benchmark::State& state) {
    BigCanvas c(state, int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        const QPointF at(300 + (i * 37) % 900, 200 + (i * 23) % 600);
        ++i;
        c.e->pressInViewport(Qt::LeftButton, {}, at);
        c.e->releaseInViewport();
        c.settle();
    }
    state.SetLabel(c.scale.toStdString());
}
// Fit, 1/4, 1 and 16.
static void atScales(benchmark::internal::Benchmark* b) {
    b->Arg(View::kFit)->Arg(1)->Arg(3)->Arg(10)->ArgName("step")->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_PressAtScale)->Apply(atScales);

static void BM_StrokeMoveAtScale(benchmark::State& state) {
    BigCanvas c(state, int(state.range(0)));
    c.e->pressInViewport(Qt::LeftButton, {}, {300, 300});
    float x = 300;
    for (auto _ : state) {
        c.e->moveInViewport(Qt::LeftButton, {}, QPointF(x, 300));
        x = x >= 900 ? 300 : x + 3;
        c.settle();
    }
    c.e->releaseInViewport();
    state.SetLabel(c.scale.toStdString());
}
BENCHMARK(BM_StrokeMoveAtScale)->Apply(atScales);
