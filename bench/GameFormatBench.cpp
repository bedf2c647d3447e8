// Speed of the export into the game: the thumbnail, the level image and the map of the
// largest level the game loads, written as game files.
#include "files/GameFormat.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <vector>

using namespace vortan;
using namespace vortan::test;

namespace {

constexpr int kWidth = 1639, kHeight = 1119;

// Runs of 1 to maxRun pixels of colours from `colours`; every colour appears.
QImage runsOf(const std::vector<Colour>& colours, int maxRun, unsigned seed) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, colours.size() - 1);
    std::uniform_int_distribution<int> length(1, maxRun);
    size_t next = 0;
    int left = 0;
    uint32_t pixel = 0;
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            if (left-- == 0) {
                left = length(rng) - 1;
                pixel = toPixel(colours[next < colours.size() ? next++ : pick(rng)]);
            }
            row[x] = pixel;
        }
    }
    return img;
}

// A level of 192 colours with its map and thumbnail, exporting into a temporary game
// folder: on disk, or in memory (tmpfs), where committing a file costs no disk sync.
struct ExportFixture {
    TestEditor e;
    std::unique_ptr<QTemporaryDir> game;
    explicit ExportFixture(bool inMemory = false) {
        game = inMemory && QDir("/dev/shm").exists()
                   ? std::make_unique<QTemporaryDir>("/dev/shm/vortan-bench-XXXXXX")
                   : std::make_unique<QTemporaryDir>();
        std::mt19937 rng(1);
        std::vector<Colour> colours;
        while (colours.size() < 192) {
            const Colour c = rng() & 0xFFFFFF;
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
        }
        e->Level[0].setPicture(runsOf(colours, 16, 2));
        e->Level[1].setPicture(runsOf({kBlack, kWall, kBehindWall, kWater, kPlatformFS, kExplosive}, 200, 3));
        e->thumbNail.setPicture(e->Level[0].Image().scaled(192, 177));
        e->gameFolder = game->path() + "/";
        QDir(game->path()).mkpath("gameData/Gfx");
    }
    void start() {
        e->progressSum = 0;
        e->progressPhases = 3;
        e.ui.answers = {MsgAnswer::OK}; // the level's 192 colours bring the warning
        e.ui.messages.clear();
    }
};

// The whole export: thumbnail, level image and map, each file synced to disk on commit.
void BM_GameFormatExport(benchmark::State& state) {
    ExportFixture f;
    for (auto _ : state) {
        f.start();
        if (!f.e->saveLevelThumb("01") || !f.e->saveLevelQUOX("01") || !f.e->saveAMapQUOX("01"))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GameFormatExport)->Unit(benchmark::kMillisecond);

// The same without the disk: what the editor itself spends.
void BM_GameFormatExportWithoutDiskSync(benchmark::State& state) {
    ExportFixture f(true);
    for (auto _ : state) {
        f.start();
        if (!f.e->saveLevelThumb("01") || !f.e->saveLevelQUOX("01") || !f.e->saveAMapQUOX("01"))
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GameFormatExportWithoutDiskSync)->Unit(benchmark::kMillisecond);

void BM_GameFormatLevelImage(benchmark::State& state) {
    ExportFixture f;
    for (auto _ : state) {
        f.start();
        if (!f.e->saveLevelQUOX("01")) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GameFormatLevelImage)->Unit(benchmark::kMillisecond);

void BM_GameFormatThumbnail(benchmark::State& state) {
    ExportFixture f;
    for (auto _ : state) {
        f.start();
        if (!f.e->saveLevelThumb("01")) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_GameFormatThumbnail)->Unit(benchmark::kMillisecond);

void BM_GameFormatMap(benchmark::State& state) {
    ExportFixture f;
    for (auto _ : state) {
        f.start();
        if (!f.e->saveAMapQUOX("01")) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_GameFormatMap)->Unit(benchmark::kMillisecond);

// The stream coding alone, in memory: the level's palette indexes and the map's codes.
void BM_GameFormatEncodeInMemory(benchmark::State& state) {
    ExportFixture f;
    f.start();
    f.e->clut.clearClut();
    f.e->fillClut(Editor::ClutSource::LevelImage);
    std::vector<uint8_t> indexes(size_t(kWidth) * kHeight), codes(indexes.size());
    for (int y = 0; y < kHeight; ++y) {
        f.e->clut.mapRow(f.e->Level[0], y, indexes.data() + size_t(y) * kWidth);
        for (int x = 0; x < kWidth; ++x)
            codes[size_t(y) * kWidth + x] = materialCode(fromPixel(GetPixel(f.e->Level[1], x, y)));
    }
    QByteArray out;
    for (auto _ : state) {
        out.clear();
        out.reserve(qsizetype(2) * indexes.size() + 2);
        RunLengthWriter level(out, 192);
        for (int y = 0; y < kHeight; ++y)
            level.writeRow(indexes.data() + size_t(y) * kWidth, kWidth);
        level.finish();
        RunLengthWriter map(out, 133);
        for (int y = 0; y < kHeight; ++y)
            map.writeRow(codes.data() + size_t(y) * kWidth, kWidth);
        map.finish();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * kWidth * kHeight);
}
BENCHMARK(BM_GameFormatEncodeInMemory)->Unit(benchmark::kMillisecond);

} // namespace
