#include "core/Colour.h"

#include <cstdlib>

namespace vortan {

int colourDistance(Colour a, Colour b) {
    return 2 * std::abs(redOf(a) - redOf(b)) + 3 * std::abs(greenOf(a) - greenOf(b)) +
           std::abs(blueOf(a) - blueOf(b));
}

Colour snapToMaterial(Colour c) {
    int best = 100000;
    Colour taken = kWall;
    for (Colour m : {kWall, kExplosive, kPlatformFS, kPlatformFSA}) {
        const int d = colourDistance(c, m);
        if (d <= best) {
            best = d;
            taken = m;
        }
    }
    return taken;
}

} // namespace vortan
