// What a level weighs in memory and what its history costs, on a large level and on
// 8000 x 8000: memory after New, after Load and after 20 fills of the whole level; the
// history's bytes per fill; a fill with and without its step; the first press after Load.
// Memory is the process's resident size (VmRSS, peak VmHWM): run one bench at a time,
//   ./build/editor_bench --benchmark_filter=BM_MemoryAfterNew/side:8000
// for figures that no earlier bench in the process has raised.
#include "support/TestEditor.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <ctime>
#include <random>

using namespace vortan;

namespace {

// Resident memory now and at its peak, in MB.
struct Resident {
    double now = 0, peak = 0;
};
Resident resident() {
    Resident r;
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return r;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' '); // "VmRSS: 123456 kB"
        if (words.size() < 2) continue;
        if (words[0] == "VmRSS:") r.now = words[1].toDouble() / 1024;
        if (words[0] == "VmHWM:") r.peak = words[1].toDouble() / 1024;
    }
    return r;
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int benchIterations() {
    return qEnvironmentVariableIntValue("VORTAN_BENCH_ITERATIONS") > 0
               ? qEnvironmentVariableIntValue("VORTAN_BENCH_ITERATIONS")
               : 16;
}

int sideOf(const benchmark::State& state) {
    return int(state.range(0));
}
QSize sizeFor(int side) {
    return side == 8000 ? QSize(8000, 8000) : QSize(1639, 1119);
}

// Where the fills start: kept open on every level.
constexpr QPoint kSeed{300, 300};

// A level with something in every part: rocks of five colours (walls, water and rock in
// the map) strewn over the open cave, one every 150 x 150 pixels, and a band of 38 %
// noise across it. A fill of the open region goes round all of them.
void drawStructure(LevelDocument& level) {
    level.draw([](Picture& colour, Picture& map) {
        std::mt19937 rng(18);
        const int w = colour.width(), h = colour.height();
        const Colour colours[] = {rgb(128, 128, 128), rgb(160, 80, 32), rgb(0, 0, 255), rgb(32, 192, 64),
                                  rgb(255, 255, 255)};
        const Colour materials[] = {kWall, kWall, kWater, kBehindWall, kWall};
        for (int i = 0; i < w / 150 * (h / 150); ++i) {
            const int kind = int(rng() % 5);
            const float x = float(rng() % unsigned(w)), y = float(rng() % unsigned(h));
            const float radius = float(8 + rng() % 32);
            colour.fillDisc(x, y, radius, colours[kind]);
            map.fillDisc(x, y, radius, materials[kind]);
        }
        const int top = h / 2, bottom = top + h / 20;
        for (int y = top; y < bottom; ++y)
            for (int x = 17; x < w - 16; ++x)
                if (rng() % 100 < 38) {
                    colour.setPixel(x, y, colours[rng() % 5]);
                    map.setPixel(x, y, kWall);
                }
        colour.fillRect(kSeed.x() - 60, kSeed.y() - 60, kSeed.x() + 60, kSeed.y() + 60, kBlack);
        map.fillRect(kSeed.x() - 60, kSeed.y() - 60, kSeed.x() + 60, kSeed.y() + 60, kBlack);
    });
}

// The n-th fill of the open region: back and forth between two colours and materials.
bool fillOpenRegion(LevelDocument& level, int n) {
    return level.fill(kSeed, n % 2 ? kBlack : rgb(0, 0, 1), n % 2 ? kBlack : kWater, false);
}

std::unique_ptr<test::TestEditor> editorWith(QSize size, bool structured) {
    auto e = std::make_unique<test::TestEditor>();
    e->newLevel(size.width(), size.height());
    if (structured) drawStructure(e->level());
    return e;
}

} // namespace

// A fill of the whole open region of both layers, alone and with its step of the history,
// on the empty level New makes and on a structured one. The two take turns, and each
// counts its fastest (the window thread's CPU): on a machine shared with other work the
// ratio of the two is what holds still.
static void BM_FillWithHistory(benchmark::State& state) {
    auto e = editorWith(sizeFor(sideOf(state)), state.range(1) != 0);
    LevelDocument& level = e->level();
    History& history = level.history();
    double fastest[2] = {1e9, 1e9};
    int n = 0;
    for (auto _ : state) {
        for (const bool withHistory : {false, true}) {
            const double start = threadSeconds();
            if (withHistory) history.begin("Fill");
            fillOpenRegion(level, n++);
            if (withHistory) history.end();
            fastest[withHistory] = std::min(fastest[withHistory], threadSeconds() - start);
        }
    }
    state.counters["alone ms"] = fastest[0] * 1e3;
    state.counters["with history ms"] = fastest[1] * 1e3;
    state.counters["with/alone"] = fastest[1] / fastest[0];
    state.counters["history MB a fill"] = double(history.bytes()) / 1e6 / history.steps();
}
BENCHMARK(BM_FillWithHistory)
    ->ArgsProduct({{1639, 8000}, {0, 1}})
    ->ArgNames({"side", "structured"})
    ->Iterations(benchIterations())
    ->Unit(benchmark::kMillisecond);

// 20 fills of the structured level stay undoable within the history's limit, and undoing
// them all gives back the first state exactly.
static void BM_TwentyFillsUndoable(benchmark::State& state) {
    for (auto _ : state) {
        auto e = editorWith(sizeFor(sideOf(state)), true);
        LevelDocument& level = e->level();
        const test::Layers first = test::layersOf(level);
        History& history = level.history();
        for (int n = 0; n < 20; ++n) {
            history.begin("Fill");
            fillOpenRegion(level, n);
            history.end();
        }
        state.counters["history MB"] = double(history.bytes()) / 1e6;
        state.counters["MB a fill"] = double(history.bytes()) / 1e6 / 20;
        state.counters["RSS MB"] = resident().now;
        int undone = 0;
        while (level.undo())
            ++undone;
        state.counters["undoable"] = undone;
        state.counters["exact"] = test::hasLayers(level, first) ? 1 : 0;
    }
}
BENCHMARK(BM_TwentyFillsUndoable)
    ->Arg(1639)
    ->Arg(8000)
    ->ArgName("side")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// New, then 20 fills of a structured level, then New again: what stays after.
static void BM_MemoryAfterNew(benchmark::State& state) {
    const QSize size = sizeFor(sideOf(state));
    for (auto _ : state) {
        test::TestEditor e(size.width(), size.height());
        const double fresh = resident().now;
        drawStructure(e.level());
        for (int n = 0; n < 20; ++n) {
            e.level().history().begin("Fill");
            fillOpenRegion(e.level(), n);
            e.level().history().end();
        }
        e.level().history().bytes(); // the last fill's tiles packed, as after a moment's pause
        const double filled = resident().now;
        e.level().setModified(false); // no question whether to save
        e.newLevel(size.width(), size.height());
        if (e.level().history().steps() != 0) state.SkipWithError("no New");
        const double again = resident().now;
        state.counters["fresh New MB"] = fresh;
        state.counters["20 fills MB"] = filled;
        state.counters["New again MB"] = again;
        state.counters["again/fresh"] = again / fresh;
        state.counters["peak MB"] = resident().peak;
    }
}
BENCHMARK(BM_MemoryAfterNew)
    ->Arg(1639)
    ->Arg(8000)
    ->ArgName("side")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A structured level saved as a set and loaded: memory against New's, and the first
// press after it (the window's thread CPU and wall time of the editor's work).
static void BM_MemoryAfterLoad(benchmark::State& state) {
    const QSize size = sizeFor(sideOf(state));
    for (auto _ : state) {
        test::TestEditor e(size.width(), size.height());
        const double fresh = resident().now;
        drawStructure(e.level());
        e.choose(e.folder.filePath("bench.bmp"));
        if (!e->saveLevel()) state.SkipWithError("save failed");
        e.newLevel(size.width(), size.height());
        e.choose(e.folder.filePath("bench.level.bmp"));
        e->loadLevel();
        if (e.level().size() != size) state.SkipWithError("load failed");
        const double loaded = resident().now;
        const auto press = [&](QPointF at) {
            const double cpu = threadSeconds();
            const auto wall = std::chrono::steady_clock::now();
            e.click(at);
            return std::pair(threadSeconds() - cpu,
                             std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count());
        };
        const auto [firstCpu, firstWall] = press({200, 200});
        const auto [nextCpu, nextWall] = press({260, 230});
        state.counters["New MB"] = fresh;
        state.counters["loaded MB"] = loaded;
        state.counters["loaded/New"] = loaded / fresh;
        state.counters["first press ms"] = firstCpu * 1e3;
        state.counters["first press wall ms"] = firstWall * 1e3;
        state.counters["next press ms"] = nextCpu * 1e3;
        state.counters["after presses MB"] = resident().now;
    }
}
BENCHMARK(BM_MemoryAfterLoad)
    ->Arg(1639)
    ->Arg(8000)
    ->ArgName("side")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
