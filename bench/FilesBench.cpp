// Saving, loading and exporting the largest level the game loads: 1639 x 1119 pixels
// of 192 colours, its map and its thumbnail.
#include "files/ColourTable.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

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

std::vector<Colour> someColours(size_t n) {
    std::mt19937 rng(1);
    std::vector<Colour> colours;
    while (colours.size() < n) {
        const Colour c = rng() & 0xFFFFFF;
        if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
    }
    return colours;
}

// The level in an editor whose game folder is a temporary one: on disk, or in memory
// (tmpfs), where replacing a file costs no disk sync. Levels 0 to 8 are the game's.
struct LargeLevel {
    std::unique_ptr<QTemporaryDir> game;
    std::unique_ptr<TestEditor> e;
    explicit LargeLevel(bool inMemory = false) {
        game = inMemory && QDir("/dev/shm").exists()
                   ? std::make_unique<QTemporaryDir>("/dev/shm/vortan-bench-XXXXXX")
                   : std::make_unique<QTemporaryDir>();
        QDir(game->path()).mkpath("gameData/Gfx");
        for (const QString name : {"Vortan.exe", "gameData/Gfx/level00t.quox"})
            QFile(game->filePath(name)).open(QIODevice::WriteOnly);
        for (int n = 1; n < 9; ++n)
            QFile(game->filePath(QString("gameData/Gfx/level0%1t.quox").arg(n))).open(QIODevice::WriteOnly);
        e = std::make_unique<TestEditor>([&](const QString& own) {
            QFile f(own + "/gameFolder.txt");
            f.open(QIODevice::WriteOnly);
            f.write((game->path() + "/").toUtf8());
        });
        (*e)->level().loadLayer(LevelDocument::kColourLayer, runsOf(someColours(192), 16, 2));
        (*e)->level().loadLayer(
            LevelDocument::kMaterialMap,
            runsOf({kBlack, kWall, kBehindWall, kWater, kPlatformFS, kExplosive}, 200, 3));
        (*e)->view().thumbnail().setBackgroundPicture((*e)->level().colourLayer().image().scaled(192, 177));
    }
};

} // namespace

// The whole export of level 09 (written over from the second time on).
static void BM_Export(benchmark::State& state) {
    LargeLevel l(state.range(0) != 0);
    for (auto _ : state) {
        l.e->ui.answers = {MsgAnswer::OK}; // the level's 192 colours bring the warning
        l.e->ui.choices = {ScriptedDialogs::Choice{l.game->filePath("gameData/Gfx/level09t.quox")}};
        const int beeps = l.e->ui.beeps;
        (*l.e)->exportToGame();
        if (l.e->ui.beeps != beeps + 1) state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Export)->Arg(0)->Arg(1)->ArgName("inMemory")->Unit(benchmark::kMillisecond);

static void BM_SaveAndLoadLevelSet(benchmark::State& state) {
    LargeLevel l;
    const QString path = l.e->folder.filePath("bench.bmp");
    for (auto _ : state) {
        l.e->ui.choices = {ScriptedDialogs::Choice{path}};
        if (!(*l.e)->saveLevel()) state.SkipWithError("save failed");
        l.e->ui.choices = {ScriptedDialogs::Choice{l.e->folder.filePath("bench.level.bmp")}};
        (*l.e)->loadLevel();
        if ((*l.e)->level().width() != kWidth) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_SaveAndLoadLevelSet)->Unit(benchmark::kMillisecond);

// The palette: collecting 192 colours of the level, then the nearest entry of every pixel.
static void BM_ColourTable(benchmark::State& state) {
    LargeLevel l;
    const Picture& colour = (*l.e)->level().colourLayer();
    std::vector<uint8_t> row(kWidth);
    for (auto _ : state) {
        ColourTable table;
        for (int y = 0; y < kHeight && !table.addRow(colour, y, 192); ++y) {
        }
        for (int y = 0; y < kHeight; ++y)
            table.mapRow(colour, y, row.data());
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ColourTable)->Unit(benchmark::kMillisecond);

// Nearest entries of colours not in the table, each new: the search itself.
static void BM_NearestEntryOfNewColours(benchmark::State& state) {
    ColourTable table;
    Picture palette(192, 1);
    const std::vector<Colour> colours = someColours(192);
    for (int i = 0; i < 192; ++i)
        palette.setPixel(i, 0, colours[size_t(i)]);
    table.addRow(palette, 0, 192);
    uint32_t c = 12345;
    for (auto _ : state) {
        c = c * 1664525u + 1013904223u;
        benchmark::DoNotOptimize(table.nearestEntry(c & 0xFFFFFF));
    }
}
BENCHMARK(BM_NearestEntryOfNewColours);
