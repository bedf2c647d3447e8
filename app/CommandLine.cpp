#include "app/CommandLine.h"
#include "app/Editor.h"
#include "core/FileSet.h"
#include "files/GameFormat.h"
#include "files/LevelFiles.h"
#include "files/PictureFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <set>

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
    void openDocument(const QString&) override {}
};

int fail(const QString& text) {
    print(stderr, QString(text).replace("\n\r", "\n").trimmed());
    return 1;
}

// The export's refusals, in the words of the Export button.
const char* kProtected =
    "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\rIf you really "
    "want to replace it, delete it manually first.";
const char* kIllegal = "Try to export the level again using a correct filename.";
const char* kOutOfSequence =
    " The levels has to be numbered sequentially, or they will not show up in the game. "
    "\n\rTry to export the level again using a correct filename. ";

// The level a command works on, read as Load reads it: a set, whichever member is named,
// or a single picture as the colour layer. Without a window there is no level before it,
// so a set without its colour layer is refused as well. Check and export refuse alike.
struct CommandLevel {
    QImage colour;
    std::optional<QImage> map;
};

std::optional<CommandLevel> readCommandLevel(const QString& path, QString* refusal) {
    auto refused = [&](const QString& why) -> std::optional<CommandLevel> {
        *refusal = QString("%1: %2").arg(path, why);
        return std::nullopt;
    };
    FileSet::settle(path); // a set whose writer was killed is whole again first
    if (!QFileInfo::exists(path)) return refused("The file does not exist.");
    const QString fileName = QFileInfo(path).fileName();
    const qsizetype nameEnd = setNameEnd(fileName);
    QString why;
    if (nameEnd < 0) {
        std::optional<QImage> picture = loadPicture(path, &why);
        if (!picture) return refused(why);
        return CommandLevel{std::move(*picture), std::nullopt};
    }
    const auto set = readLevelSet(path.left(path.size() - fileName.size()) + fileName.left(nameEnd), &why);
    if (!set) return refused(why);
    if (!set->colour) return refused("the set has no colour layer (.level.bmp).");
    return CommandLevel{*set->colour, set->map};
}

int exportLevel(const CommandLine& line) {
    const QString& path = line.files.at(0);
    QString why;
    if (!readCommandLevel(path, &why)) return fail(why);
    ConsoleDialogs ui;
    QTemporaryDir own; // a window's folders: the export reads neither its brushes nor its game
    Editor editor(ui, EditorFolders::beside(own.path()), std::make_unique<ClockRandom>());
    editor.setRecoveryFolder({}); // nothing of the user's unsaved work is touched
    editor.start();
    if (!editor.openFile(path, &why)) return fail(QString("%1: %2").arg(path, why));
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
    if (!editor.closeMapForExport()) return 1;
    const int firstFree = game.firstFreeNumber();
    int number = firstFree;
    if (!line.number.isEmpty()) {
        bool whole = false;
        number = line.number.toInt(&whole);
        if (!whole || number < 0 || number > 99) return fail(kIllegal);
    }
    if (number < 9) return fail(kProtected);
    if (number > firstFree) return fail(kOutOfSequence);
    if (number < firstFree && !line.force)
        return fail(QString("Level %1 is in the game already; --force replaces it.").arg(twoDigits(number)));
    if (!editor.writeToGame(game, number)) return fail("The level files could not be written.");
    if (remembered.path().isEmpty() && game.holdsGame()) game.remember();
    for (const auto kind :
         {GameFolder::File::Thumbnail, GameFolder::File::LevelImage, GameFolder::File::MaterialMap})
        print(stdout, QDir::toNativeSeparators(game.levelFile(kind, number)));
    return 0;
}

int checkLevel(const QString& path) {
    QString why;
    std::optional<CommandLevel> level = readCommandLevel(path, &why);
    if (!level) return fail(why);
    const QImage* colour = &level->colour;
    const std::optional<QImage>& map = level->map;
    bool fine = true;
    print(stdout, QString("Level: %1 x %2 pixels").arg(colour->width()).arg(colour->height()));

    std::set<uint32_t> colours;
    for (int y = 0; y < colour->height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(colour->constScanLine(y));
        colours.insert(row, row + colour->width());
    }
    const bool tooMany = colours.size() > 192;
    fine &= !tooMany;
    print(stdout, QString("Colours: %1 of the 192 the game keeps%2")
                      .arg(colours.size())
                      .arg(tooMany ? "; the rest will show as their nearest" : ""));

    if (!map) {
        print(stdout, "Map: none (no .map.bmp beside the level)");
        return 1;
    }
    if (map->size() != colour->size()) {
        print(
            stdout,
            QString("Map: %1 x %2 pixels, not the colour layer's size").arg(map->width()).arg(map->height()));
        fine = false;
    }
    std::map<Colour, qint64> counts;
    qint64 noMaterial = 0;
    QStringList where;
    for (int y = 0; y < map->height(); ++y)
        for (int x = 0; x < map->width(); ++x) {
            const Colour c = fromPixel(map->pixel(x, y));
            const bool known =
                c == kBlack || std::any_of(kMaterialList.begin(), kMaterialList.end(),
                                           [&](const MaterialEntry& m) { return m.colour == c; });
            if (known) {
                ++counts[c];
            } else if (++noMaterial <= 5) {
                where << QString("(%1, %2)").arg(x).arg(y);
            }
        }
    print(stdout, "Materials:");
    for (const MaterialEntry& m : kMaterialList)
        print(stdout, QString("  %1: %2").arg(m.name).arg(counts[m.colour]));
    print(stdout, QString("  nothing: %1").arg(counts[kBlack]));
    if (noMaterial > 0) {
        print(stdout, QString("No material: %1 pixels, the first at %2%3")
                          .arg(noMaterial)
                          .arg(where.join(", "))
                          .arg(noMaterial > 5 ? ", ..." : ""));
        fine = false;
    }
    // The frame the export draws: 17 pixels at the top and left, 16 at the bottom and right.
    qint64 open = 0;
    for (int y = 0; y < map->height(); ++y)
        for (int x = 0; x < map->width(); ++x)
            if ((x <= 16 || y <= 16 || x >= map->width() - 16 || y >= map->height() - 16) &&
                fromPixel(map->pixel(x, y)) != kWall)
                ++open;
    print(stdout, open == 0 ? QString("Wall frame: closed")
                            : QString("Wall frame: open at %1 pixels (the export closes it)").arg(open));
    return fine ? 0 : 1;
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
