#include "files/FileSet.h"
#include "support/TestFiles.h"

using namespace vortan::test;

TEST(FileSet, ReplacesAllItsFilesOrNone) {
    QTemporaryDir dir;
    const QStringList names = {"a.thumb.bmp", "a.level.bmp", "a.map.bmp"}; // the new file first
    auto oldSet = [&] {
        QFile::remove(dir.filePath(names[0]));
        EXPECT_TRUE(replaceFile(dir.filePath(names[1]), "old") &&
                    replaceFile(dir.filePath(names[2]), "old map"));
        return folderContents(dir.path());
    };
    auto writeSet = [&](FileSet& set) {
        for (const QString& name : names)
            set.add(dir.filePath(name), "new " + name.toUtf8());
        return set.commit();
    };
    const QStringList before = oldSet();
    QStringList after;
    {
        FileSet set;
        ASSERT_TRUE(writeSet(set) && !set.commit()); // committed once only
        after = folderContents(dir.path());
        ASSERT_EQ(after.size(), 3);
    }
    // A writer whose n-th step fails, or every step from then on (a disk gone read-only).
    static int failing = 0, steps = 0;
    static bool fromThenOn = false;
    auto failingAt = [&](int n, bool onwards) {
        FileSet set;
        failing = n, fromThenOn = onwards, steps = 0;
        FileSet::beforeStep = [] { return ++steps < failing || (!fromThenOn && steps > failing); };
        const bool committed = writeSet(set);
        FileSet::beforeStep = nullptr;
        return std::pair(committed, set.failure());
    };
    // Three new files, two second names, the journal, three renames: whole after step ten.
    for (const bool onwards : {false, true})
        for (int step = 1; step <= 13; ++step) {
            oldSet();
            const auto [committed, failure] = failingAt(step, onwards);
            EXPECT_EQ(committed, step >= 10) << step;
            EXPECT_TRUE(committed || failure.startsWith(dir.path())) << failure.toStdString();
            // A dead disk leaves the journal written: the next touch carries it out.
            EXPECT_TRUE(FileSet::settle(dir.filePath(names[0])));
            EXPECT_EQ(folderContents(dir.path()), committed || (onwards && step >= 7) ? after : before)
                << "failing step " << step << onwards;
        }

    oldSet();
    QDir(dir.path()).mkdir("level09t.quox");
    FileSet blocked, missing;
    EXPECT_FALSE(blocked.add(dir.filePath("level09t.quox")) ||
                 blocked.add(dir.filePath("level09.quox"), "x") || blocked.commit());
    EXPECT_EQ(blocked.failure(),
              dir.filePath("level09t.quox") + ": A folder or device of that name is in the way.");
    EXPECT_FALSE(missing.add(dir.filePath("missing/gameFolder.txt"), "x"));
    EXPECT_EQ(missing.failure(), dir.filePath("missing/gameFolder.txt") + ": " + qt_error_string(ENOENT));
    EXPECT_EQ(folderContents(dir.path()), before);
}

// What an ended writer left goes, its journal moving nothing out of the folder; a pipe is not waited on.
TEST(FileSet, SettlesOnlyWhatEndedWritersLeft) {
    QTemporaryDir dir;
    const QString ended = "~999999999~0badf00d", running = "~1~0badf00d";
    const QString earlierSelf = "~" + QString::number(getpid()) + "~0badf00d"; // an id used again
    writeFile(dir.filePath("castle.level.bmp.new" + running), "his");
    writeFile(dir.filePath("castle.level.bmp.new" + ended), "lost");
    writeFile(dir.filePath("castle.map.bmp.old" + earlierSelf), "lost");
    writeFile(dir.filePath("castle.map.bmp.new~12~notatag"), "mine"); // a name like ours
    QDir(dir.path()).mkdir("sub");
    writeFile(dir.filePath("sub/outside"), "kept");
    writeFile(dir.filePath("..%2Fsub%2Foutside.new" + ended), "moved?");
    writeFile(dir.filePath("..%2Fsub%2Foutside.commit" + ended),
              "vortan file set 1\n1\n0 ..%2Fsub%2Foutside\nend\n");
    ASSERT_TRUE(makePipe(dir.filePath("castle.map.bmp.commit" + ended)));
    EXPECT_TRUE(FileSet::settle(dir.filePath("castle.level.bmp")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
              QStringList({"castle.level.bmp.new~1~0badf00d", "castle.map.bmp.new~12~notatag"}));
    EXPECT_EQ(readFile(dir.filePath("sub/outside")), "kept");
}
