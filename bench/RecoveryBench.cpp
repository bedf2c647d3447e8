// The recovery copy on the largest level the game loads and on 8000 x 8000, in the real
// window: the press right after a copy begins, what the window's thread pays while the
// copy is taken, the bytes written for a small stroke and for a fill of the whole level,
// and the memory held meanwhile.
#include "app/MainWindow.h"
#include "support/TestEditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <benchmark/benchmark.h>
#include <ctime>
#include <random>

using namespace vortan;

namespace {

// A number of this process from a /proc file: "VmRSS:   1234 kB".
qint64 procField(const char* file, const char* field) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ')[0].toLongLong();
    return 0;
}
double rssMB() {
    return double(procField("/proc/self/status", "VmRSS:")) / 1024;
}
double peakMB() {
    return double(procField("/proc/self/status", "VmHWM:")) / 1024;
}
void resetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}
// Every byte this process gave to write() so far.
qint64 bytesWritten() {
    return procField("/proc/self/io", "wchar:");
}
double threadMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// A level of rocks in the window: discs of a few colours over the open inside, wall on
// the map, so that a fill of the open inside reaches every tile and leaves none of one
// colour. Its copies go to a folder of their own.
struct RockyLevel {
    QTemporaryDir folder; // last to go: the editor holds a lock in it
    test::TestEditor e;
    MainWindow w{*e};
    explicit RockyLevel(int side) {
        const int width = side == 8000 ? 8000 : 1639, height = side == 8000 ? 8000 : 1119;
        e.newLevel(width, height);
        e->setRecoveryFolder(folder.path());
        std::mt19937 random(5);
        e.level().draw([&](Picture& colour, Picture& map) {
            for (int y = 40; y < height - 40; y += 45)
                for (int x = 40; x < width - 40; x += 45) {
                    const float cx = float(x + int(random() % 20)), cy = float(y + int(random() % 20));
                    const float r = float(2 + random() % 9);
                    colour.fillDisc(cx, cy, r, rgb(120 + int(random() % 4) * 30, 100, 60));
                    map.fillDisc(cx, cy, r, kWall);
                }
        });
        w.show();
        QApplication::processEvents();
        e.level().setModified(true);
        e.keepCopy(); // the first copy holds every tile
    }
    QString about() const {
        const QStringList copies = QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs);
        return copies.isEmpty() ? QString() : folder.filePath(copies[0] + "/recovery.txt");
    }
    // A press of the fill in the open inside, with water, or back to wall.
    void fillAll(bool water) {
        e->keyInViewport(water ? Qt::Key_T : Qt::Key_W, {});
        e->pressInViewport(Qt::LeftButton, Qt::ControlModifier, {20, 20});
        e->releaseInViewport();
        QApplication::processEvents();
    }
};

// The window's events run until the copy begun is on the disk: the window thread's time
// in the longest of them and in all. Wall times on a busy machine say more of the other
// processes than of the copy.
struct Taken {
    double longestMs = 0, threadMs = 0, seconds = 0;
};
Taken takeCopy(RockyLevel& s, const QByteArray& before) {
    Taken taken;
    QElapsedTimer wall;
    wall.start();
    while (test::readFile(s.about()) == before) {
        const double t0 = threadMs();
        QApplication::processEvents();
        const double spent = threadMs() - t0;
        taken.threadMs += spent;
        taken.longestMs = std::max(taken.longestMs, spent);
        QThread::usleep(200);
    }
    s.e->finishRecoveryCopy(); // the writer tidies up after its files are in place
    taken.seconds = double(wall.nsecsElapsed()) / 1e9;
    return taken;
}

} // namespace

// Each round: a small stroke, or a fill of the whole level (not timed); a copy begins
// ("copy begins ms" of the window thread); a press stamps right after it (timed: its wall
// time, and the window thread's in "press thread ms"); the copy is taken and written
// while the events run ("copy thread ms" of the window thread, "copy s" in all).
static void BM_PressAfterRecoveryCopy(benchmark::State& state) {
    const int side = int(state.range(0));
    const bool fill = state.range(1) != 0;
    RockyLevel s(side);
    const double layersMB = 2.0 * s.e.level().width() * s.e.level().height() * 4 / 1048576;
    double pressThread = 0, begin = 0, longest = 0, windowThread = 0, seconds = 0, bytes = 0, before = 0,
           growth = 0;
    int i = 0;
    for (auto _ : state) {
        if (fill)
            s.fillAll(i % 2 == 0);
        else {
            s.e->pressInViewport(Qt::LeftButton, {}, QPointF(200 + (i * 37) % 400, 200 + (i * 23) % 300));
            s.e->releaseInViewport();
            QApplication::processEvents();
        }
        ++i;
        const qint64 written = bytesWritten();
        const QByteArray lastCopy = test::readFile(s.about());
        const double rssBefore = rssMB();
        before += rssBefore;
        resetPeak();

        const double t0 = threadMs();
        s.e->writeRecoveryCopy();
        const double t1 = threadMs();
        QElapsedTimer press;
        press.start();
        s.e->pressInViewport(Qt::LeftButton, {}, QPointF(100 + (i * 37) % 400, 100 + (i * 23) % 300));
        s.e->releaseInViewport();
        QApplication::processEvents();
        state.SetIterationTime(double(press.nsecsElapsed()) / 1e9);
        pressThread += threadMs() - t1;
        begin += t1 - t0;
        s.e->refreshNavigatorIfStale(); // the navigator's own redraw, not the copy's

        const Taken taken = takeCopy(s, lastCopy);
        longest = std::max(longest, taken.longestMs);
        windowThread += taken.threadMs;
        seconds += taken.seconds;
        bytes += double(bytesWritten() - written);
        growth = std::max(growth, peakMB() - rssBefore);
    }
    const double n = double(state.iterations());
    const double historyMB = double(s.e.level().history().bytes()) / 1048576;
    state.counters["press thread ms"] = pressThread / n;
    state.counters["copy begins ms"] = begin / n;
    state.counters["longest event thread ms"] = longest;
    state.counters["copy thread ms"] = windowThread / n;
    state.counters["copy s"] = seconds / n;
    state.counters["written MB"] = bytes / n / 1048576;
    state.counters["RSS before MB"] = before / n;
    state.counters["RSS growth MB"] = growth; // the peak while the copy is taken, over RSS before
    state.counters["layers+history MB"] = layersMB + historyMB;
}
BENCHMARK(BM_PressAfterRecoveryCopy)
    ->Args({1639, 0})
    ->Args({1639, 1})
    ->Args({8000, 0})
    ->Args({8000, 1})
    ->ArgNames({"side", "fill"})
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
