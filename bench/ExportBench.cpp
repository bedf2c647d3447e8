// The command line's export and check of a saved level set, each as the whole process the
// level maker waits for (the built vortan-editor), with its peak memory and CPU time;
// beside them their floors: reading the set's two BMP files into memory, and encoding a
// level held in memory into the game's three files. At 1639 x 1119 and 8000 x 8000.
#include "core/LevelDocument.h"
#include "files/GameFormat.h"
#include "files/LevelFiles.h"
#include "files/PictureFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vortan;

namespace {

// A level of about 150 colours in runs of up to 40 pixels, its map of every material in
// longer runs inside the wall frame, and a thumbnail, saved as a set; and a game folder
// holding levels 0 to 8 (no Vortan.exe, so that no export remembers it in the build folder).
struct SavedSet {
    QSize size;
    QTemporaryDir folder;
    QString base, gfx;
    explicit SavedSet(QSize levelSize)
        : size(levelSize), base(folder.filePath("Bench")), gfx(folder.filePath("game/gameData/Gfx/")) {
        QDir().mkpath(gfx);
        for (int n = 0; n < 9; ++n)
            QFile(gfx + QString("level0%1t.quox").arg(n)).open(QIODevice::WriteOnly);
        LevelDocument level;
        level.makeEmpty(size.width(), size.height(), kWall);
        std::mt19937 random(18);
        const Colour materials[] = {kBlack,      kWall,        kBehindWall, kWater,
                                    kPlatformFS, kPlatformFSA, kExplosive};
        level.draw([&](Picture& colour, Picture& map) {
            for (int y = 17; y < size.height() - 16; ++y) {
                auto* c = reinterpret_cast<uint32_t*>(colour.pixels().scanLine(y));
                auto* m = reinterpret_cast<uint32_t*>(map.pixels().scanLine(y));
                for (int x = 17; x < size.width() - 16;) {
                    const int run = std::min(int(1 + random() % 40), size.width() - 16 - x);
                    std::fill(
                        c + x, c + x + run,
                        toPixel(rgb(int(random() % 5) * 50, int(random() % 6) * 40, int(random() % 5) * 60)));
                    std::fill(m + x, m + x + run, toPixel(materials[(x / 300 + y / 200) % 7]));
                    x += run;
                }
            }
        });
        Picture thumbnail(192, 177, kWhite);
        thumbnail.fillRect(10, 48, 181, 170, rgb(90, 60, 30));
        if (!saveLevelSet(base, level, [&]() -> const Picture& { return thumbnail; }))
            std::fprintf(stderr, "the bench's level set could not be saved\n");
    }
};

SavedSet& savedSet(QSize size) {
    static std::unique_ptr<SavedSet> kept;
    if (!kept || kept->size != size) {
        kept.reset();
        kept = std::make_unique<SavedSet>(size);
    }
    return *kept;
}

QSize sizeOf(const benchmark::State& state) {
    return state.range(0) == 8000 ? QSize(8000, 8000) : QSize(1639, 1119);
}

// Runs the built editor with these arguments, its output thrown away: the wall time, the
// CPU time the system counts for it, and its peak memory. The peak is read from the
// process itself, stopped as it exits: the figure wait4 gives starts from the memory
// of the process that started it (this bench's, which held large levels).
struct Run {
    double seconds = 0, cpuSeconds = 0, peakMB = 0;
    int status = -1;
};
double peakMBOf(pid_t pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}
Run runEditor(const QStringList& arguments) {
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationDirPath() + "/vortan-editor");
    std::vector<QByteArray> bytes{program};
    for (const QString& a : arguments)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) { // only what is safe between fork and exec
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        dup2(nowhere, 1);
        dup2(nowhere, 2);
        execv(program.constData(), argv.data());
        _exit(127);
    }
    ::close(nowhere);
    if (pid < 0) return run;
    for (;;) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid) break;
        if (WIFSTOPPED(status)) {
            int signal = 0;
            if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
                run.peakMB = peakMBOf(pid);
            else if (WSTOPSIG(status) == SIGTRAP && run.peakMB == 0)
                ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT); // stopped at the exec
            else
                signal = WSTOPSIG(status);
            ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(intptr_t(signal)));
            continue;
        }
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        break;
    }
    return run;
}

void runProcess(benchmark::State& state, const std::function<QStringList(const SavedSet&)>& arguments) {
    const SavedSet& set = savedSet(sizeOf(state));
    double cpu = 0, peak = 0;
    for (auto _ : state) {
        const Run run = runEditor(arguments(set));
        if (run.status != 0) state.SkipWithError("the editor failed");
        state.SetIterationTime(run.seconds);
        cpu += run.cpuSeconds;
        peak = std::max(peak, run.peakMB);
    }
    state.counters["CPU s"] = cpu / double(state.iterations());
    state.counters["peak RSS MB"] = peak;
}

} // namespace

static void BM_ExportProcess(benchmark::State& state) {
    runProcess(state, [](const SavedSet& set) {
        return QStringList{
            "export", set.base + ".level.bmp", "--game", set.folder.filePath("game"), "--number", "9",
            "--force"};
    });
}
BENCHMARK(BM_ExportProcess)
    ->Arg(1639)
    ->Arg(8000)
    ->ArgName("side")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

static void BM_CheckProcess(benchmark::State& state) {
    runProcess(state, [](const SavedSet& set) { return QStringList{"check", set.base + ".level.bmp"}; });
}
BENCHMARK(BM_CheckProcess)
    ->Arg(1639)
    ->Arg(8000)
    ->ArgName("side")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The floor of opening the set: both BMP files' bytes read into memory of their own.
static void BM_ReadBothBmpsFloor(benchmark::State& state) {
    const SavedSet& set = savedSet(sizeOf(state));
    int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const char* member : {".level.bmp", ".map.bmp"}) {
            QFile file(set.base + member);
            if (!file.open(QIODevice::ReadOnly)) state.SkipWithError("cannot read the set");
            std::unique_ptr<char[]> memory(new char[size_t(file.size())]);
            if (file.read(memory.get(), file.size()) != file.size()) state.SkipWithError("short read");
            benchmark::DoNotOptimize(memory.get());
            bytes += file.size();
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ReadBothBmpsFloor)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMillisecond);

// The editor's own reading of the two layers, as the commands read them.
static void BM_ReadLevelSet(benchmark::State& state) {
    const SavedSet& set = savedSet(sizeOf(state));
    for (auto _ : state) {
        std::optional<LevelSetPictures> pictures = readLevelSet(set.base);
        if (!pictures || !pictures->colour || !pictures->map) state.SkipWithError("cannot read the set");
        benchmark::DoNotOptimize(pictures);
    }
}
BENCHMARK(BM_ReadLevelSet)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMillisecond);

// The floor of the export's writing: the three game files of a level in memory, encoded
// into memory.
static void BM_EncodeAloneFloor(benchmark::State& state) {
    const SavedSet& set = savedSet(sizeOf(state));
    LevelDocument level;
    level.takeLayers(*loadPicture(set.base + ".level.bmp"), *loadPicture(set.base + ".map.bmp"));
    Picture thumbnail(192, 177, kWhite);
    thumbnail.setBackgroundPicture(*loadPicture(set.base + ".thumb.bmp"));
    for (auto _ : state) {
        QBuffer image, map, thumb;
        image.open(QIODevice::WriteOnly);
        map.open(QIODevice::WriteOnly);
        thumb.open(QIODevice::WriteOnly);
        if (!writeThumbnail(thumb, thumbnail, {}) || !writeLevelImage(image, level, {}, nullptr) ||
            !writeMaterialMap(map, level, {}))
            state.SkipWithError("encoding failed");
        benchmark::DoNotOptimize(image.data().constData());
    }
}
BENCHMARK(BM_EncodeAloneFloor)->Arg(1639)->Arg(8000)->ArgName("side")->Unit(benchmark::kMillisecond);
