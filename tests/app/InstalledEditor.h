#pragma once

#include "support/TestFiles.h"

#include <QProcess>
#include <functional>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vortan::test {

// The editor installed once for the suite's process into a temporary prefix, its bin read-only as /usr/bin is
// to a user. The prefix goes when the process ends, whatever the outcome: bin made writable, to be emptied.
struct Installed {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    Installed() {
        QProcess install;
        install.start(CMAKE_COMMAND, {"--install", VORTAN_BUILD_DIR, "--prefix", prefix.path()});
        EXPECT_TRUE(install.waitForFinished(60000) && install.exitCode() == 0);
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~Installed() { QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }
    QString program() const { return bin + "/vortan-editor"; }
};

inline const Installed& installed() {
    static const Installed prefix;
    return prefix;
}

struct Outcome {
    int status; // -1 when the program crashed or was stopped
    QString out, err;
};

// A shell without a display, with a data folder of its own for the installed editor (dataHome/vortan-editor).
struct Shell {
    QTemporaryDir dataHome, runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString workingDirectory;
    int waitMs = 60000;
    std::function<void()> inChild; // runs in the child before the program starts

    Shell() {
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("XDG_DATA_HOME", dataHome.path());
        environment.insert("XDG_RUNTIME_DIR", runtime.path()); // Qt's own, else made in the temporary folder
    }
    QString dataFolder() const { return dataHome.filePath("vortan-editor"); }

    // The installed editor when no program is named.
    Outcome run(const QStringList& arguments, const QString& program = {}) const {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.setWorkingDirectory(workingDirectory);
        if (inChild) p.setChildProcessModifier(inChild);
        p.start(program.isEmpty() ? installed().program() : program, arguments);
        if (!p.waitForFinished(waitMs)) p.kill(); // and reads as a crash
        p.waitForFinished();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
};

} // namespace vortan::test
