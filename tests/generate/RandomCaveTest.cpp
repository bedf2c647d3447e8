#include "generate/RandomCave.h"
#include "support/ImageCompare.h"
#include "support/ScriptedRandom.h"

using namespace vortan::test;

using Pair = std::pair<float, float>;
using Region = std::function<bool(int x, int y)>;
const Region dry = [](int, int) { return false; };

// A cave, both sides from `size`, walls steady but for the first step of each wall (top, bottom, left,
// right); then rocks and water. Every draw is taken, no other. `opened`: black in the colour layer, wall in
// the map.
static void expectCave(float size, const std::array<Pair, 4>& first, const std::deque<float>& rocks,
                       const std::deque<float>& water, const Region& solid, const Region& wet,
                       Colour wall = kStart, const Region& opened = dry) {
    ScriptedRandom random;
    random.draws = {size, size, 0.125f};
    const QSize s = randomCaveSize(random);
    for (int i = 0; i <= s.width() + s.height() + 1; ++i)
        for (int side : {0, 1}) {
            const bool rows = i > s.width(), firstStep = i == 0 || i == s.width() + 1;
            const Pair p = firstStep ? first[size_t(side + 2 * rows)] : Pair{};
            random.draws.insert(random.draws.end(), {p.first, p.second});
        }
    random.draws.insert(random.draws.end(), rocks.begin(), rocks.end());
    random.draws.insert(random.draws.end(), water.begin(), water.end());
    const int scripted = random.drawn + int(random.draws.size());
    LevelDocument level;
    level.makeEmpty(s.width(), s.height(), wall);
    drawRandomCave(level, random, wall);
    EXPECT_EQ(random.drawn, scripted);
    const Colour walls[] = {wall, kWall}; // in the colour layer, in the map
    for (int layer : {0, 1})
        EXPECT_TRUE(pixelsAre(level.layer(layer), [&](int x, int y) {
            if (layer == 0 && opened(x, y)) return kBlack;
            return solid(x, y) ? walls[layer] : wet(x, y) ? kWater : kBlack;
        }));
}

// Steady walls of a 640 x 480 cave: 30 rows of ceiling, 29 of floor, 40 columns on the
// left, 39 on the right (a walk from the far edge itself draws one pixel less).
const Region steadyWall = [](int x, int y) { return y < 30 || y > 450 || x < 40 || x > 600; };

TEST(RandomCave, WallsRocksAndThePoolFollowTheirDraws) {
    // 1639 x 1119, the largest: its walls start from a sixteenth of its size. Ceiling 70 + 0.53
    // gives 71 rows, floor 69.9375 - 0.45 gives 69 (row 1119 lies outside), left 102 + 0.5
    // gives 102 columns, right 102.4375 + 0.25 gives 103.
    expectCave(
        0.99999994f, {{{0.78f, 0.25f}, {0.25f, 0.7f}, {0.75f, 0.25f}, {0.5f, 0.25f}}}, {0}, {0},
        [](int x, int y) { return y <= 70 || y >= 1051 || x <= 101 || x >= 1537; }, dry);
    // The water line is round(430 - 0.5 * 150) = 355, open again after the fill.
    const Region belowLine = [](int x, int y) { return !steadyWall(x, y) && y > 355; };
    const Region twoRocks = [&](int x, int y) { // the second reaches past the edge
        return steadyWall(x, y) || inDisc(x, y, 60, 320, 240) || inDisc(x, y, 50, 64, 432);
    };
    const std::tuple<std::deque<float>, std::deque<float>, Region, Region> rows[] = {
        {{0.29f}, {0}, steadyWall, dry},       // 2.9: no rocks
        {{0.5f, 0.01f}, {0}, steadyWall, dry}, // rocks, but round(0.25) of them
        {{0.5f, 0.08f, 0.5f, 0.5f, 0.5f, 0.1f, 0.9f, 0.25f}, {0}, twoRocks, dry},
        {{0}, {0.5f}, steadyWall, dry}, // 5: no pool
        {{0}, {0.6f, 0.5f, 0.5f}, steadyWall, belowLine},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        expectCave(0, {}, std::get<0>(row), std::get<1>(row), std::get<2>(row), std::get<3>(row));
    }
    // Walls of the water's own colour open with the water line in the colour layer, all 79
    // of its wall pixels; the map keeps them.
    expectCave(0, {}, {0}, {0.6f, 0.5f, 0.5f}, steadyWall, belowLine, kWater,
               [](int x, int y) { return y == 355 && steadyWall(x, y); });
}
