#pragma once

#include <QString>

namespace vortan {

// Where the editor finds what it ships with ("Help.htm", "brushes/") and where it keeps
// what it writes ("gameFolder.txt", "levels/"). Run from its build folder both are the
// folder of the program; installed, the first is share/vortan-editor beside its bin/ and
// the second the user's data folder.
struct EditorFolders {
    QString resources;
    QString state;

    static EditorFolders beside(const QString& folder) { return {folder, folder}; }
    // The folders of the program in programFolder. An installed editor's data folder and
    // its "levels/" are made when missing.
    static EditorFolders forProgram(const QString& programFolder);

    QString helpPage() const;
    QString brushFolder() const;
    QString levelFolder() const;
};

} // namespace vortan
