#include "app/CommandLine.h"
#include "app/LevelActions.h"
#include "dialogs/Forms.h"
#include "files/EditorFolders.h"
#include "files/FileSet.h"
#include "files/GameFormat.h"
#include "files/LevelFiles.h"
#include "files/PictureFiles.h"
#include "view/View.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace vortan {

namespace {

void print(FILE* to, const QString& text) {
    std::fputs(qPrintable(text + "\n"), to);
}

// The editor's questions on the console: messages go to the error output, and nothing
// is ever chosen in a dialog.
class ConsoleDialogs : public UserDialogs {
  public:
    MsgAnswer message(const QString& title, const QString& text, MsgButtons, MsgIcon) override {
        print(stderr, title.trimmed() + ": " + QString(text).replace("\n\r", "\n").trimmed());
        return MsgAnswer::OK;
    }
    bool openFile(DialogSettings&) override { return false; }
    bool saveFile(DialogSettings&) override { return false; }
    bool chooseColour(DialogSettings&) override { return false; }
    void beep() override {}
    void showNewLevel(NewLevelForm& form) override { form.cancel(); }
    void showOptions(OptionsForm& form) override { form.cancel(); }
    void showResizeLevel(ResizeLevelForm& form) override { form.cancel(); }
    void openDocument(const QString&) override {}
};

int fail(const QString& text) {
    print(stderr, QString(text).replace("\n\r", "\n").trimmed());
    return 1;
}

int exportLevel(const CommandLine& line) {
    const QString& path = line.files.at(0);
    QString why;
    std::optional<LevelFile> file = readCommandLevel(path, &why);
    if (!file) return fail(why);
    ConsoleDialogs ask;
    // The layers take the pictures as they were read; the thumbnail is the set's, or the
    // blank one a new window has.
    LevelDocument level;
    Picture thumbnail = View().thumbnail();
    takeCommandLevel(level, thumbnail, std::move(*file));
    file.reset();
    // Without --game the export goes to the game the window found; a game named here is
    // remembered when none is known yet.
    const EditorFolders folders = EditorFolders::forProgram(QCoreApplication::applicationDirPath());
    GameFolder remembered(folders.state);
    remembered.readRemembered();
    if (line.game.isEmpty() && remembered.path().isEmpty())
        return fail("No game folder is known yet: --game DIR names it.");
    const GameFolder game = line.game.isEmpty() ? remembered : GameFolder::at(line.game, folders.state);
    if (!QFileInfo(game.levelFolder()).isDir())
        return fail(QString("%1 holds no gameData/Gfx folder for the levels.").arg(game.path()));
    if (!prepareForExport(level, ask)) return 1;
    const int firstFree = game.firstFreeNumber();
    // The number is checked as the Export button checks the name it stands for.
    bool whole = true;
    const int asked = line.number.isEmpty() ? firstFree : line.number.toInt(&whole);
    Refusal refusal = illegalNameRefusal();
    const int number = whole && asked >= 0 && asked <= 99
                           ? exportNumber("level" + twoDigits(asked) + "t.quox", firstFree, &refusal)
                           : -1;
    if (number < 0) return fail(refusal.text);
    if (number < firstFree && !line.force)
        return fail(QString("Level %1 is in the game already; --force replaces it.").arg(twoDigits(number)));
    if (!writeLevelToGame(level, thumbnail, game, number, ask, {}))
        return fail("The level files could not be written.");
    if (remembered.path().isEmpty() && game.holdsGame()) game.remember();
    for (const auto kind :
         {GameFolder::File::Thumbnail, GameFolder::File::LevelImage, GameFolder::File::MaterialMap})
        print(stdout, QDir::toNativeSeparators(game.levelFile(kind, number)));
    return 0;
}

int checkLevel(const QString& path) {
    QString why;
    const std::optional<LevelFile> file = readCommandLevel(path, &why);
    if (!file) return fail(why);
    const LevelCheck check = vortan::checkLevel(*file);
    for (const QString& line : check.lines)
        print(stdout, line);
    return check.fine ? 0 : 1;
}

int showFolders() {
    const EditorFolders folders = EditorFolders::forProgram(QCoreApplication::applicationDirPath());
    GameFolder game(folders.state);
    game.readRemembered();
    print(stdout, "Help page: " + QDir::toNativeSeparators(folders.helpPage()));
    print(stdout, "Brushes: " + QDir::toNativeSeparators(folders.brushFolder()));
    print(stdout, "Levels: " + QDir::toNativeSeparators(folders.levelFolder()));
    print(stdout, "Game: " + (game.path().isEmpty() ? QString("not known yet")
                                                    : QDir::toNativeSeparators(game.path())));
    print(stdout, "Game remembered in: " + QDir::toNativeSeparators(game.rememberedIn()));
    return 0;
}

int decode(const QString& path, const QString& out) {
    FileSet::settle(path);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return fail(path + ": cannot be read.");
    // Every byte of the stream is at least one pixel: a longer file is no level the editor
    // reads, and is not read into memory.
    constexpr qint64 kLongestFile = 16 + 3 * 256 + kMaxPicturePixels;
    if (file.size() > kLongestFile)
        return fail(QString("%1: the file is %2 bytes long, more than a picture the editor reads takes.")
                        .arg(path)
                        .arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) return fail(path + ": cannot be read.");
    QString why;
    const std::optional<QImage> picture = decodeGameFile(bytes, &why);
    if (!picture) return fail(QString("%1: %2").arg(path, why));
    Picture decoded;
    decoded.takePixels(*picture); // shared, not copied
    if (!savePicture(decoded, out)) return fail(out + ": cannot be written.");
    print(stdout, QString("%1: %2 x %3 pixels").arg(out).arg(picture->width()).arg(picture->height()));
    return 0;
}

} // namespace

CommandLine parseCommandLine(const QList<QByteArray>& rawArguments) {
    CommandLine line;
    auto done = [&](int status, FILE* to, const QString& text) {
        print(to, text.trimmed());
        line.exitStatus = status;
        return line;
    };
    // A name that is not UTF-8 text has no QString that opens the file: say so rather
    // than look for a file of another name.
    QStringList arguments;
    for (const QByteArray& raw : rawArguments) {
        arguments << QFile::decodeName(raw);
        if (arguments.size() > 1 && QFile::encodeName(arguments.last()) != raw)
            return done(1, stderr, arguments.last() + ": the name cannot be read (it is not UTF-8 text).");
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "The VORTAN level editor.\n\n"
        "Without a command it opens its window, and the level set or picture PATH when given.\n"
        "Commands, run without a window:\n"
        "  export PATH [--game DIR] [--number N] [--force]\n"
        "        the level set of PATH into the game in DIR (the game the editor knows),\n"
        "        as the Export button writes it\n"
        "  check PATH   a level set's size, colours, materials and wall frame\n"
        "  decode FILE.quox OUT.bmp   a game level file back into a picture\n"
        "  folders      where the editor finds its help and brushes and keeps levels");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption game(
        {"g", "game"},
        "export: the game's folder, which holds gameData/Gfx; remembered when the editor knows none.", "DIR");
    const QCommandLineOption number({"n", "number"},
                                    "export: the level number, 9 to 99 (the first free one).", "N");
    const QCommandLineOption force("force", "export: replace a level that is in the game already.");
    parser.addOptions({game, number, force});
    parser.addPositionalArgument("command", "export, check, decode or folders; or PATH, a level to open.",
                                 "[command]");

    if (!parser.parse(arguments)) return done(2, stderr, parser.errorText());
    if (parser.isSet(help))
        return done(0, stdout, parser.helpText().replace("<executable_name>", "vortan-editor"));
    if (parser.isSet(version)) return done(0, stdout, "vortan-editor 1.0");
    QStringList rest = parser.positionalArguments();
    const struct {
        const char* name;
        CommandLine::Command command;
        qsizetype files;
    } commands[] = {{"export", CommandLine::Command::Export, 1},
                    {"check", CommandLine::Command::Check, 1},
                    {"decode", CommandLine::Command::Decode, 2},
                    {"folders", CommandLine::Command::Folders, 0}};
    for (const auto& c : commands) {
        if (rest.isEmpty() || rest.first() != c.name) continue;
        rest.removeFirst();
        if (rest.size() != c.files)
            return done(2, stderr, QString("%1: wrong number of files; see --help.").arg(c.name));
        line.command = c.command;
    }
    if (line.command == CommandLine::Command::Window && !rest.isEmpty() && !QFileInfo::exists(rest.first()))
        return done(2, stderr, rest.first() + ": unknown command or file; see --help.");
    if (line.command == CommandLine::Command::Window && rest.size() > 1)
        return done(2, stderr, "Only one level can be opened; see --help.");
    line.files = rest;
    line.game = parser.value(game);
    line.number = parser.value(number);
    line.force = parser.isSet(force);
    return line;
}

int runCommand(const CommandLine& line) {
    switch (line.command) {
    case CommandLine::Command::Export:
        return exportLevel(line);
    case CommandLine::Command::Check:
        return checkLevel(line.files.at(0));
    case CommandLine::Command::Decode:
        return decode(line.files.at(0), line.files.at(1));
    case CommandLine::Command::Folders:
        return showFolders();
    case CommandLine::Command::Window:
        break;
    }
    return 2;
}

} // namespace vortan
