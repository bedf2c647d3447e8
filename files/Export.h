#pragma once

#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "dialogs/UserDialogs.h"
#include "files/GameFolder.h"

namespace vortan {

// The level number a thumbnail name chosen in the export dialog gives: the first two
// of its last eight characters, read as the dialogs read numbers ("07" is 7, "+9" is 9,
// letters 0). Refused: the game's own levels (below 9, and "fractalt.quox"), names not
// of the form level, two digits, t.quox, and numbers past the first free one, since the
// game shows only levels numbered without gaps. A refusal shows its message; -1 then.
int exportNumber(const QString& chosenName, int firstFree, UserDialogs& ui);

// The thumbnail, the level image and the map of level `number` as one set: all three
// replace what stood there, or none does, and *why names the file and the reason.
bool writeGameLevel(const GameFolder& game, int number, const LevelDocument& level, const Picture& thumbnail,
                    const LongWork& work, UserDialogs& ui, QString* why = nullptr);

// The game's files state sizes in 16 bits.
constexpr int kMaxGameSide = 65535;

} // namespace vortan
