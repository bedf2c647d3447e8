#pragma once

#include <QString>

namespace vortan {

// The folder of the installed game, known by its executable "Vortan.exe" and remembered
// across runs in "gameFolder.txt" in the editor's data folder. Its levels live in
// gameData/Gfx/ as numbered sets of three files.
class GameFolder {
  public:
    explicit GameFolder(QString stateFolder) : stateFolder_(std::move(stateFolder)) {}
    // A folder given outright (the command line's), with or without its separator,
    // remembered in stateFolder when asked to. A relative folder is taken from the
    // current one, so that it is remembered wherever the editor runs next.
    static GameFolder at(const QString& folder, const QString& stateFolder = {});

    // The folder with its trailing separator, or empty while the game is not known.
    const QString& path() const { return path_; }
    bool holdsGame() const;
    // Reads the remembered folder (its first line, spaces trimmed); a folder that no
    // longer holds the game is forgotten.
    void readRemembered();
    // The folder of the executable the user found, with its separator; empty forgets it.
    void setPath(const QString& path) { path_ = path; }
    // Keeps the folder for the next run, making the editor's data folder when missing.
    // A folder that cannot be written keeps the old file.
    void remember() const;
    QString rememberedIn() const;

    enum class File { Thumbnail, LevelImage, MaterialMap };
    QString levelFolder() const { return path_ + "gameData/Gfx/"; }
    QString levelFile(File kind, int number) const;
    // The game shows levels numbered without gaps: the first number none of whose three
    // files exists, or 100 when 0 to 99 are all taken.
    int firstFreeNumber() const;

  private:
    QString stateFolder_;
    QString path_;
};

// A level number as the game's file names write it: at least two digits.
QString twoDigits(int n);

} // namespace vortan
