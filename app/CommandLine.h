#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

namespace vortan {

// What the command line asks for: the window (maybe with a file to open), or one of the
// commands that run without a window and print what they do.
struct CommandLine {
    enum class Command { Window, Export, Check, Decode, Folders };
    Command command = Command::Window;
    QStringList files; // the file to open, or the command's files
    QString game;      // export: the game's folder
    QString number;    // export: the level number asked for
    bool force = false;
    // Set when the arguments are answered already (--help, --version, a mistake): the
    // exit status.
    std::optional<int> exitStatus;
};

// Reads the arguments as the system gives them (the program's name first). Help, the
// version and mistakes are printed here.
CommandLine parseCommandLine(const QList<QByteArray>& arguments);

// Runs a command without a window; the exit status: 0 done, 1 refused or failed.
int runCommand(const CommandLine& line);

} // namespace vortan
