#include "support/ImageCompare.h"
#include "support/ScriptedRandom.h"
#include "support/TestEditor.h"

#include <cmath>

using namespace vortan;
using namespace vortan::test;

namespace {

enum class Wall { Top, Bottom, Left, Right };
using Pair = std::pair<float, float>;
constexpr Pair kSteady{0.5f, 0.5f};

// The draws of one cave in the order the generator takes them.
struct Cave {
    int w = 640, h = 480;
    std::deque<float> name{0.0f, 0.0f}; // Magnificent Castle
    float rough = 0.375f;               // walls step by at most 2 pixels
    // The two draws of each step of each wall's walk (column or row i).
    std::function<Pair(Wall, int i)> step = [](Wall, int) { return kSteady; };
    std::deque<float> rocks{0.0f}; // none
    std::deque<float> water{0.0f}; // none

    std::deque<float> draws() const {
        std::deque<float> d{float((w - 640 + 0.5) / 1000), float((h - 480 + 0.5) / 640)};
        d.insert(d.end(), name.begin(), name.end());
        d.push_back(rough);
        auto add = [&](Pair p) {
            d.push_back(p.first);
            d.push_back(p.second);
        };
        for (int x = 0; x <= w; ++x) {
            add(step(Wall::Top, x));
            add(step(Wall::Bottom, x));
        }
        for (int y = 0; y <= h; ++y) {
            add(step(Wall::Left, y));
            add(step(Wall::Right, y));
        }
        d.insert(d.end(), rocks.begin(), rocks.end());
        d.insert(d.end(), water.begin(), water.end());
        return d;
    }
};

// Runs the Random command on these draws; every draw must be used.
ScriptedRandom* generate(TestEditor& e, const Cave& cave) {
    auto* r = new ScriptedRandom(cave.draws());
    e->random.reset(r);
    e->Command3_Click();
    EXPECT_TRUE(r->draws.empty()) << r->draws.size() << " draws left over";
    return r;
}

// Draws a 640 x 480 cave with steady walls makes: 2 size, 2 name, 1 roughness,
// 4 per column (641) and 4 per row (481).
constexpr int kSteadyCaveDraws = 2 + 2 + 1 + 4 * 641 + 4 * 481;

// The steady walls of a 640 x 480 cave: 30 rows of ceiling, 29 of floor, 40 columns
// on the left, 39 on the right (a walk from the edge itself draws one pixel less).
bool steadyWall(int x, int y) {
    return y < 30 || y > 450 || x < 40 || x > 600;
}

constexpr Colour kRockColour = RGB(55, 100, 120);

// Both layers: walls and rocks where `solid` says, water where `water` says.
void expectLayers(TestEditor& e, const std::function<bool(int, int)>& solid,
                  const std::function<bool(int, int)>& water, Colour colour = kRockColour) {
    EXPECT_TRUE(pixelsAre(e->Level[0], [&](int x, int y) {
        return solid(x, y) ? colour : water(x, y) ? kWater : kBlack;
    })) << "colour layer";
    EXPECT_TRUE(pixelsAre(e->Level[1], [&](int x, int y) {
        return solid(x, y) ? kWall : water(x, y) ? kWater : kBlack;
    })) << "material map";
}

const auto kDry = [](int, int) { return false; };

// The top wall's height in column x of a layer: the first row not of colour c.
int ceilingAt(const PictureSurface& s, int x, Colour c) {
    int y = 0;
    while (y < s.ScaleHeight() && Colour(s.Point(float(x), float(y))) == c)
        ++y;
    return y;
}

} // namespace

TEST(RandomLevel, LargestLevelWallsStartFromTheSixteenthOfItsSize) {
    TestEditor e;
    Cave cave;
    cave.w = 1639;
    cave.h = 1119;
    cave.rough = 0.125f; // rough = 1: a step is the difference of its two draws
    // One first step on each wall, then none: the first step shows whether the walk
    // began from the rounded or the unrounded sixteenth.
    cave.step = [](Wall wall, int i) {
        if (i != 0) return kSteady;
        switch (wall) {
        case Wall::Top:
            return Pair{0.78f, 0.25f}; // 70 + 0.53 = 71; 69.9375 + 0.53 would stay 70
        case Wall::Bottom:
            return Pair{0.25f, 0.7f}; // 69.9375 - 0.45 = 69; 70 - 0.45 would stay 70
        case Wall::Left:
            return Pair{0.5f, 0.25f}; // 102 + 0.25 = 102
        default:
            return Pair{0.5f, 0.25f}; // 102.4375 + 0.25 = 103
        }
    };
    ScriptedRandom* r = generate(e, cave);
    EXPECT_EQ(r->drawn, 2 + 2 + 1 + 4 * 1640 + 4 * 1120 + 1 + 1);

    ASSERT_EQ(e->Level[0].ScaleWidth(), 1639);
    ASSERT_EQ(e->Level[0].ScaleHeight(), 1119);
    ASSERT_EQ(e->Level[1].ScaleWidth(), 1639);
    ASSERT_EQ(e->Level[1].ScaleHeight(), 1119);
    EXPECT_EQ(e->xRes, 1639);
    EXPECT_EQ(e->yRes, 1119);
    // Ceiling 71 rows, floor 68 (row 1119 lies outside), left 102 columns, right 102.
    expectLayers(
        e, [](int x, int y) { return y <= 70 || y >= 1051 || x <= 101 || x >= 1537; }, kDry);
}

TEST(RandomLevel, WallThicknessStepsByRoundedDifferencesAndStopsAtZero) {
    TestEditor e;
    Cave cave; // rough = 2: a difference of -0.75 is a step of -1.5
    cave.step = [](Wall wall, int x) {
        if (wall != Wall::Top || x < 100 || x > 140) return kSteady;
        return x <= 115 ? Pair{0.125f, 0.875f} : Pair{0.875f, 0.125f};
    };
    generate(e, cave);

    // From 30 down by 1.5 with ties to even: 28.5 gives 28, 26.5 gives 26, ... 0 at
    // column 114; -1.5 again stays at 0; then up from 0: 1.5 gives 2, 3.5 gives 4, ...
    // The frame covers the first 17 rows whatever the walk does.
    const std::pair<int, int> heights[] = {{99, 30},  {100, 28}, {101, 26}, {105, 18}, {106, 17}, {115, 17},
                                           {123, 17}, {124, 18}, {125, 20}, {140, 50}, {141, 50}, {400, 50}};
    for (const auto& [x, height] : heights) {
        EXPECT_EQ(ceilingAt(e->Level[0], x, kRockColour), height) << "colour layer, column " << x;
        EXPECT_EQ(ceilingAt(e->Level[1], x, kWall), height) << "material map, column " << x;
    }
}

TEST(RandomLevel, RocksAreDrawnOnlyWhenTheirDrawSaysSo) {
    {
        // Roughness 2.9: no rocks, but the water is still decided.
        TestEditor e;
        Cave cave;
        cave.rocks = {0.29f};
        ScriptedRandom* r = generate(e, cave);
        EXPECT_EQ(r->drawn, kSteadyCaveDraws + 1 + 1);
        expectLayers(e, steadyWall, kDry);
    }
    {
        // Rocks, but round(0.01 * 25) = 0 of them: no draws for places or sizes.
        TestEditor e;
        Cave cave;
        cave.rocks = {0.5f, 0.01f};
        ScriptedRandom* r = generate(e, cave);
        EXPECT_EQ(r->drawn, kSteadyCaveDraws + 2 + 1);
        expectLayers(e, steadyWall, kDry);
    }
}

TEST(RandomLevel, RocksAreSolidDiscsInBothLayersAndMayPassTheEdge) {
    TestEditor e;
    Cave cave;
    // Two rocks: at (320, 240) with radius 60, and at (64, 432) with radius 50, which
    // reaches into the left wall and past the bottom edge.
    cave.rocks = {0.5f, 0.08f, 0.5f, 0.5f, 0.5f, 0.1f, 0.9f, 0.25f};
    ScriptedRandom* r = generate(e, cave);
    EXPECT_EQ(r->drawn, kSteadyCaveDraws + 2 + 6 + 1);
    auto disc = [](int x, int y, int cx, int cy, int radius) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
    expectLayers(
        e,
        [&](int x, int y) { return steadyWall(x, y) || disc(x, y, 320, 240, 60) || disc(x, y, 64, 432, 50); },
        kDry);
}

namespace {

// Water decided, line at round(430 - 0.5 * 150) = 355, pool column round(sx * 640).
std::deque<float> poolAt(float sx) {
    return {0.6f, 0.5f, sx};
}

// Below the water line of a steady cave.
bool belowLine(int x, int y) {
    return !steadyWall(x, y) && y >= 356;
}

// A rock at (320, 420) with radius 78.75 that stands on the floor and rises above the
// water line, cutting the space below it in two.
const std::deque<float> kRockOnTheFloor{0.5f, 0.04f, 0.5f, 0.875f, 0.96875f};
bool rockOnTheFloor(int x, int y) {
    return (x - 320) * (x - 320) + (y - 420) * (y - 420) <= 78.75 * 78.75;
}

} // namespace

TEST(RandomLevel, PoolFillsFromTheFloorToTheRowBelowTheWaterLine) {
    TestEditor e;
    Cave cave;
    cave.water = poolAt(0.5f);
    ScriptedRandom* r = generate(e, cave);
    EXPECT_EQ(r->drawn, kSteadyCaveDraws + 1 + 3);
    // Rows 356 to 450 are water; the closed row 355 is empty again in both layers.
    expectLayers(e, steadyWall, belowLine);
}

TEST(RandomLevel, PoolFillsOnlyTheHollowOfItsColumn) {
    TestEditor e;
    Cave cave;
    cave.rocks = kRockOnTheFloor;
    cave.water = poolAt(0.25f); // column 160, left of the rock
    generate(e, cave);
    expectLayers(
        e, [](int x, int y) { return steadyWall(x, y) || rockOnTheFloor(x, y); },
        [](int x, int y) { return belowLine(x, y) && x < 320; });
}

TEST(RandomLevel, NoPoolWhenItsColumnIsSolidAndTheWaterLineIsOpenedAgain) {
    TestEditor e;
    Cave cave;
    cave.rocks = kRockOnTheFloor;
    cave.water = poolAt(0.5f); // column 320: rock from the floor to above row 355
    generate(e, cave);
    expectLayers(
        e, [](int x, int y) { return steadyWall(x, y) || rockOnTheFloor(x, y); }, kDry);
}

TEST(RandomLevel, WallsInTheWaterColourKeepTheirPixelsOnTheWaterLine) {
    TestEditor e;
    e->currentColour = kWater;
    Cave cave;
    cave.water = poolAt(0.5f);
    generate(e, cave);
    // The water line crosses the left and right walls: they stay blue in the colour
    // layer, as they stay Wall in the map.
    expectLayers(e, steadyWall, belowLine, kWater);
}

TEST(RandomLevel, NewLevelIsNamedShownInTheLevelViewAndUnsaved) {
    TestEditor e;
    e->vPort_Click(2);
    e->viewPortXoff = 40;
    e->unsavedChanges = false;
    e->navigatorStale = false;
    Cave cave;
    cave.w = 700;
    cave.h = 500;
    cave.name = {0.4f, 0.99f, 0.1f, 0.7f}; // the empty noun: both words again
    generate(e, cave);

    EXPECT_EQ(e->xRes, 700);
    EXPECT_EQ(e->yRes, 500);
    EXPECT_EQ(e->levelName, "Terrific Dreamspace");
    EXPECT_EQ(e->controls.title, "VORTAN Level Editor 1.0 - Terrific Dreamspace");
    EXPECT_EQ(e->controls.viewOption, 0);
    EXPECT_EQ(e->layerIndex, 0);
    EXPECT_TRUE(e->controls.viewPortVisible);
    EXPECT_FALSE(e->controls.thumbNailVisible);
    EXPECT_EQ(e->viewPortXoff, 0);
    EXPECT_EQ(e->viewPortYoff, 0);
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->navigatorStale);
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_FALSE(e->controls.busy);
    EXPECT_TRUE(e.ui.messages.empty());
}

TEST(RandomLevel, CancelAtTheSaveQuestionKeepsLevelNameAndView) {
    TestEditor e;
    e->vPort_Click(1);
    e->Level[0].PSet(100, 100, RGB(1, 2, 3));
    e->Level[1].PSet(100, 100, kWater);
    e->levelName = "Castle";
    e->unsavedChanges = true;
    const QImage colour = e->Level[0].Image().copy(), map = e->Level[1].Image().copy();
    const int32_t w = e->xRes, h = e->yRes;
    auto* r = new ScriptedRandom();
    e->random.reset(r);
    e.ui.answers = {MsgAnswer::Cancel};

    e->Command3_Click();

    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0].title, "Unsaved work... ");
    EXPECT_EQ(r->drawn, 0);
    EXPECT_TRUE(sameImage(colour, e->Level[0].Image()));
    EXPECT_TRUE(sameImage(map, e->Level[1].Image()));
    EXPECT_EQ(e->xRes, w);
    EXPECT_EQ(e->yRes, h);
    EXPECT_EQ(e->levelName, "Castle");
    EXPECT_EQ(e->controls.viewOption, 1);
    EXPECT_EQ(e->layerIndex, 1);
    EXPECT_TRUE(e->unsavedChanges);
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_FALSE(e->controls.busy);
}

TEST(RandomLevel, ASecondRandomWhileOneRunsIsRefused) {
    TestEditor e;
    int inner = 0;
    e->yieldHook = [&] {
        if (inner++ == 0) e->Command3_Click(); // would run out of draws if it started
    };
    Cave cave;
    ScriptedRandom* r = generate(e, cave);
    EXPECT_GT(inner, 0);
    EXPECT_EQ(r->drawn, kSteadyCaveDraws + 2);
    expectLayers(e, steadyWall, kDry);
}
