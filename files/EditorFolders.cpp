#include "files/EditorFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vortan {

EditorFolders EditorFolders::forProgram(const QString& programFolder) {
    // The help page tells an installed editor from one in its build folder: root may write
    // anywhere, so whether the program's folder is writable says nothing.
    const QString shared = QDir::cleanPath(programFolder + "/../share/vortan-editor");
    if (!QFileInfo(shared + "/Help.htm").isFile()) return beside(programFolder);
    EditorFolders folders{shared, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
    QDir().mkpath(folders.levelFolder());
    return folders;
}

QString EditorFolders::helpPage() const {
    return QDir(resources).filePath("Help.htm");
}

QString EditorFolders::brushFolder() const {
    return QDir(resources).filePath("brushes");
}

QString EditorFolders::levelFolder() const {
    return QDir(state).filePath("levels");
}

} // namespace vortan
