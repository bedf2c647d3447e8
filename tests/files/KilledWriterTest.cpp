#include "files/FileSet.h"
#include "files/Export.h"
#include "files/LevelFiles.h"
#include "files/RecoveryCopy.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <csignal>

using namespace vortan::test;

// The three sets the editor writes, each into `folder`: an old version or a new one.
enum class Kind { Save, Export, Recovery };
const char* const kKindNames[] = {"save", "export", "recovery"};

static void writeSet(Kind kind, const QString& folder, bool newer) {
    LevelDocument level;
    level.makeEmpty(60, 40, newer ? rgb(200, 10, 10) : rgb(10, 10, 200));
    level.draw([&](Picture&, Picture& map) { map.fillRect(20, 20, 30, 25, newer ? kWater : kExplosive); });
    const Picture thumbnail(192, 128, newer ? rgb(1, 2, 3) : rgb(3, 2, 1));
    RecoveredLevel copy{level.colourLayer().image(), level.materialMap().image(), newer ? "new" : "old",
                        QDateTime(QDate(2024, 5, 1), QTime(9, 30)), QPoint(5, 6)};
    copy.shown = 1;
    copy.zoomed = newer;
    if (kind == Kind::Export) QDir().mkpath(folder + "/gameData/Gfx");
    const bool written =
        kind == Kind::Save
            ? saveLevelSet(folder + "/castle", level, [&]() -> const Picture& { return thumbnail; })
        : kind == Kind::Export ? writeGameLevel(GameFolder::at(folder), 9, level, thumbnail, {}, {})
                               : RecoveryCopy(folder).write(copy);
    ASSERT_TRUE(written);
}

// What the editor reads first when it next touches the set.
static void touch(Kind kind, const QString& folder) {
    if (kind == Kind::Export) GameFolder::at(folder).firstFreeNumber();
    if (kind == Kind::Recovery) RecoveryCopy(folder).read();
    EXPECT_TRUE(kind != Kind::Save || readLevelSet(folder + "/castle").has_value());
}

// The child: writes the new version of a set and is killed before its k-th step.
TEST(KilledWriterChild, WritesTheNewSet) {
    const QString folder = qEnvironmentVariable("VORTAN_KILLED_WRITER");
    if (folder.isEmpty()) GTEST_SKIP() << "run by the killed-writer test only";
    static const int killAt = qEnvironmentVariableIntValue("VORTAN_KILL_AT");
    static int steps = 0;
    FileSet::beforeStep = [] {
        if (++steps == killAt) std::raise(SIGKILL);
        return true;
    };
    writeSet(Kind(qEnvironmentVariableIntValue("VORTAN_KILLED_KIND")), folder, true);
    std::printf("steps %d\n", steps);
}

// Killed before any step, over an old set or none: the next touch leaves the whole old
// set or the whole new one, and no other file.
TEST(KilledWriter, EveryStepLeavesTheWholeOldOrTheWholeNewSet) {
    for (const Kind kind : {Kind::Save, Kind::Export, Kind::Recovery})
        for (const bool overOld : {true, false}) {
            const QString setFolder = kind == Kind::Export ? "/gameData/Gfx" : "";
            QTemporaryDir expected;
            writeSet(kind, expected.path(), true);
            const QStringList after = folderContents(expected.path() + setFolder);
            int steps = 0;
            for (int k = 1; steps == 0 && k < 40; ++k) {
                QTemporaryDir dir;
                if (overOld) writeSet(kind, dir.path(), false);
                const QStringList before = folderContents(dir.path() + setFolder);
                QProcess child;
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert("VORTAN_KILLED_WRITER", dir.path());
                env.insert("VORTAN_KILLED_KIND", QString::number(int(kind)));
                env.insert("VORTAN_KILL_AT", QString::number(k));
                child.setProcessEnvironment(env);
                child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=KilledWriterChild.*"});
                ASSERT_TRUE(child.waitForFinished(60000));
                const QByteArray out = child.readAllStandardOutput();
                if (child.exitStatus() == QProcess::NormalExit) {
                    ASSERT_EQ(child.exitCode(), 0) << out.toStdString();
                    steps = out.mid(out.indexOf("steps ") + 6).split('\n')[0].toInt();
                    EXPECT_EQ(steps, k - 1);
                }
                touch(kind, dir.path());
                const QStringList found = folderContents(dir.path() + setFolder);
                EXPECT_TRUE(found == before || found == after)
                    << kKindNames[int(kind)] << (overOld ? " over an old set" : "") << ", killed before step "
                    << k << ":\n"
                    << found.join('\n').toStdString();
            }
            EXPECT_EQ(steps, overOld ? 14 : 8) << kKindNames[int(kind)];
        }
}
