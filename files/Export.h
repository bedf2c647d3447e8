#pragma once

#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "files/GameFolder.h"

#include <functional>
#include <optional>

namespace vortan {

// Why the export will not write a level, in the words the user is told.
struct Refusal {
    QString title, text;
};

// The level number a thumbnail name chosen in the export dialog gives: the first two
// of its last eight characters, read as the dialogs read numbers ("07" is 7, "+9" is 9,
// letters 0). Refused: the game's own levels (below 9, and "fractalt.quox"), names not
// of the form level, two digits, t.quox, and numbers past the first free one, since the
// game shows only levels numbered without gaps. -1 then, with *refusal.
int exportNumber(const QString& chosenName, int firstFree, Refusal* refusal);
// A name that is not of the form level, two digits, t.quox.
Refusal illegalNameRefusal();
// The game's files state sizes in 16 bits: a larger level is refused.
constexpr int kMaxGameSide = 65535;
std::optional<Refusal> sizeRefusal(QSize level);

// The thumbnail, the level image and the map of level `number` as one set: all three
// replace what stood there, or none does, and *why names the file and the reason.
// tooManyColours hears of a level image with more colours than the game keeps.
bool writeGameLevel(const GameFolder& game, int number, const LevelDocument& level, const Picture& thumbnail,
                    const LongWork& work, const std::function<void(int count)>& tooManyColours,
                    QString* why = nullptr);

} // namespace vortan
