#include "core/Layout.h"
#include "support/FileSizeLimit.h"
#include "support/TestEditor.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

using namespace vortan::test;

// The copies in a recovery folder, by their levels' names.
static QStringList copiesIn(const QString& folder) {
    QStringList names;
    for (const QString& copy : QDir(folder).entryList({"copy-*"}, QDir::Dirs))
        if (const auto level = RecoveryCopy(QDir(folder).filePath(copy)).read()) names << level->name;
    names.sort();
    return names;
}

// A dot painted at x in a new level, copies kept in `folder`; named, one kept at once.
static void paintIn(TestEditor& e, const QString& folder, int x = 150, const QString& name = {}) {
    e->setRecoveryFolder(folder);
    e.newLevel(300, 200);
    e.click({double(x), 100});
    if (name.isEmpty()) return;
    e.level().setName(name);
    e.keepCopy();
}

// The copies offered at the start of an editor that keeps its copies in `folder`.
static QStringList offered(TestEditor& e, const QString& folder, std::deque<MsgAnswer> answers = {}) {
    e->setRecoveryFolder(folder);
    e.ui.answers = std::move(answers);
    e->offerRecovery();
    QStringList texts;
    for (const auto& m : e.ui.messages)
        texts << m.text;
    return texts;
}

// The child's editor paints, waits for a recovery copy and is killed; or copies twice and paints once more.
TEST(RecoveryChild, PaintsAndWaitsForItsCopy) {
    const QString folder = qEnvironmentVariable("VORTAN_RECOVERY_CHILD");
    if (folder.isEmpty()) GTEST_SKIP() << "run by the recovery test only";
    TestEditor e;
    paintIn(e, folder);
    for (int round = 0; round < 2 && qEnvironmentVariableIsSet("VORTAN_RECOVERY_ROUNDS"); ++round) {
        e.keepCopy();
        e.click({200.0 + 50 * round, 120.0 - 60 * round}); // the second never copied
    }
    while (copiesIn(folder).isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    QTextStream(stdout) << "ready" << Qt::endl; // flushed for the parent
    QThread::sleep(60);
}

// The child, keeping its copies in `folder`, killed once it is ready (kill -9: nothing of
// the editor's own ends runs). The timer's round every second, or copies of its own.
static void killedChild(const QString& folder, bool ownCopies) {
    QTemporaryDir childTemp; // a killed child removes nothing of its own: its folders go here
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", childTemp.path());
    env.insert("VORTAN_RECOVERY_CHILD", folder);
    env.insert(ownCopies ? "VORTAN_RECOVERY_ROUNDS" : "VORTAN_RECOVERY_SECONDS", "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RecoveryChild.*"});
    while (!child.readAllStandardOutput().contains("ready") && child.waitForReadyRead(30000)) {
    }
    child.kill();
    child.waitForFinished();
}

// A copy taken tile by tile is the level at one moment: changes made meanwhile are in it; a new size then
// keeps the last copy, the next one whole. Changed tiles after earlier copies come back as they were.
TEST(Recovery, ACopyIsTheLevelAtTheMomentItWasTaken) {
    TestEditor e(1100, 700); // 18 x 11 tiles, more than the window's thread copies at once
    const auto copied = [&](const Layers& expected) {
        const QStringList copies = QDir(e.folder.filePath("recovery")).entryList({"copy-*"}, QDir::Dirs);
        const auto copy = RecoveryCopy(e.folder.filePath("recovery/" + copies.value(0))).read();
        if (copies.size() != 1 || !copy) return ::testing::AssertionFailure() << "no copy";
        const auto colour = sameImage(expected.first, copy->colour);
        return colour ? sameImage(expected.second, copy->map) << " in the map" : colour;
    };
    e.level().setModified(true);
    e.keepCopy();
    EXPECT_TRUE(copied(layersOf(e.level())));
    e.level().draw([](Picture& colour, Picture& map) {
        colour.fillRect(20, 20, 1080, 680, rgb(90, 60, 30));
        map.fillRect(20, 20, 1080, 680, kWater);
    });
    e->writeRecoveryCopy(); // the last tiles first
    e.colour().setPixel(1090, 690, rgb(1, 2, 3));
    e.map().setPixel(5, 5, kExplosive);
    e.colour().setPixel(5, 5, rgb(4, 5, 6));
    e->finishRecoveryCopy();
    const Layers taken = layersOf(e.level());
    EXPECT_TRUE(copied(taken));

    e.colour().fillRect(100, 100, 1000, 600, rgb(7, 7, 7));
    e->writeRecoveryCopy();
    e.level().makeEmpty(500, 400, kWall);
    e->finishRecoveryCopy();
    EXPECT_TRUE(copied(taken));
    e.level().setModified(true);
    e.keepCopy();
    EXPECT_TRUE(copied(layersOf(e.level())));
}

// Killed with its work unsaved: Yes brings the level back exactly, as unsaved work, as at the last copy (the
// timer's, or after copies of the changed tiles and a change not yet copied). Saving removes the copy.
TEST(Recovery, AKilledEditorsLevelComesBackAsAtItsLastCopy) {
    QTemporaryDir rounds;
    killedChild(rounds.path(), true);
    TestEditor twoCopies, painted, recovered, e;
    paintIn(twoCopies, twoCopies.folder.path());
    twoCopies.click({200, 120});
    offered(recovered, rounds.path(), {MsgAnswer::Yes});
    EXPECT_TRUE(hasLayers(recovered.level(), layersOf(twoCopies.level())));

    QTemporaryDir folder;
    killedChild(folder.path(), false);
    paintIn(painted, painted.folder.path());
    const QStringList asked = offered(e, folder.path(), {MsgAnswer::Yes});
    EXPECT_TRUE(asked.size() == 1 &&
                asked[0].startsWith("Recover the unsaved level 'Type the name of the level here' from "));
    EXPECT_TRUE(hasLayers(e.level(), layersOf(painted.level())));
    EXPECT_TRUE(e.level().isModified());
    EXPECT_EQ(e->view().navigatorScale(), navigatorGeometry({304, 204}).scale); // the level's

    // Saved work leaves no copy.
    ASSERT_TRUE(e.saveAs(e.folder.filePath("kept")));
    EXPECT_EQ(copiesIn(folder.path()), QStringList());
    e.keepCopy(); // nothing unsaved
    EXPECT_EQ(copiesIn(folder.path()), QStringList());
}

// Editors that run at once keep a copy each, and none offers or removes another's.
TEST(Recovery, EachEditorKeepsItsOwnCopyAndEndedOnesAreOfferedNewestFirst) {
    QTemporaryDir folder;
    QImage olderLevel;
    {
        TestEditor older, newer;
        paintIn(older, folder.path(), 100, "older");
        paintIn(newer, folder.path(), 200, "newer");
        olderLevel = older.colour().image();
    } // both end with their work unsaved
    TestEditor running, e, third;
    paintIn(running, folder.path(), 150, "running");
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"newer", "older", "running"}));

    const QStringList asked = offered(e, folder.path(), {MsgAnswer::No, MsgAnswer::Yes});
    EXPECT_TRUE(asked.size() == 2 && asked[0].startsWith("Recover the unsaved level 'newer' from ") &&
                asked[1].startsWith("Recover the unsaved level 'older' from "))
        << asked.join('|').toStdString();
    EXPECT_EQ(e.level().name(), "older");
    EXPECT_TRUE(sameImage(olderLevel, e.colour().image()));
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"older", "running"})); // No removed the newer one

    // e's own copy takes the place of the older, and follows a rename alone.
    EXPECT_EQ(offered(third, folder.path()), QStringList());
    e.keepCopy();
    EXPECT_EQ(offered(third, folder.path()), QStringList());
    e.level().setName("renamed");
    e.keepCopy();
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"renamed", "running"}));
    EXPECT_EQ(QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs).size(), 2);

    // An editor closed with nothing unsaved leaves no copy, nor its folder: e's and its lock stay.
    running.ui.answers = {MsgAnswer::No};
    EXPECT_TRUE(running->mayClose());
    running.editor.reset();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot).size(), 2);
}

// A copy that cannot be read is kept aside; a name with a line break and a "%1" comes back whole.
TEST(Recovery, CopiesThatCannotBeReadOrWrittenAreToldOnce) {
    QTemporaryDir folder;
    for (const char* name : {"two\nlines %1", "cut text", "cut picture"}) {
        TestEditor ended;
        paintIn(ended, folder.path(), 100, name);
    }
    for (const QString& copy : QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs)) {
        const QString path = QDir(folder.path()).filePath(copy), name = RecoveryCopy(path).read()->name;
        if (name != "two\nlines %1")
            QFile(path + (name == "cut text" ? "/recovery.txt" : "/recovery.1.tiles")).resize(20);
    }
    TestEditor e, next;
    const QStringList asked = offered(e, folder.path(), {MsgAnswer::OK, MsgAnswer::Yes});
    ASSERT_EQ(asked.size(), 2) << asked.join('|').toStdString();
    EXPECT_TRUE(asked[0].startsWith("A copy of unsaved work could not be read.\n\r") &&
                asked[0].contains("recovery.txt: It is cut short or damaged.\n\rKept in " + folder.path() +
                                  "/unreadable/copy-") &&
                asked[0].contains("recovery.1.tiles: It is cut short or damaged."))
        << asked[0].toStdString();
    EXPECT_EQ(e.level().name(), "two\nlines %1");
    const QDir aside(folder.filePath("unreadable"));
    EXPECT_EQ(aside.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    for (const QString& copy : aside.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_EQ(QDir(aside.filePath(copy)).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(offered(next, folder.path()), QStringList());

    // Where the folder should be, a file; then a disk too full for the copy.
    writeFile(folder.filePath("file"), "x");
    for (const QString& reason :
         {folder.filePath("file/recovery") + ": The folder cannot be made.", ": " + qt_error_string(EFBIG)}) {
        TestEditor blocked;
        blocked->setRecoveryFolder(reason.startsWith(':') ? folder.path() : folder.filePath("file/recovery"));
        FileSizeLimit limit(1000);
        blocked.ui.answers = {MsgAnswer::OK};
        for (int round = 0; round < 3; ++round) {
            blocked.click({100.0 + round, 100});
            blocked.keepCopy();
        }
        ASSERT_EQ(blocked.ui.messages.size(), 1u);
        const ScriptedDialogs::Message& told = blocked.ui.messages[0];
        EXPECT_TRUE(told.title == "Unsaved work... " &&
                    told.text.startsWith("No copy of your unsaved work can be kept") &&
                    told.text.endsWith(reason))
            << told.text.toStdString();
    }
}
