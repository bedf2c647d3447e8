#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vortan::test {

using namespace vortan; // the tests name the editor's own types plainly

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?");
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
}

// A named pipe: a reader that waits for a line would wait forever.
inline bool makePipe(const QString& p) {
    return mkfifo(QFile::encodeName(p).constData(), 0600) == 0;
}

inline QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// Every file of a folder, hidden ones too, with its bytes: what a failed write must not change.
inline QStringList folderContents(const QString& folder) {
    QStringList all;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        all << name + ":" + readFile(QDir(folder).filePath(name)).toHex();
    return all;
}

// The first bytes of a game file: its tag, its kind and size, and the byte after them.
inline QByteArray gameFileHeader(int kind, int width, int height, int baseLessOne) {
    return "QUOX3zzzz" + bytesOf({kind, 1, width & 255, width >> 8, height & 255, height >> 8, baseLessOne});
}

// An installed game in a folder of its own, with the editor's own folder remembering it.
struct GameOnDisk {
    QTemporaryDir folder;
    const QString gfx = folder.filePath("gameData/Gfx/");
    // Holding the game's own levels 0 to lastLevel.
    explicit GameOnDisk(int lastLevel = -1) {
        QDir().mkpath(gfx);
        writeFile(folder.filePath("Vortan.exe"), "x");
        take(0, lastLevel);
    }
    // Levels from to to, each with all three of its files.
    void take(int from, int to) const {
        for (int n = from; n <= to; ++n)
            for (const char* name : {"level%1.quox", "levelm%1.quox", "level%1t.quox"})
                writeFile(gfx + QString(name).arg(n, 2, 10, QChar('0')), "x");
    }
    // What to lay into the editor's own folder: a level folder, and the game remembered.
    std::function<void(const QString&)> remembered() const {
        return [this](const QString& own) {
            QDir().mkpath(own + "/levels");
            writeFile(own + "/gameFolder.txt", (folder.path() + "/").toUtf8());
        };
    }
};

} // namespace vortan::test
