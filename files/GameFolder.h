#pragma once

#include "dialogs/UserDialogs.h"

#include <QString>

namespace vortan {

// The folder of the installed game, known by its executable "Vortan.exe" and remembered
// across runs in "gameFolder.txt" in the editor's own folder. Its levels live in
// gameData/Gfx/ as numbered sets of three files.
class GameFolder {
  public:
    explicit GameFolder(QString ownFolder) : ownFolder_(std::move(ownFolder)) {}
    // A folder given outright (the command line's), with or without its separator.
    static GameFolder at(const QString& folder) {
        GameFolder game({});
        game.path_ = folder.endsWith('/') ? folder : folder + '/';
        return game;
    }

    // The folder with its trailing separator, or empty while the game is not known.
    const QString& path() const { return path_; }
    bool holdsGame() const;
    // Reads the remembered folder (its first line, spaces trimmed); a folder that no
    // longer holds the game is forgotten.
    void readRemembered();
    // Makes sure the game is known, asking the user to find its executable. False when
    // the user cancelled and the calling command ends; true otherwise, with path()
    // empty when the user chose something that is not the game.
    bool locate(UserDialogs& ui, SharedDialog& dialog);

    enum class File { Thumbnail, LevelImage, MaterialMap };
    QString levelFolder() const { return path_ + "gameData/Gfx/"; }
    QString levelFile(File kind, int number) const;
    // The game shows levels numbered without gaps: the first number none of whose three
    // files exists, or 100 when 0 to 99 are all taken.
    int firstFreeNumber() const;

  private:
    QString ownFolder_;
    QString path_;
};

// A level number as the game's file names write it: at least two digits.
QString twoDigits(int n);

} // namespace vortan
