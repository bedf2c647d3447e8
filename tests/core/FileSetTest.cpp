#include "core/SafeFile.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vortan;

namespace {

// A set whose n-th rename fails, as a full or failing disk might at any step.
class FailingFileSet : public FileSet {
  public:
    explicit FailingFileSet(int failingMove) : failingMove_(failingMove) {}
    int moves = 0;

  protected:
    bool move(const QString& from, const QString& to) override {
        return ++moves != failingMove_ && FileSet::move(from, to);
    }

  private:
    int failingMove_;
};

QMap<QString, QByteArray> contents(const QString& folder) {
    QMap<QString, QByteArray> all;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(folder + "/" + name);
        all[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?");
    }
    return all;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// Two old files replaced and one new file added: a failure at any step leaves exactly
// the old files; without one, exactly the new.
TEST(FileSet, ReplacesAllFilesOrNone) {
    QTemporaryDir dir;
    write(dir.filePath("a.map.bmp"), "old map");
    write(dir.filePath("a.level.bmp"), "old level");
    const auto before = contents(dir.path());
    auto writeSet = [&](FileSet& set) {
        set.add(dir.filePath("a.level.bmp"), "new level");
        set.add(dir.filePath("a.map.bmp"), "new map");
        set.add(dir.filePath("a.thumb.bmp"), "new thumb");
        return set.commit();
    };
    // Two old files aside, three new ones in: five moves.
    for (int failing = 1; failing <= 5; ++failing) {
        FailingFileSet set(failing);
        EXPECT_FALSE(writeSet(set)) << failing;
        EXPECT_EQ(contents(dir.path()), before) << "failing move " << failing;
    }
    {
        test::FileSizeLimit limit(4); // every write of the new files fails
        FileSet set;
        EXPECT_FALSE(writeSet(set));
    }
    EXPECT_EQ(contents(dir.path()), before);

    FailingFileSet set(0);
    EXPECT_TRUE(writeSet(set));
    EXPECT_EQ(set.moves, 5);
    const QMap<QString, QByteArray> after{
        {"a.level.bmp", "new level"}, {"a.map.bmp", "new map"}, {"a.thumb.bmp", "new thumb"}};
    EXPECT_EQ(contents(dir.path()), after);
}

TEST(FileSet, AFolderInTheWayOrAMissingFolderFailsAtOnce) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("level09t.quox");
    FileSet set;
    EXPECT_EQ(set.add(dir.filePath("level09t.quox")), nullptr);
    EXPECT_FALSE(set.add(dir.filePath("level09.quox"), "x")); // the set has failed
    EXPECT_FALSE(set.commit());
    EXPECT_TRUE(QFileInfo(dir.filePath("level09t.quox")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    EXPECT_FALSE(replaceFile(dir.filePath("missing/gameFolder.txt"), "x"));
}
