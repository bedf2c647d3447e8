#pragma once

#include "core/LevelDocument.h"
#include "core/RandomSource.h"

#include <QSize>

namespace vortan {

// The size of a random cave: 640 to 1639 pixels wide, 480 to 1119 high.
QSize randomCaveSize(RandomSource& random);

// A random cave in an empty level: rough walls along all four edges, in wallColour on
// the colour layer and as Wall on the map, maybe round rocks, maybe one pool of water
// in both layers. The draws are taken in a fixed order, so a scripted source gives a
// known cave.
void drawRandomCave(LevelDocument& level, RandomSource& random, Colour wallColour);

} // namespace vortan
