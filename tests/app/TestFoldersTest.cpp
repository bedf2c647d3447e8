#include "app/InstalledEditor.h"

#include <QCoreApplication>

using namespace vortan::test;

// A run of the app suite leaves the temporary folder as it found it, killed children and
// the installed editor included, and writes nothing into the build folder's own folder.
TEST(TestFolders, ARunOfTheSuiteLeavesNothingBehind) {
    if (qEnvironmentVariableIsSet("VORTAN_SUITE_IN_A_FOLDER")) GTEST_SKIP() << "the run being watched";
    const auto buildFolder = [] {
        return QDir(VORTAN_BUILD_DIR "/levels").entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
               << QString::number(QFileInfo::exists(VORTAN_BUILD_DIR "/gameFolder.txt"));
    };
    const QStringList buildBefore = buildFolder();
    QTemporaryDir temp;
    Shell shell;
    shell.environment.insert("TMPDIR", temp.path());
    shell.environment.remove("XDG_RUNTIME_DIR"); // as ctest runs it
    shell.environment.insert("VORTAN_SUITE_IN_A_FOLDER", "1");
    shell.waitMs = 300000;
    const Outcome run = shell.run({}, QCoreApplication::applicationFilePath());
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList());
    EXPECT_EQ(buildFolder(), buildBefore);
}
