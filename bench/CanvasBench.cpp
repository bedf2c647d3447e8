// Moving about an 8000 x 8000 level in a full-HD viewport, with the window's repaint
// (offscreen): a zoom step, a pan move, a repaint at fit and at 1/8, and a press and a
// stroke move at scales other than 1.
#include "BigCanvas.h"

#include <QApplication>
#include <benchmark/benchmark.h>

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

// The first look at a reduced scale after the level was replaced: the copies made.
static void BM_ReducedCopiesMade(benchmark::State& state) {
    BigCanvas c(state, View::kFit);
    for (auto _ : state) {
        c.e->view().levelReplaced();
        c.w.viewport->repaint();
    }
}
BENCHMARK(BM_ReducedCopiesMade)->Unit(benchmark::kMillisecond);

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
