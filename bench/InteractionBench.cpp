// What the user waits for from a press, a fill, an undo or a hover to pixels on screen:
// the editor's work with its history bookkeeping on both layers, and the window's
// repaint of what changed (offscreen), on a large level and on 8000 x 8000.
#include "app/MainWindow.h"
#include "support/TestEditor.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace vortan;

namespace {

// A level of the given size in the real window; a press paints, moves hover.
struct OnScreen {
    test::TestEditor e;
    MainWindow w{*e};
    explicit OnScreen(int width, int height) {
        e.newLevel(width, height);
        w.show();
        QApplication::processEvents();
    }
    // The window paints what the editor changed.
    void settle() { QApplication::processEvents(); }
};

int sideOf(const benchmark::State& state) {
    return int(state.range(0));
}

} // namespace

static void BM_PressThatStamps(benchmark::State& state) {
    OnScreen s(sideOf(state) == 8000 ? 8000 : 1639, sideOf(state) == 8000 ? 8000 : 1119);
    int i = 0;
    for (auto _ : state) {
        const QPointF at(100 + (i * 37) % 400, 100 + (i * 23) % 300);
        ++i;
        s.e->pressInViewport(Qt::LeftButton, {}, at);
        s.e->releaseInViewport();
        s.settle();
    }
    state.counters["history MB"] = double(s.e->level().history().bytes()) / 1e6;
}
BENCHMARK(BM_PressThatStamps)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMicrosecond);

// A fill of the open inside of an empty level, in both layers, back and forth between
// two colours: with its step of the history and the repaint, and the two fills alone.
static void BM_FillOpenRegion(benchmark::State& state) {
    OnScreen s(sideOf(state) == 8000 ? 8000 : 1639, sideOf(state) == 8000 ? 8000 : 1119);
    const bool withHistory = state.range(1) != 0;
    LevelDocument& level = s.e->level();
    int i = 0;
    for (auto _ : state) {
        const Colour colour = i % 2 ? kBlack : rgb(0, 0, 1), material = i % 2 ? kBlack : kWater;
        ++i;
        if (withHistory) {
            s.e->keyInViewport(i % 2 ? Qt::Key_T : Qt::Key_W, {}); // water, or back to wall
            s.e->pressInViewport(Qt::LeftButton, Qt::ControlModifier, {300, 300});
            s.e->releaseInViewport();
            s.settle();
        } else {
            level.draw([&](Picture& c, Picture& m) {
                floodFill(c, 300, 300, c.pixelAt(300, 300), colour);
                floodFill(m, 300, 300, m.pixelAt(300, 300), material);
            });
        }
    }
}
BENCHMARK(BM_FillOpenRegion)
    ->Args({1639, 0})
    ->Args({1639, 1})
    ->Args({8000, 0})
    ->Args({8000, 1})
    ->ArgNames({"side", "history"})
    ->Unit(benchmark::kMillisecond);

// Ctrl+Z of a stroke of 40 moves, then Ctrl+Y to bring it back for the next round.
static void BM_UndoStroke(benchmark::State& state) {
    OnScreen s(sideOf(state) == 8000 ? 8000 : 1639, sideOf(state) == 8000 ? 8000 : 1119);
    s.e->pressInViewport(Qt::LeftButton, {}, {60, 60});
    for (int m = 1; m <= 40; ++m)
        s.e->moveInViewport(Qt::LeftButton, {}, {60.0 + 10 * m, 60.0 + 5 * m});
    s.e->releaseInViewport();
    bool undo = true;
    for (auto _ : state) {
        s.e->keyInViewport(undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
        undo = !undo;
        s.settle();
    }
}
BENCHMARK(BM_UndoStroke)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMicrosecond);

static void BM_HoverMove(benchmark::State& state) {
    OnScreen s(sideOf(state) == 8000 ? 8000 : 1639, sideOf(state) == 8000 ? 8000 : 1119);
    float x = 100;
    for (auto _ : state) {
        s.e->moveInViewport(Qt::NoButton, {}, {x, 200});
        x = x >= 500 ? 100 : x + 3;
        s.settle();
    }
}
BENCHMARK(BM_HoverMove)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMicrosecond);
