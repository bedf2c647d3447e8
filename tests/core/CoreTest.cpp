#include "core/Layout.h"
#include "core/LevelDocument.h"
#include "core/Numbers.h"
#include "support/ImageCompare.h"

#include <deque>
#include <random>

using namespace vortan::test;

constexpr Colour kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);

// The pixels (x, y) each line sets on 8 x 8, which at (-3, -3) on 4 x 4 are cut the same.
TEST(Picture, LinesLeaveTheirEndOutDiscsRoundTheirCentreAndBothAreCut) {
    // clang-format off
    const float ends[][4] = {{0, 0, 3, 0}, {3, 1, 0, 1}, {1, 0, 1, 3}, {2, 3, 2, 0}, {0, 0, 5, 5}, {0, 0, 2, 6},
                             {6, 7, 0, 1}, {7, 2, 1, 0}, {2, 2, 2, 2}, {1.2f, 2, 0.8f, 2}, {2.5f, 0.5f, 5.5f, 0.5f},
                             {7, 8, 7, 5}, {-9, 3, 9, 7}, {5, -10, 0, 11}, {0, 0, 4, 1}};
    const char* pixels[] = {"001020", "312111", "101112", "232221", "0011223344", "000112131425", "675645342312",
                            "726251413120", "", "", "20304050", "7776", "0515253646566677",
                            "3021222324151617", "00102131"};
    // clang-format on
    for (int i = 0; i < 15; ++i) {
        const auto [x1, y1, x2, y2] = ends[i];
        Picture p(8, 8), want(8, 8), cut(4, 4);
        p.drawLine(x1, y1, x2, y2, kRed);
        cut.drawLine(x1 - 3, y1 - 3, x2 - 3, y2 - 3, kRed);
        for (const char* at = pixels[i]; *at; at += 2)
            want.setPixel(at[0] - '0', at[1] - '0', kRed);
        EXPECT_TRUE(sameImage(want.image(), p.image()) && sameImage(p.image().copy(3, 3, 4, 4), cut.image()))
            << i;
    }
    // Discs: the pixels within the radius of the centre rounded ties to even; the 85-pixel brush's row 42.
    const float cases[][4] = {{85, 42.5f, 42.5f, 20}, {85, 42.5f, 42.5f, 34}, {10, 1, 2, 5},
                              {30, 14, 15, 9.5f},     {10, 5, 5, 1e6f},       {10, -20, 5, 8},
                              {10, 5, 1e9f, 8},       {10, 9.5f, 3.5f, 3}};
    for (const auto& [size, x0, y0, r] : cases) {
        Picture p(static_cast<int>(size), static_cast<int>(size));
        p.fillDisc(x0, y0, r, kRed);
        const double a = std::nearbyint(x0), b = std::nearbyint(y0), rr = double(r) * r; // centre (a, b)
        auto disc = [&](int x, int y) { return (x - a) * (x - a) + (y - b) * (y - b) <= rr ? kRed : kBlack; };
        EXPECT_TRUE(pixelsAre(p, disc)) << x0 << " " << r;
    }
}

TEST(Picture, FloodFillRefusesAStartOutsideTheRegionAndFollowsAMillionPixelPath) {
    // A start not of the region's colour or off the picture, nothing to change, no colour.
    Picture p(5, 3, kGreen), white(3, 3, kWhite);
    EXPECT_FALSE(floodFill(p, 0, 0, kRed, kBlue) || floodFill(p, -1, 0, kGreen, kBlue) ||
                 floodFill(p, 5, 0, kGreen, kBlue) || floodFill(p, 0, 3, kGreen, kBlue) ||
                 floodFill(p, 0, 0, kGreen, kGreen) || floodFill(white, 1, 1, kNoColour, kBlue));
    EXPECT_EQ(p.pixelAt(-1, 0) & p.pixelAt(0, -1) & p.pixelAt(5, 0) & p.pixelAt(0, 3), kNoColour);

    // A one-pixel path through a million pixels, columns (or rows) joined at alternate ends:
    // followed without running out of stack.
    for (bool vertical : {true, false}) {
        const int along = vertical ? 1000 : 500, across = vertical ? 1999 : 3999;
        auto onPath = [&](int x, int y) {
            const int a = vertical ? x : y, b = vertical ? y : x;
            return a % 2 == 0 || b == (a / 2 % 2 == 0 ? along - 1 : 0);
        };
        Picture maze = pictureOf(imageFrom(vertical ? across : along, vertical ? along : across,
                                           [&](int x, int y) { return onPath(x, y) ? kBlack : kRed; }));
        EXPECT_TRUE(floodFill(maze, 0, 0, kBlack, kBlue));
        EXPECT_TRUE(pixelsAre(maze, [&](int x, int y) { return onPath(x, y) ? kBlue : kRed; }));
    }
}

// The region a plain breadth-first fill paints from (x0, y0), for comparing fills with.
static QImage filledByPlainFill(const Picture& picture, int x0, int y0, uint32_t paint) {
    QImage expected = picture.image().copy();
    const uint32_t region = expected.pixel(x0, y0);
    std::deque<std::pair<int, int>> queue{{x0, y0}};
    for (expected.setPixel(x0, y0, paint); !queue.empty(); queue.pop_front())
        for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
            const int x = queue.front().first + dx, y = queue.front().second + dy;
            if (!expected.valid(x, y) || expected.pixel(x, y) != region) continue;
            expected.setPixel(x, y, paint);
            queue.push_back({x, y});
        }
    return expected;
}

// Hears what a fill announces: every pixel it changes must have been announced first, or undo would miss it;
// and only runs of the region's colour, which the history takes without reading them.
struct Announced : Picture::Watcher {
    QImage before;
    uint32_t region = 0;
    std::vector<QRect> areas;
    Announced(QImage shape, uint32_t colour) : before(std::move(shape)), region(colour) {}
    void aboutToChange(const Picture& picture, const QRect& area) override {
        EXPECT_FALSE(area.isEmpty());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (picture.image().pixel(x, y) != before.pixel(x, y) || before.pixel(x, y) != region) {
                    ADD_FAILURE() << "(" << x << ", " << y << ") changed unannounced, or is not the region";
                    return;
                }
        areas.push_back(area);
    }
    bool covers(int x, int y) const {
        return std::any_of(areas.begin(), areas.end(), [&](const QRect& a) { return a.contains(x, y); });
    }
};

// Mazes of one-pixel passages dug depth first, some walls knocked through, and noise from sparse to dense:
// filled, watched or not, as a plain fill does; a watched picture hears of each pixel before it changes.
TEST(Picture, FloodFillOfMazesAndNoiseMatchesAPlainFillAndAnnouncesEveryChange) {
    std::mt19937 random(18);
    for (int round = 0; round < 240; ++round) {
        const int w = 2 + int(random() % 120), h = 2 + int(random() % 70);
        Picture shape(w, h, kRed);
        if (round % 2 == 0) {
            const int cw = (w - 1) / 2, ch = (h - 1) / 2;
            std::vector<bool> dug(size_t(std::max(cw * ch, 1)));
            std::vector<int> path;
            if (cw > 0 && ch > 0) path.push_back(0), dug[0] = true, shape.setPixel(1, 1, kBlack);
            while (!path.empty()) {
                const int cell = path.back(), cx = cell % cw, cy = cell / cw;
                std::vector<int> next;
                for (const int to : {cell - 1, cell + 1, cell - cw, cell + cw})
                    if (to >= 0 && to < cw * ch && (to / cw == cy || to % cw == cx) && !dug[size_t(to)])
                        next.push_back(to);
                if (next.empty()) {
                    path.pop_back();
                    continue;
                }
                const int to = next[random() % next.size()];
                shape.setPixel(1 + cx + to % cw, 1 + cy + to / cw, kBlack);
                shape.setPixel(1 + 2 * (to % cw), 1 + 2 * (to / cw), kBlack);
                path.push_back(to), dug[size_t(to)] = true;
            }
            for (int i = int(random() % 8); i > 0; --i)
                shape.setPixel(int(random() % unsigned(w)), int(random() % unsigned(h)), kBlack);
        } else {
            const int walls = int(random() % 70);
            const Colour walled[] = {kGreen, kRed};
            for (int i = 0; i < w * h; ++i)
                shape.setPixel(i % w, i / w, int(random() % 100) >= walls ? kBlack : walled[random() % 2]);
        }
        const int x0 = int(random() % unsigned(w)), y0 = int(random() % unsigned(h));
        const Colour region = shape.pixelAt(x0, y0);
        const QImage expected = filledByPlainFill(shape, x0, y0, toPixel(kBlue));
        Picture plain = pictureOf(shape.image().copy()), watched = pictureOf(shape.image().copy());
        Announced heard(shape.image(), toPixel(region));
        watched.setWatcher(&heard);
        EXPECT_TRUE(floodFill(plain, x0, y0, region, kBlue) && floodFill(watched, x0, y0, region, kBlue));
        ASSERT_TRUE(sameImage(expected, plain.image())) << "round " << round;
        ASSERT_TRUE(sameImage(expected, watched.image())) << "round " << round;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_TRUE(expected.pixel(x, y) == shape.image().pixel(x, y) || heard.covers(x, y))
                    << "round " << round << " (" << x << ", " << y << ")";
    }
}

// The frame: 17 pixels top and left, 16 bottom and right. The other layer follows a resize.
TEST(LevelDocument, AnEmptyLevelIsBlackInsideItsWallFrame) {
    for (const QSize size : {QSize(100, 50), QSize(33, 40), QSize(34, 34)}) {
        const int w = size.width(), h = size.height();
        LevelDocument level;
        level.makeEmpty(w, h, kGreen);
        auto frame = [&](int x, int y) { return x <= 16 || y <= 16 || x >= w - 16 || y >= h - 16; };
        EXPECT_TRUE(pixelsAre(level.layer(0), [&](int x, int y) { return frame(x, y) ? kGreen : kBlack; }));
        EXPECT_TRUE(pixelsAre(level.layer(1), [&](int x, int y) { return frame(x, y) ? kWall : kBlack; }));
        const QImage map = level.layer(1).image().copy();
        // Corners in either order, cut at the edges.
        level.draw([&](Picture&, Picture& m) { m.fillRect(float(w), float(h), 0, 0, kWater); });
        EXPECT_TRUE(pixelsAre(level.layer(1), [](int, int) { return kWater; }));
        level.loadLayer(LevelDocument::kMaterialMap, map);
        level.loadLayer(LevelDocument::kColourLayer, filledImage(w + 5, 2, kWhite));
        level.matchSizeTo(LevelDocument::kColourLayer);
        EXPECT_TRUE(sameImage(map.copy(0, 0, w + 5, 2), level.layer(1).image()));
    }
}

// Each change of the layers is announced with its area; the unsaved state follows edits and undo, not
// Level -> Map, the wall frame or Backspace.
TEST(LevelDocument, AnnouncesWhatChanged) {
    LevelDocument level;
    level.makeEmpty(300, 200, kGreen);
    std::vector<QRect> areas;
    std::vector<bool> modified;
    QObject::connect(&level, &LevelDocument::areaChanged, [&](QRect a) { areas.push_back(a); });
    QObject::connect(&level, &LevelDocument::modifiedChanged, [&](bool m) { modified.push_back(m); });
    Picture mask(5, 5, kBlack), brush(5, 5, kWhite);
    level.history().mark();
    level.history().begin("Paint");
    level.stamp({-2, 10}, mask, &brush, &brush); // cut at the edge
    // Where only the material brush lays something in, that too is stamped and announced.
    Picture keep(5, 5, kWhite), none(5, 5, kBlack), material(5, 5, kBlack);
    material.setPixel(4, 4, kWater);
    level.stamp({100, 100}, keep, &none, &material);
    EXPECT_EQ(std::pair(level.materialMap().pixelAt(104, 104), areas.back()),
              std::pair(kWater, QRect(104, 104, 1, 1)));
    areas.pop_back();
    level.setPixels({299, 199}, kWhite, kWater);
    level.setPixels({300, 0}, kWhite, kWater); // off the level: nothing to announce
    level.history().end();
    EXPECT_EQ(areas, (std::vector<QRect>{{0, 10, 3, 5}, {299, 199, 1, 1}}));
    level.history().begin("Fill");
    EXPECT_TRUE(level.fill({150, 100}, kWhite, kWater, false));
    EXPECT_FALSE(level.fill({150, 100}, kWhite, kWater, false)); // its own colours: nothing changes
    level.history().end();
    EXPECT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas.back(), QRect(17, 17, 267, 167)); // the inside of the frame
    level.setModified(false);
    areas.clear();
    level.undo();
    EXPECT_EQ(areas, (std::vector<QRect>{{0, 0, 300, 192}})); // the 64 x 64 tiles the step held
    EXPECT_TRUE(level.isModified());
    level.setModified(false);
    for (const auto& edit : std::initializer_list<std::function<void()>>{
             [&] { level.convertColourToMap({}); }, [&] { level.closeMapWithFrame(); },
             [&] { level.backToMark(); }, [&] { level.fill(QPoint(150, 100), kBlack, kBlack, false); }}) {
        edit();
        EXPECT_FALSE(level.isModified());
    }
    EXPECT_EQ(modified, (std::vector<bool>{true, false, true, false}));
    QSize size;
    QObject::connect(&level, &LevelDocument::sizeChanged, [&](QSize s) { size = s; });
    level.loadLayer(LevelDocument::kColourLayer, filledImage(40, 30, kWhite));
    EXPECT_EQ(std::pair(size, areas.back()), std::pair(QSize(40, 30), QRect(0, 0, 40, 30)));
}

TEST(Layout, RoundingTiesToEvenTheViewportAndTheNavigator) {
    // clang-format off
    const std::pair<double, int32_t> rounded[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {2.51, 3}, {-1.49, -1},
                                                  {3e9, INT32_MAX}, {-3e9, INT32_MIN}, {NAN, 0}};
    // The level's outer size, level pixels per navigator pixel (num / den), the outer height.
    const int navigators[][5] = {{812, 673, 808, 101, 86}, {825, 673, 821, 101, 85}, {206, 5, 2, 1, 4}, {206, 7, 2, 1, 6},
                                 {206, 8189, 2, 1, 4096}, {105, 4095, 4095, 4094, 4096}, {5, 20004, 20004, 4094, 4096},
                                 {4, 5, 0, 1, 2}};
    // clang-format on
    for (auto [value, result] : rounded)
        EXPECT_EQ(roundHalfEven(value), result) << value;
    for (const auto& [w, h, num, den, outer] : navigators) {
        const NavigatorGeometry g = navigatorGeometry(QSize(w, h));
        EXPECT_TRUE(g.scale == float(num) / den && g.outerHeight == outer) << w << "x" << h;
    }
    // The window less its margin of 2000 and 800 fifteenths, never past the layer nor below 10.
    EXPECT_TRUE(viewportOuterSize({900, 700}, {825, 673}) == QSize(767, 647) &&
                viewportOuterSize({900, 0}, {600, 673}) == QSize(600, 1));
}
