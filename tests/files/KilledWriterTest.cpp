#include "files/Export.h"
#include "files/FileSet.h"
#include "files/LevelFiles.h"
#include "files/RecoveryCopy.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <random>

using namespace vortan::test;

// The sets the editor writes, old or new, into `folder`. A recovery copy is written whole, or as a version of
// the tiles changed since the last that adds a file of its own, or that gathers the file before into its own.
enum class Kind { Save, Export, Recovery, RecoveryTiles, RecoveryGathering };
const char* const kKindNames[] = {"save", "export", "recovery", "recovery's changed tiles",
                                  "recovery's gathering"};

// The child counts the steps of the last version of a recovery copy only.
static bool counting = true;

// A 300 x 200 level of scattered colours, 5 x 4 tiles: the whole, then one tile changed at each version.
static void writeVersions(const QString& folder, int versions) {
    QImage colour(300, 200, QImage::Format_RGB32), map(300, 200, QImage::Format_RGB32);
    std::mt19937 random(7);
    const auto scatter = [&](const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                colour.setPixel(x, y, toPixel(rgb(int(random() % 4) * 60, 90, 30)));
                map.setPixel(x, y, toPixel(random() % 3 ? kBlack : kWall));
            }
    };
    scatter(colour.rect());
    RecoveryWriter writer(folder);
    const RecoveredLevel about{{}, {}, "tiles", QDateTime(QDate(2024, 5, 1), QTime(9, 30)), QPoint(5, 6)};
    for (int version = 0; version < versions; ++version) {
        const int changed = version == 1 ? 7 : 12;
        if (version > 0) scatter(RecoveryTiles::area(colour.size(), changed));
        counting = version == versions - 1;
        writer.begin(colour.size(), version == 0);
        RecoveryTiles tiles;
        for (int i = 0; i < RecoveryTiles::count(colour.size()); ++i)
            if (version == 0 || i == changed) tiles.take(colour, map, i);
        writer.add(tiles);
        ASSERT_TRUE(writer.commit(about, nullptr));
    }
}

static void writeSet(Kind kind, const QString& folder, bool newer) {
    LevelDocument level;
    level.makeEmpty(60, 40, newer ? rgb(200, 10, 10) : rgb(10, 10, 200));
    level.draw([&](Picture&, Picture& map) { map.fillRect(20, 20, 30, 25, newer ? kWater : kExplosive); });
    const Picture thumbnail(192, 128, newer ? rgb(1, 2, 3) : rgb(3, 2, 1));
    RecoveredLevel copy{level.colourLayer().image(), level.materialMap().image(), newer ? "new" : "old",
                        QDateTime(QDate(2024, 5, 1), QTime(9, 30)), QPoint(5, 6)};
    copy.shown = 1, copy.zoomed = newer;
    if (kind == Kind::RecoveryTiles || kind == Kind::RecoveryGathering)
        return writeVersions(folder, int(kind) - int(Kind::Recovery) + int(newer));
    if (kind == Kind::Export) QDir().mkpath(folder + "/gameData/Gfx");
    const bool written =
        kind == Kind::Save
            ? saveLevelSet(folder + "/castle", level, [&]() -> const Picture& { return thumbnail; })
        : kind == Kind::Export ? writeGameLevel(GameFolder::at(folder), 9, level, thumbnail, {}, {})
                               : RecoveryCopy(folder).write(copy);
    ASSERT_TRUE(written);
}

// The child: writes the new version of a set and is killed before its k-th step.
TEST(KilledWriterChild, WritesTheNewSet) {
    const QString folder = qEnvironmentVariable("VORTAN_KILLED_WRITER");
    if (folder.isEmpty()) GTEST_SKIP() << "run by the killed-writer test only";
    static const int killAt = qEnvironmentVariableIntValue("VORTAN_KILL_AT");
    static int steps = 0;
    FileSet::beforeStep = [] {
        if (counting && ++steps == killAt) std::raise(SIGKILL);
        return true;
    };
    writeSet(Kind(qEnvironmentVariableIntValue("VORTAN_KILLED_KIND")), folder, true);
    std::printf("steps %d\n", steps);
}

// Killed before any step, over an old set or none: the next touch leaves the whole old set or the whole new
// one, and no other file. The child writes a recovery copy's earlier versions itself: the last needs them.
TEST(KilledWriter, EveryStepLeavesTheWholeOldOrTheWholeNewSet) {
    const std::map<std::pair<Kind, bool>, int> stepsOf = {
        {{Kind::Save, true}, 14},         {{Kind::Save, false}, 8},
        {{Kind::Export, true}, 14},       {{Kind::Export, false}, 8},
        {{Kind::Recovery, true}, 9},      {{Kind::Recovery, false}, 6},
        {{Kind::RecoveryTiles, true}, 8}, {{Kind::RecoveryGathering, true}, 9}};
    for (const auto& [of, stepsExpected] : stepsOf) {
        const auto [kind, overOld] = of;
        const bool versions = kind == Kind::RecoveryTiles || kind == Kind::RecoveryGathering;
        const QString setFolder = kind == Kind::Export ? "/gameData/Gfx" : "";
        QTemporaryDir expected, old;
        if (overOld) writeSet(kind, (versions ? old : expected).path(), false);
        writeSet(kind, expected.path(), true);
        const QStringList after = folderContents(expected.path() + setFolder);
        if (versions) { // the gathering took the second version's file into the third's
            EXPECT_EQ(QDir(expected.path()).entryList({"*.tiles"}).join(' '),
                      QString("recovery.1.tiles recovery.%1.tiles").arg(kind == Kind::RecoveryTiles ? 2 : 3));
        }
        int steps = 0;
        for (int k = 1; steps == 0 && k < 40; ++k) {
            QTemporaryDir dir;
            if (overOld && !versions) writeSet(kind, dir.path(), false);
            const QStringList before = folderContents((versions ? old : dir).path() + setFolder);
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
            // What the editor reads first when it next touches the set; a copy that is there can be read.
            if (kind == Kind::Export) GameFolder::at(dir.path()).firstFreeNumber();
            EXPECT_TRUE(kind < Kind::Recovery || RecoveryCopy(dir.path()).read() ||
                        !QFile::exists(dir.filePath("recovery.txt")));
            EXPECT_TRUE(kind != Kind::Save || readLevelSet(dir.filePath("castle")).has_value());
            const QStringList found = folderContents(dir.path() + setFolder);
            EXPECT_TRUE(found == before || found == after)
                << kKindNames[int(kind)] << (overOld ? " over an old set" : "") << ", killed before step "
                << k << ": " << found.join('\n').toStdString();
        }
        EXPECT_EQ(steps, stepsExpected) << kKindNames[int(kind)];
    }
}
