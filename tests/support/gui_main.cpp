// Runs a suite of the editor's logic: a headless QGuiApplication (fonts for text in
// pictures), never a window. The window's suite builds it with an offscreen QApplication.
#ifndef VORTAN_SUITE_APPLICATION
#include <QGuiApplication>
#define VORTAN_SUITE_APPLICATION QGuiApplication
#endif
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never the user's own data
    // Qt's runtime folder: without one it makes runtime-<user> in the temporary folder, and leaves it.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    VORTAN_SUITE_APPLICATION app(argc, argv);
    return RUN_ALL_TESTS();
}
