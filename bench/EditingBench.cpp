// Editing operations on the largest level the random generator makes.
#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <benchmark/benchmark.h>

using namespace vortan;

namespace {

std::unique_ptr<test::TestEditor> largeLevel() {
    auto e = std::make_unique<test::TestEditor>();
    (*e)->createEmpty(1639, 1119);
    (*e)->xRes = 1639;
    (*e)->yRes = 1119;
    // Some colour everywhere, so that the conversion writes as much as it reads.
    QImage& img = (*e)->Level[0].image();
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = ((x / 7 + y / 5) % 3) ? toPixel(RGB(x & 255, y & 255, 40)) : 0xFF000000;
    }
    return e;
}

} // namespace

static void BM_StrokeMove(benchmark::State& state) {
    auto e = largeLevel();
    float x = 100;
    for (auto _ : state) {
        (*e)->viewPort_MouseMove(kLeftButton, 0, x, 200);
        x = x >= 500 ? 100 : x + 3;
    }
}
BENCHMARK(BM_StrokeMove)->Unit(benchmark::kMicrosecond);

static void BM_RefreshNavigator(benchmark::State& state) {
    auto e = largeLevel();
    for (auto _ : state)
        (*e)->refreshNavigator();
}
BENCHMARK(BM_RefreshNavigator)->Unit(benchmark::kMicrosecond);

static void BM_BuildThumbnail(benchmark::State& state) {
    auto e = largeLevel();
    (*e)->levelName = "Caverns of Doom";
    for (auto _ : state)
        (*e)->buildThumbnail();
}
BENCHMARK(BM_BuildThumbnail)->Unit(benchmark::kMicrosecond);

static void BM_LevelToMap(benchmark::State& state) {
    auto e = largeLevel();
    for (auto _ : state)
        (*e)->Command4_Click();
}
BENCHMARK(BM_LevelToMap)->Unit(benchmark::kMillisecond);

static void BM_UndoRestore(benchmark::State& state) {
    auto e = largeLevel();
    (*e)->viewPort_MouseDown(kLeftButton, 0, 100, 100);
    for (auto _ : state)
        (*e)->viewPort_KeyDown(8, 0);
}
BENCHMARK(BM_UndoRestore)->Unit(benchmark::kMillisecond);

// Saving and loading the level as its three pictures.
static void BM_SaveLevelSet(benchmark::State& state) {
    auto e = largeLevel();
    const QString path = (*e).folder.filePath("bench.bmp");
    for (auto _ : state) {
        (*e).ui.choices = {test::ScriptedDialogs::Choice{path}};
        (*e)->unsavedChanges = false; // the thumbnail as it is
        if (!(*e)->saveLevel_Click()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveLevelSet)->Unit(benchmark::kMillisecond);

static void BM_LoadLevelSet(benchmark::State& state) {
    auto e = largeLevel();
    const QString path = (*e).folder.filePath("bench.bmp");
    (*e).ui.choices = {test::ScriptedDialogs::Choice{path}};
    (*e)->saveLevel_Click();
    for (auto _ : state) {
        (*e).ui.choices = {test::ScriptedDialogs::Choice{(*e).folder.filePath("bench.level.bmp")}};
        (*e)->Command5_Click();
        if ((*e)->xRes != 1639) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadLevelSet)->Unit(benchmark::kMillisecond);
