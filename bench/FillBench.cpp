// The flood fill on every kind of region a level has, beside a plain span fill of the
// same region: the open inside of an empty level, one-pixel corridors along the rows and
// along the columns, noise of 38 % and 45 % walls, and a maze. Each fills the largest
// region of the shape back and forth between two colours, at 1639 x 1119 and 8000 x 8000.
#include "core/Picture.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace vortan;

namespace {

enum class Shape { Open, RowCorridors, ColumnCorridors, Noise38, Noise45, Maze };

constexpr std::pair<Shape, const char*> kShapes[] = {{Shape::Open, "open"},
                                                     {Shape::RowCorridors, "row_corridors"},
                                                     {Shape::ColumnCorridors, "column_corridors"},
                                                     {Shape::Noise38, "noise38"},
                                                     {Shape::Noise45, "noise45"},
                                                     {Shape::Maze, "maze"}};

const uint32_t kOpen = toPixel(kBlack), kWallPixel = toPixel(kWall), kOther = toPixel(kWater);

inline uint32_t* rowOf(QImage& img, int y) {
    return reinterpret_cast<uint32_t*>(img.bits() + img.bytesPerLine() * y);
}

// The span fill as the textbooks give it: one pixel at a time, a stack of row stretches.
// Counts the pixels it paints only when asked, so that the timed fill does no more.
template <bool counting = false>
int64_t plainSpanFill(QImage& img, int x, int y, uint32_t target, uint32_t paint) {
    const int w = img.width(), h = img.height();
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto row = [&](int r) { return reinterpret_cast<uint32_t*>(bits + bpl * r); };
    if (row(y)[x] != target) return 0;
    int64_t painted = 0;
    struct Stretch {
        int x1, x2, y, dy;
    };
    static std::vector<Stretch> stack;
    stack.clear();
    stack.push_back({x, x, y, 1});
    stack.push_back({x, x, y - 1, -1});
    while (!stack.empty()) {
        Stretch s = stack.back();
        stack.pop_back();
        if (s.y < 0 || s.y >= h) continue;
        uint32_t* r = row(s.y);
        int x1 = s.x1, from = x1;
        if (r[from] == target) {
            while (from > 0 && r[from - 1] == target)
                r[--from] = paint;
            if (counting) painted += x1 - from;
            if (from < x1) stack.push_back({from, x1 - 1, s.y - s.dy, -s.dy});
        }
        while (x1 <= s.x2) {
            const int runStart = x1;
            while (x1 < w && r[x1] == target)
                r[x1++] = paint;
            if (counting) painted += x1 - runStart;
            if (x1 > from) stack.push_back({from, x1 - 1, s.y + s.dy, s.dy});
            if (x1 - 1 > s.x2) stack.push_back({s.x2 + 1, x1 - 1, s.y - s.dy, -s.dy});
            ++x1;
            while (x1 < s.x2 && r[x1] != target)
                ++x1;
            from = x1;
        }
    }
    return painted;
}

// A perfect maze of one-pixel passages between one-pixel walls, dug depth first.
void digMaze(QImage& img, std::mt19937& random) {
    const int cw = (img.width() - 1) / 2, ch = (img.height() - 1) / 2;
    if (cw <= 0 || ch <= 0) return;
    std::vector<uint8_t> dug(size_t(cw) * size_t(ch), 0);
    std::vector<int32_t> path{0};
    dug[0] = 1;
    rowOf(img, 1)[1] = kOpen;
    while (!path.empty()) {
        const int cell = path.back(), cx = cell % cw, cy = cell / cw;
        int next[4], n = 0;
        if (cx > 0 && !dug[size_t(cell - 1)]) next[n++] = cell - 1;
        if (cx + 1 < cw && !dug[size_t(cell + 1)]) next[n++] = cell + 1;
        if (cy > 0 && !dug[size_t(cell - cw)]) next[n++] = cell - cw;
        if (cy + 1 < ch && !dug[size_t(cell + cw)]) next[n++] = cell + cw;
        if (n == 0) {
            path.pop_back();
            continue;
        }
        const int to = next[random() % unsigned(n)], tx = to % cw, ty = to / cw;
        dug[size_t(to)] = 1;
        rowOf(img, 1 + cy + ty)[1 + cx + tx] = kOpen; // the wall between the two cells
        rowOf(img, 1 + 2 * ty)[1 + 2 * tx] = kOpen;
        path.push_back(to);
    }
}

QImage makeShape(Shape shape, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    std::mt19937 random(18);
    switch (shape) {
    case Shape::Open:
        img.fill(kOpen);
        break;
    case Shape::RowCorridors:
    case Shape::ColumnCorridors: {
        // Every other line open, joined alternately at either end.
        const bool rows = shape == Shape::RowCorridors;
        const int across = rows ? h : w, along = rows ? w : h;
        img.fill(kWallPixel);
        auto open = [&](int a, int b) { rowOf(img, rows ? a : b)[rows ? b : a] = kOpen; };
        for (int a = 0; a < across; a += 2) {
            for (int b = 0; b < along; ++b)
                open(a, b);
            if (a + 2 < across) open(a + 1, (a / 2) % 2 == 0 ? along - 1 : 0);
        }
        break;
    }
    case Shape::Noise38:
    case Shape::Noise45: {
        const uint32_t walls = shape == Shape::Noise38 ? 38 : 45;
        for (int y = 0; y < h; ++y) {
            uint32_t* row = rowOf(img, y);
            for (int x = 0; x < w; ++x)
                row[x] = random() % 100 < walls ? kWallPixel : kOpen;
        }
        break;
    }
    case Shape::Maze:
        img.fill(kWallPixel);
        digMaze(img, random);
        break;
    }
    return img;
}

// A shape with the start of its largest open region and that region's size.
struct Region {
    Shape shape;
    QSize size;
    Picture picture;
    QPoint start;
    int64_t pixels = 0;
};

// Each region is marked in turn and counted; all go back to open afterwards.
void findLargestRegion(Region& r) {
    QImage& img = r.picture.pixels();
    const uint32_t mark = toPixel(kExplosive);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (rowOf(img, y)[x] != kOpen) continue;
            const int64_t count = plainSpanFill<true>(img, x, y, kOpen, mark);
            if (count > r.pixels) {
                r.pixels = count;
                r.start = {x, y};
            }
        }
    for (int y = 0; y < img.height(); ++y) {
        uint32_t* row = rowOf(img, y);
        for (int x = 0; x < img.width(); ++x)
            if (row[x] == mark) row[x] = kOpen;
    }
}

// The last shape made, kept for the next fill of the same shape: the 8000 x 8000 ones
// take seconds to make.
Region& regionOf(Shape shape, QSize size) {
    static std::unique_ptr<Region> kept;
    if (!kept || kept->shape != shape || kept->size != size) {
        kept.reset();
        kept = std::make_unique<Region>(Region{shape, size, Picture(), {}, 0});
        kept->picture.takePixels(makeShape(shape, size.width(), size.height()));
        findLargestRegion(*kept);
    }
    return *kept;
}

void fillRegion(benchmark::State& state, Shape shape, QSize size, bool ours) {
    Region& r = regionOf(shape, size);
    uint32_t current = kOpen, next = kOther;
    for (auto _ : state) {
        if (ours)
            floodFill(r.picture, r.start.x(), r.start.y(), fromPixel(current), fromPixel(next));
        else
            plainSpanFill(r.picture.pixels(), r.start.x(), r.start.y(), current, next);
        std::swap(current, next);
    }
    if (current != kOpen) { // back to open for the next fill
        plainSpanFill(r.picture.pixels(), r.start.x(), r.start.y(), current, kOpen);
    }
    state.SetItemsProcessed(state.iterations() * r.pixels);
    state.counters["region Mpx"] = double(r.pixels) / 1e6;
}

const bool registered = [] {
    for (const QSize size : {QSize(1639, 1119), QSize(8000, 8000)})
        for (const auto& entry : kShapes)
            for (const bool ours : {true, false}) {
                const auto shape =
                    entry.first; // a copy: lambdas may not capture a structured binding in clang 14
                const auto name = entry.second;
                const std::string title = std::string("BM_Fill/") + name + "/" +
                                          std::to_string(size.width()) + (ours ? "/ours" : "/span_fill");
                benchmark::RegisterBenchmark(title.c_str(), [=](benchmark::State& s) {
                    fillRegion(s, shape, size, ours);
                })->Unit(benchmark::kMillisecond);
            }
    return true;
}();

} // namespace
