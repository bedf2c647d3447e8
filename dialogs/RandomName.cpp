// Random level names: an adjective (or none) and a noun.
#include "core/Editor.h"

#include <algorithm>
#include <cmath>

namespace vortan {

QString Editor::randomName() {
    // Index of a draw in the word lists. In double precision r * count stays below
    // count for every draw below 1; the clamp only guards a list shorter than the count.
    auto pick = [this](float r) {
        const int last = std::min<int>(nameWordCount, int(nameAdjectives.size())) - 1;
        return std::clamp(int(std::floor(double(r) * nameWordCount)), 0, std::max(last, 0));
    };
    for (;;) {
        const float r1 = rnd();
        const float r2 = rnd();
        const QString a = trimBlanks(nameAdjectives[size_t(pick(r1))]);
        const QString n = trimBlanks(nameNouns[size_t(pick(r2))]);
        // A name always has a noun; the adjective is drawn again with it.
        if (n.isEmpty()) continue;
        return a + " " + n;
    }
}

} // namespace vortan
