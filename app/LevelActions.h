#pragma once

#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "dialogs/UserDialogs.h"
#include "files/Export.h"
#include "files/GameFolder.h"
#include "files/LevelFiles.h"

#include <QStringList>
#include <optional>

namespace vortan {

class View;

// The level actions that the window's buttons and the command line share: each works on
// the level and tells the user what must be told through the asker it is given, the
// window's dialogs or the console. Rules and messages live here once.

// --- opening ---------------------------------------------------------------------------
// What a file read as Load reads it does to the level: a set replaces the members it has
// (thumbnail, colour layer, map), a plain picture the shown layer, or in the Thumbnail
// view only the thumbnail. The level's size then follows the layer that took a picture.
// The file's pictures go to the level: nothing else keeps their pixels.
enum class Opened { Level, ThumbnailOnly };
Opened openInto(LevelDocument& level, View& view, LevelFile&& file);
// The level a command works on (check, export), read as Load reads it. Without a level
// before it, a set without its colour layer is refused as well.
std::optional<LevelFile> readCommandLevel(const QString& path, QString* refusal);
// A command's level as a fresh editor would open it, with no window: the colour layer (a
// plain picture, or the set's) and the set's map become the layers as they were read,
// without a copy; the other layer follows the colour layer's size, black where it has
// no pixels. A set's thumbnail is laid over `thumbnail`.
void takeCommandLevel(LevelDocument& level, Picture& thumbnail, LevelFile&& file);

// --- the file dialogs ------------------------------------------------------------------
// Save: the dialog proposes the level's name in the level folder; the level is written as
// its set of three pictures, the thumbnail rebuilt first when the level has unsaved
// changes. A failure is told, naming the file and the reason; the level stays unsaved.
bool saveLevelAs(LevelDocument& level, View& view, SharedDialog& dialog, UserDialogs& ask,
                 const QString& levelFolder, const LongWork& work);
// Load's dialog: the file chosen, empty when the dialog gave no name; nothing when the
// user cancelled.
std::optional<QString> chooseLevelFile(SharedDialog& dialog, UserDialogs& ask, const QString& levelFolder);
// The export's dialog, proposing the first free number: the number of the name chosen,
// or -1 when the user cancelled or the name was refused (and told).
int chooseExportNumber(const GameFolder& game, SharedDialog& dialog, UserDialogs& ask);

// --- check -----------------------------------------------------------------------------
// The level's size, its colours against the 192 the game keeps, the pixels of each
// material, the map pixels that are no material, and the wall frame. Not fine when the
// map is missing, holds colours that are no material, differs in size, or the level has
// more colours than the game keeps; an open frame is only reported.
struct LevelCheck {
    QStringList lines;
    bool fine = true;
};
LevelCheck checkLevel(const LevelFile& file);

// --- export ----------------------------------------------------------------------------
void tell(UserDialogs& ask, const Refusal& refusal);
// Makes sure the game is known, asking the user to find its executable. False when the
// user cancelled and the export ends; true otherwise, with the folder empty when the
// user chose something that is not the game.
bool findGameFolder(GameFolder& game, UserDialogs& ask, SharedDialog& dialog);
// A level too large for the game's files is refused; otherwise the map is closed with
// the wall frame, as a step of its own that leaves the unsaved state alone.
bool prepareForExport(LevelDocument& level, UserDialogs& ask);
// The three game files of level `number`, the thumbnail rebuilt first when the level has
// unsaved changes. A failure is told, naming the file and the reason.
bool writeLevelToGame(LevelDocument& level, View& view, const GameFolder& game, int number, UserDialogs& ask,
                      const LongWork& work);
// The same with the thumbnail as it is.
bool writeLevelToGame(const LevelDocument& level, const Picture& thumbnail, const GameFolder& game,
                      int number, UserDialogs& ask, const LongWork& work);

// --- the map ---------------------------------------------------------------------------
// Level -> Map, as one step of the history that leaves the unsaved state alone.
void levelToMap(LevelDocument& level, const LongWork& work);

} // namespace vortan
