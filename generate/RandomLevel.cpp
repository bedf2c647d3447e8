// The random cave: rough walls on all four edges, maybe rocks, maybe one pool.
#include "core/Editor.h"

#include <cmath>
#include <vector>

namespace vortan {

void Editor::Command3_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    if (!wantSave()) return;
    if (controls.viewOption != 0) switchView(0);

    // Size and name. Worked in double so that a draw just below 1 cannot round up to
    // one pixel more than the largest size.
    xRes = int32_t(std::floor(double(rnd()) * 1000 + 640));
    yRes = int32_t(std::floor(double(rnd()) * 640 + 480));
    levelName = randomName();
    updateStatus();
    createEmpty(xRes, yRes);
    const int32_t w = xRes, h = yRes;
    const float fw = float(w), fh = float(h);

    PictureSurface& colour = Level[0];
    PictureSurface& map = Level[1];
    const Colour wallColour = currentColour;

    // How rough the walls are: the largest step of a wall's thickness from one column
    // (or row) to the next.
    double rough = double(rnd()) * 4 + 0.5;
    // One step of a wall's walk. The two draws are taken in this order; their
    // difference is single precision.
    auto walk = [&](double thickness) {
        const float first = rnd();
        const float second = rnd();
        const float difference = first - second;
        return maxOf(roundHalfEven(thickness + double(difference) * rough), 0);
    };

    // Ceiling and floor. The floor's walk starts from the unrounded sixteenth.
    double top = roundHalfEven(h / 16.0);
    double bottom = h / 16.0;
    for (int32_t x = 0; x <= w; ++x) {
        const float fx = float(x);
        top = walk(top);
        colour.Line(fx, 0, fx, float(top), wallColour);
        map.Line(fx, 0, fx, float(top), kWall);
        bottom = walk(bottom);
        colour.Line(fx, fh, fx, float(h - bottom), wallColour);
        map.Line(fx, fh, fx, float(h - bottom), kWall);
    }

    // Left and right walls, the same way along the rows.
    double left = roundHalfEven(w / 16.0);
    double right = w / 16.0;
    for (int32_t y = 0; y <= h; ++y) {
        const float fy = float(y);
        left = walk(left);
        colour.Line(0, fy, float(left), fy, wallColour);
        map.Line(0, fy, float(left), fy, kWall);
        right = walk(right);
        colour.Line(fw, fy, float(w - right), fy, wallColour);
        map.Line(fw, fy, float(w - right), fy, kWall);
    }

    // Rocks: solid discs anywhere, over the walls and past the edges.
    rough = double(rnd()) * 10;
    if (rough > 3) {
        const int32_t n = roundHalfEven(double(rnd()) * 25);
        for (int32_t i = 1; i <= n; ++i) {
            const int32_t cx = roundHalfEven(double(rnd()) * w);
            const int32_t cy = roundHalfEven(double(rnd()) * h);
            const float radius = rnd() * 40.0f + 40.0f;
            colour.FillStyle = 0;
            colour.FillColor = wallColour;
            colour.Circle(float(cx), float(cy), radius, wallColour);
            map.FillStyle = 0;
            map.FillColor = kWall;
            map.Circle(float(cx), float(cy), radius, kWall);
        }
    }

    // Water: one pool, filled up to just below a water line near the floor.
    rough = double(rnd()) * 10;
    if (rough > 5) {
        int32_t line = roundHalfEven(h - 50.0);
        line = roundHalfEven(line - double(rnd()) * 150);
        const float fLine = float(line);

        // Close the water line so the fill cannot rise above it. The columns closed
        // are remembered: opening them again must not take walls of the water's own
        // colour out of the colour layer.
        std::vector<int32_t> sealed;
        for (int32_t x = 0; x <= w; ++x) {
            if (colour.Point(float(x), fLine) == int32_t(kBlack)) {
                colour.PSet(float(x), fLine, kWater);
                map.PSet(float(x), fLine, kWater);
                sealed.push_back(x);
            }
        }

        // The pool is the empty space of one column, found from the floor up.
        const int32_t sx = roundHalfEven(double(rnd()) * w);
        const float fsx = float(sx);
        for (int32_t y = h; y >= line; --y) {
            if (colour.Point(fsx, float(y)) != int32_t(kBlack)) continue;
            colour.FillColor = kWater;
            colour.FillStyle = 0;
            ExtFloodFill(colour, sx, y, Colour(colour.Point(fsx, float(y))));
            map.FillColor = kWater;
            map.FillStyle = 0;
            ExtFloodFill(map, sx, y, Colour(map.Point(fsx, float(y))));
            break;
        }

        // Open the water line again: the surface is the row below it.
        for (const int32_t x : sealed) {
            if (colour.Point(float(x), fLine) == int32_t(kWater)) colour.PSet(float(x), fLine, kBlack);
            if (map.Point(float(x), fLine) == int32_t(kWater)) map.PSet(float(x), fLine, kBlack);
        }
    }

    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
    unsavedChanges = true;
    navigatorStale = true;
}

} // namespace vortan
