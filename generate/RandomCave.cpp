#include "generate/RandomCave.h"
#include "core/Numbers.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vortan {

QSize randomCaveSize(RandomSource& random) {
    // In double, so that a draw just below 1 cannot round up to one pixel past the range.
    const int w = int(std::floor(double(random.rnd()) * 1000 + 640));
    const int h = int(std::floor(double(random.rnd()) * 640 + 480));
    return {w, h};
}

namespace {

void drawCave(Picture& colour, Picture& map, RandomSource& random, Colour wallColour) {
    const int32_t w = colour.width(), h = colour.height();
    const float fw = float(w), fh = float(h);

    // How rough the walls are: the largest step of a wall's thickness from one column
    // (or row) to the next.
    double rough = double(random.rnd()) * 4 + 0.5;
    // One step of a wall's walk: the difference of two draws, taken in this order and
    // in single precision, so that a scripted source walks the wall it is meant to.
    auto walk = [&](double thickness) {
        const float first = random.rnd();
        const float second = random.rnd();
        const float difference = first - second;
        return std::max(roundHalfEven(thickness + double(difference) * rough), 0);
    };

    // Ceiling and floor. The floor's walk starts from the unrounded sixteenth.
    double top = roundHalfEven(h / 16.0);
    double bottom = h / 16.0;
    for (int32_t x = 0; x <= w; ++x) {
        const float fx = float(x);
        top = walk(top);
        colour.drawLine(fx, 0, fx, float(top), wallColour);
        map.drawLine(fx, 0, fx, float(top), kWall);
        bottom = walk(bottom);
        colour.drawLine(fx, fh, fx, float(h - bottom), wallColour);
        map.drawLine(fx, fh, fx, float(h - bottom), kWall);
    }

    // Left and right walls, the same way along the rows.
    double left = roundHalfEven(w / 16.0);
    double right = w / 16.0;
    for (int32_t y = 0; y <= h; ++y) {
        const float fy = float(y);
        left = walk(left);
        colour.drawLine(0, fy, float(left), fy, wallColour);
        map.drawLine(0, fy, float(left), fy, kWall);
        right = walk(right);
        colour.drawLine(fw, fy, float(w - right), fy, wallColour);
        map.drawLine(fw, fy, float(w - right), fy, kWall);
    }

    // Rocks: solid discs anywhere, over the walls and past the edges.
    rough = double(random.rnd()) * 10;
    if (rough > 3) {
        const int32_t n = roundHalfEven(double(random.rnd()) * 25);
        for (int32_t i = 1; i <= n; ++i) {
            const int32_t cx = roundHalfEven(double(random.rnd()) * w);
            const int32_t cy = roundHalfEven(double(random.rnd()) * h);
            const float radius = random.rnd() * 40.0f + 40.0f;
            colour.fillDisc(float(cx), float(cy), radius, wallColour);
            map.fillDisc(float(cx), float(cy), radius, kWall);
        }
    }

    // Water: one pool, filled up to just below a water line near the floor.
    rough = double(random.rnd()) * 10;
    if (rough > 5) {
        int32_t line = roundHalfEven(h - 50.0);
        line = roundHalfEven(line - double(random.rnd()) * 150);

        // Close the water line so the fill cannot rise above it.
        for (int32_t x = 0; x <= w; ++x) {
            if (colour.pixelAt(x, line) == kBlack) {
                colour.setPixel(x, line, kWater);
                map.setPixel(x, line, kWater);
            }
        }

        // The pool is the empty space of one column, found from the floor up.
        const int32_t sx = roundHalfEven(double(random.rnd()) * w);
        for (int32_t y = h; y >= line; --y) {
            if (colour.pixelAt(sx, y) != kBlack) continue;
            floodFill(colour, sx, y, colour.pixelAt(sx, y), kWater);
            floodFill(map, sx, y, map.pixelAt(sx, y), kWater);
            break;
        }

        // Open the water line again: the surface is the row below it. Walls and rocks of
        // the water's own colour open with it in the colour layer; the map keeps them.
        for (int32_t x = 0; x <= w; ++x) {
            if (colour.pixelAt(x, line) == kWater) colour.setPixel(x, line, kBlack);
            if (map.pixelAt(x, line) == kWater) map.setPixel(x, line, kBlack);
        }
    }
}

} // namespace

void drawRandomCave(LevelDocument& level, RandomSource& random, Colour wallColour) {
    level.draw([&](Picture& colour, Picture& map) { drawCave(colour, map, random, wallColour); });
}

} // namespace vortan
