// The editor's work on the largest level the random generator makes: stroke moves, the
// viewport, the navigator and thumbnail, Level -> Map, the cave.
#include "support/TestEditor.h"

#include <QPainter>
#include <benchmark/benchmark.h>

using namespace vortan;

namespace {

std::unique_ptr<test::TestEditor> largeLevel() {
    auto e = std::make_unique<test::TestEditor>();
    e->newLevel(1639, 1119);
    // Some colour everywhere, so that the conversion writes as much as it reads.
    (*e)->level().draw([](Picture& colour, Picture&) {
        QImage& img = colour.pixels();
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = ((x / 7 + y / 5) % 3) ? toPixel(rgb(x & 255, y & 255, 40)) : 0xFF000000;
        }
    });
    return e;
}

} // namespace

static void BM_StrokeMove(benchmark::State& state) {
    auto e = largeLevel();
    float x = 100;
    for (auto _ : state) {
        (*e)->moveInViewport(Qt::LeftButton, Qt::NoModifier, QPointF(x, 200));
        x = x >= 500 ? 100 : x + 3;
    }
}
BENCHMARK(BM_StrokeMove)->Unit(benchmark::kMicrosecond);

// A scroll of a full-HD drawing area and its repaint from the level, unzoomed and zoomed.
static void BM_ScrollViewport(benchmark::State& state) {
    test::TestEditor e;
    e.newLevel(2400, 1400);
    e->layOut({1920 + 133 + 4, 1080 + 53 + 4});
    if (e->view().viewportSize() != QSize(1920, 1080)) state.SkipWithError("viewport size");
    e->setZoomed(state.range(0) != 0);
    QImage screen(1920, 1080, QImage::Format_RGB32);
    float x = 0;
    for (auto _ : state) {
        e->view().scrollTo(e->level(), x, 100);
        QPainter painter(&screen);
        e->view().paintViewport(painter, e->level(), screen.rect());
        x = x == 0 ? 1 : 0;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollViewport)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMicrosecond);

static void BM_RefreshNavigator(benchmark::State& state) {
    auto e = largeLevel();
    for (auto _ : state)
        (*e)->view().refreshNavigator((*e)->level(), {});
}
BENCHMARK(BM_RefreshNavigator)->Unit(benchmark::kMicrosecond);

static void BM_BuildThumbnail(benchmark::State& state) {
    auto e = largeLevel();
    (*e)->level().setName("Caverns of Doom");
    for (auto _ : state)
        (*e)->view().buildThumbnail((*e)->level(), {});
}
BENCHMARK(BM_BuildThumbnail)->Unit(benchmark::kMicrosecond);

static void BM_LevelToMap(benchmark::State& state) {
    auto e = largeLevel();
    for (auto _ : state)
        (*e)->levelToMap();
}
BENCHMARK(BM_LevelToMap)->Unit(benchmark::kMillisecond);

// The random cave at its largest size; the walls, rocks and pool take seeded draws.
static void BM_RandomLevel(benchmark::State& state) {
    test::TestEditor e;
    for (auto _ : state) {
        e.random->draws = {0.9995f, 0.9992f, 0.2f, 0.3f};
        e->level().setModified(false); // no save question
        e->randomLevel();
    }
    state.counters["width"] = e->level().width();
    state.counters["height"] = e->level().height();
}
BENCHMARK(BM_RandomLevel)->Unit(benchmark::kMillisecond);

// Resize Level through its dialog, 100 pixels wider and taller about the middle, then its
// undo: both layers, the history and the navigator's layout, at 1639 x 1119 and 8000 x 8000.
static void BM_ResizeLevelAndUndo(benchmark::State& state) {
    test::TestEditor e;
    e.newLevel(int(state.range(0)), int(state.range(0) == 8000 ? 8000 : 1119));
    const QSize size = e.level().size();
    for (auto _ : state) {
        e.ui.answers = {MsgAnswer::OK, MsgAnswer::OK}; // the size warning, typed twice
        e.ui.resizeScripts = {[size](ResizeLevelForm& f) {
            f.setWidthText(QString::number(size.width() + 100));
            f.setHeightText(QString::number(size.height() + 100));
            f.accept();
        }};
        e->resizeLevel();
        if (e.level().size() != size + QSize(100, 100)) return state.SkipWithError("not resized");
        e.key(Qt::Key_Z, Qt::ControlModifier);
    }
    if (e.level().size() != size) state.SkipWithError("not undone");
}
BENCHMARK(BM_ResizeLevelAndUndo)->Arg(1639)->Arg(8000)->ArgName("width")->Unit(benchmark::kMillisecond);
