// The shape and selection tools on an 8000 x 8000 level in a full-HD viewport, with the
// window's repaint of what changed: a shape's preview following the pointer, a 2000 x 2000 filled
// rectangle laid in with its history step, and a 2000 x 2000 paste placed.
#include "BigCanvas.h"

using namespace vortan;

namespace {
// Undone outside the timing, so that every iteration changes the level anew.
void undoUntimed(benchmark::State& state, BigCanvas& c) {
    state.PauseTiming();
    c.e.key(Qt::Key_Z, Qt::ControlModifier);
    c.settle();
    state.ResumeTiming();
}
} // namespace

// A rectangle being dragged at scale 1: each move shows its preview at the new size.
static void BM_ShapePreviewMove(benchmark::State& state) {
    BigCanvas c(state, View::kScaleOne);
    c.e.key(state.range(0) == 2 ? Qt::Key_L : Qt::Key_R,
            state.range(0) == 1 ? Qt::ShiftModifier : Qt::NoModifier);
    state.SetLabel(c.e->chosenTool().toStdString());
    c.e->pressInViewport(Qt::LeftButton, {}, {300, 200});
    int x = 1400;
    for (auto _ : state) {
        x = x == 1400 ? 1407 : 1400;
        c.e->moveInViewport(Qt::LeftButton, {}, QPointF(x, 800));
        c.settle(); // paints what the move changed
    }
    c.e.key(Qt::Key_Escape);
}
BENCHMARK(BM_ShapePreviewMove)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A 2000 x 2000 filled rectangle from press to release, with its history step and repaint.
static void BM_FilledRectangle2000(benchmark::State& state) {
    BigCanvas c(state, View::kScaleOne);
    c.e.key(Qt::Key_R, Qt::ShiftModifier);
    for (auto _ : state) {
        c.e->pressInViewport(Qt::LeftButton, {}, {100, 100});
        c.e->moveInViewport(Qt::LeftButton, {}, {2099, 2099});
        c.e->releaseInViewport();
        c.settle();
        undoUntimed(state, c);
    }
}
BENCHMARK(BM_FilledRectangle2000)->Unit(benchmark::kMillisecond);

// A 2000 x 2000 piece of both layers, copied once, then pasted over other pixels: the
// click that places it, with its history step and repaint.
static void BM_Paste2000(benchmark::State& state) {
    BigCanvas c(state, View::kScaleOne);
    c.e.key(Qt::Key_R, Qt::ShiftModifier);
    c.e->pressInViewport(Qt::LeftButton, {}, {0, 0});
    c.e->moveInViewport(Qt::LeftButton, {}, {999, 999});
    c.e->releaseInViewport();
    c.e.key(Qt::Key_M);
    c.e->pressInViewport(Qt::LeftButton, {}, {0, 0});
    c.e->moveInViewport(Qt::LeftButton, {}, {1999, 1999});
    c.e->releaseInViewport();
    c.e.key(Qt::Key_C, Qt::ControlModifier);
    for (auto _ : state) {
        state.PauseTiming();
        c.e.key(Qt::Key_V, Qt::ControlModifier);
        c.e->moveInViewport(Qt::NoButton, {}, {1500, 1000});
        c.settle();
        state.ResumeTiming();
        c.e->pressInViewport(Qt::LeftButton, {}, {1500, 1000});
        c.e->releaseInViewport();
        c.settle();
        undoUntimed(state, c);
    }
}
BENCHMARK(BM_Paste2000)->Unit(benchmark::kMillisecond);
