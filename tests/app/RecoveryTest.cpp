#include "support/FileSizeLimit.h"
#include "support/ImageCompare.h"
#include "support/TestEditor.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

using namespace vortan;
using namespace vortan::test;

namespace {

// The copies in a recovery folder, by their levels' names.
QStringList copiesIn(const QString& folder) {
    QStringList names;
    for (const QString& copy : QDir(folder).entryList({"copy-*"}, QDir::Dirs))
        if (const auto level = RecoveryCopy(QDir(folder).filePath(copy)).read()) names << level->name;
    names.sort();
    return names;
}

// An editor that paints a dot at x in a level of its own and keeps a copy in `folder`.
void paintAndCopy(TestEditor& e, const QString& folder, const QString& name, int x) {
    e->setRecoveryFolder(folder);
    e.newLevel(300, 200);
    e->level().setName(name);
    e->pressInViewport(Qt::LeftButton, {}, {double(x), 100});
    e->releaseInViewport();
    e->writeRecoveryCopy();
    e->finishRecoveryCopy();
}

} // namespace

// The editor of this child process paints, waits for its recovery copy and is killed.
TEST(RecoveryChild, PaintsAndWaitsForItsCopy) {
    const QString folder = qEnvironmentVariable("VORTAN_RECOVERY_CHILD");
    if (folder.isEmpty()) GTEST_SKIP() << "run by the recovery test only";
    TestEditor e;
    e->setRecoveryFolder(folder);
    e.newLevel(300, 200);
    e->pressInViewport(Qt::LeftButton, {}, {150, 100});
    e->releaseInViewport();
    while (copiesIn(folder).isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    std::puts("ready");
    std::fflush(stdout);
    QThread::sleep(60);
}

// An editor killed after an edit leaves a copy; the next start asks, and Yes brings the
// level back pixel for pixel as unsaved work. Saving removes the copy.
TEST(Recovery, AKilledEditorsLevelComesBack) {
    QTemporaryDir folder, childTemp; // a killed child removes nothing of its own: its folders go here
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", childTemp.path());
    env.insert("VORTAN_RECOVERY_CHILD", folder.path());
    env.insert("VORTAN_RECOVERY_SECONDS", "1");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RecoveryChild.*"});
    while (!child.readAllStandardOutput().contains("ready") && child.waitForReadyRead(30000)) {
    }
    child.kill(); // kill -9: nothing of the editor's own ends runs
    child.waitForFinished();
    TestEditor painted;
    painted.newLevel(300, 200);
    painted->pressInViewport(Qt::LeftButton, {}, {150, 100});

    TestEditor e;
    e->setRecoveryFolder(folder.path());
    e.ui.answers = {MsgAnswer::Yes};
    e->offerRecovery();
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_TRUE(e.ui.messages[0].text.startsWith(
        "Recover the unsaved level 'Type the name of the level here' from "));
    EXPECT_TRUE(sameImage(painted->level().colourLayer().image(), e->level().colourLayer().image()));
    EXPECT_TRUE(sameImage(painted->level().materialMap().image(), e->level().materialMap().image()));
    EXPECT_TRUE(e->level().hasUnsavedChanges());

    // Its own copy takes the place of the one recovered; saved work leaves no copy.
    e->writeRecoveryCopy();
    e->finishRecoveryCopy();
    EXPECT_EQ(QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs).size(), 1);
    EXPECT_EQ(copiesIn(folder.path()), QStringList{"Type the name of the level here"});
    e.ui.choices = {ScriptedDialogs::Choice{e.folder.filePath("kept")}};
    ASSERT_TRUE(e->saveLevel());
    EXPECT_EQ(copiesIn(folder.path()), QStringList());
    e->writeRecoveryCopy(); // nothing unsaved
    e->finishRecoveryCopy();
    EXPECT_EQ(copiesIn(folder.path()), QStringList());
}

// Editors that run at once keep a copy each, and none offers or removes another's. The
// copies of editors that ended are offered newest first until one is taken.
TEST(Recovery, EachEditorKeepsItsOwnCopyAndEndedOnesAreOfferedNewestFirst) {
    QTemporaryDir folder;
    QImage olderLevel;
    {
        TestEditor older, newer;
        paintAndCopy(older, folder.path(), "older", 100);
        paintAndCopy(newer, folder.path(), "newer", 200);
        olderLevel = older->level().colourLayer().image();
    } // both end with their work unsaved
    TestEditor running;
    paintAndCopy(running, folder.path(), "running", 150);
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"newer", "older", "running"}));

    TestEditor e;
    e->setRecoveryFolder(folder.path());
    e.ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    e->offerRecovery();
    ASSERT_EQ(e.ui.messages.size(), 2u);
    EXPECT_TRUE(e.ui.messages[0].text.startsWith("Recover the unsaved level 'newer' from "));
    EXPECT_TRUE(e.ui.messages[1].text.startsWith("Recover the unsaved level 'older' from "));
    EXPECT_EQ(e->level().name(), "older");
    EXPECT_TRUE(sameImage(olderLevel, e->level().colourLayer().image()));
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"older", "running"})); // No removed the newer one

    // Both running: a third editor is offered nothing and removes nothing.
    TestEditor third;
    third->setRecoveryFolder(folder.path());
    third->offerRecovery();
    EXPECT_TRUE(third.ui.messages.empty());
    e->writeRecoveryCopy();
    e->finishRecoveryCopy();
    third->offerRecovery();
    EXPECT_TRUE(third.ui.messages.empty());
    EXPECT_EQ(copiesIn(folder.path()), QStringList({"older", "running"}));
    EXPECT_EQ(QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs).size(),
              2); // e's own in place of the older

    // An editor closed with nothing unsaved leaves no copy, nor its folder.
    running.ui.answers = {MsgAnswer::No};
    EXPECT_TRUE(running->mayClose());
    running.editor.reset();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot).size(),
              2); // e's and its lock
}

// A copy that cannot be read is told of once and kept aside; a name with a line break
// and a "%1" comes back whole. A recovery folder that cannot be written is told of once.
TEST(Recovery, CopiesThatCannotBeReadOrWrittenAreToldOnce) {
    QTemporaryDir folder;
    for (const char* name : {"two\nlines %1", "cut text", "cut picture"}) {
        TestEditor ended;
        paintAndCopy(ended, folder.path(), name, 100);
    }
    for (const QString& copy : QDir(folder.path()).entryList({"copy-*"}, QDir::Dirs)) {
        const QString path = QDir(folder.path()).filePath(copy);
        const QString name = RecoveryCopy(path).read()->name;
        if (name != "two\nlines %1")
            QFile(path + (name == "cut text" ? "/recovery.txt" : "/recovery.map.bmp")).resize(20);
    }
    TestEditor e;
    e->setRecoveryFolder(folder.path());
    e.ui.answers = {MsgAnswer::OK, MsgAnswer::Yes};
    e->offerRecovery();
    ASSERT_EQ(e.ui.messages.size(), 2u) << e.ui.messages[0].text.toStdString();
    const QString told = e.ui.messages[0].text;
    EXPECT_TRUE(told.startsWith("A copy of unsaved work could not be read.\n\r")) << told.toStdString();
    EXPECT_TRUE(told.contains("recovery.txt: It is cut short or damaged.\n\rKept in " + folder.path() +
                              "/unreadable/copy-"))
        << told.toStdString();
    EXPECT_TRUE(told.contains("recovery.map.bmp: ")) << told.toStdString();
    EXPECT_EQ(e->level().name(), "two\nlines %1");
    const QDir aside(folder.filePath("unreadable"));
    EXPECT_EQ(aside.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    for (const QString& copy : aside.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_EQ(QDir(aside.filePath(copy)).entryList(QDir::Files).size(), 3);
    TestEditor next;
    next->setRecoveryFolder(folder.path());
    next->offerRecovery();
    EXPECT_TRUE(next.ui.messages.empty());

    // Where the folder should be, a file; then a disk too full for the copy.
    writeFile(folder.filePath("file"), "x");
    const QString reasons[] = {folder.filePath("file/recovery") + ": The folder cannot be made.",
                               ": " + qt_error_string(EFBIG)};
    for (const QString& reason : reasons) {
        TestEditor blocked;
        blocked->setRecoveryFolder(reason.startsWith(':') ? folder.path() : folder.filePath("file/recovery"));
        FileSizeLimit limit(1000);
        blocked.ui.answers = {MsgAnswer::OK};
        for (int round = 0; round < 3; ++round) {
            blocked->pressInViewport(Qt::LeftButton, {}, {100.0 + round, 100});
            blocked->releaseInViewport();
            blocked->writeRecoveryCopy();
            blocked->finishRecoveryCopy();
        }
        ASSERT_EQ(blocked.ui.messages.size(), 1u);
        EXPECT_EQ(blocked.ui.messages[0].title, "Unsaved work... ");
        EXPECT_TRUE(blocked.ui.messages[0].text.startsWith("No copy of your unsaved work can be kept"));
        EXPECT_TRUE(blocked.ui.messages[0].text.endsWith(reason))
            << blocked.ui.messages[0].text.toStdString();
    }
}
