#include "dialogs/RandomName.h"
#include "core/Numbers.h"

#include <array>
#include <cmath>

namespace vortan {

namespace {
// The last entry of each list is empty: an empty adjective gives a name of a noun alone,
// an empty noun is drawn again.
const std::array<const char*, 15> kAdjectives{"Magnificent", "Terrific", "Splendid", "Groovy", "Fantastic",
                                              "Frozen",      "Scorched", "Holy",     "Lonely", "Crazy",
                                              "Digital",     "Wacky",    "Faulty",   "Fancy",  ""};
const std::array<const char*, 15> kNouns{"Castle",     "Cave",       "Vault",   "Armoury",  "Headquarter",
                                         "Fields",     "Hide-Out",   "Parish",  "Basement", "Cathedral",
                                         "Dreamspace", "Wilderness", "Factory", "Fjord",    ""};
} // namespace

QString randomName(RandomSource& random) {
    // In double precision r * 15 stays below 15 for every draw below 1.
    auto pick = [](float r) { return size_t(std::floor(double(r) * double(kNouns.size()))); };
    for (;;) {
        const float r1 = random.rnd();
        const float r2 = random.rnd();
        const QString noun = kNouns[pick(r2)];
        if (noun.isEmpty()) continue; // a name always has a noun; the adjective is drawn again with it
        return QString(kAdjectives[pick(r1)]) + " " + noun;
    }
}

} // namespace vortan
