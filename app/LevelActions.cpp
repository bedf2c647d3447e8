#include "app/LevelActions.h"
#include "view/View.h"

#include <QFileInfo>
#include <map>
#include <set>

namespace vortan {

Opened openInto(LevelDocument& level, View& view, const LevelFile& file) {
    int sizeFrom = LevelDocument::kColourLayer;
    if (file.set) {
        if (file.set->thumbnail) view.thumbnail().setBackgroundPicture(*file.set->thumbnail);
        if (file.set->colour) level.loadLayer(LevelDocument::kColourLayer, *file.set->colour);
        if (file.set->map) level.loadLayer(LevelDocument::kMaterialMap, *file.set->map);
    } else if (view.shown() == View::Shown::Thumbnail) {
        view.thumbnail().setBackgroundPicture(file.picture);
        return Opened::ThumbnailOnly;
    } else {
        sizeFrom = view.shownLayer();
        level.loadLayer(sizeFrom, file.picture);
    }
    level.setName(file.name);
    view.markNavigatorStale();
    view.fitNavigator(level, sizeFrom);
    level.matchSizeTo(sizeFrom);
    return Opened::Level;
}

std::optional<LevelFile> readCommandLevel(const QString& path, QString* refusal) {
    auto refused = [&](const QString& why) -> std::optional<LevelFile> {
        *refusal = QString("%1: %2").arg(path, why);
        return std::nullopt;
    };
    if (!QFileInfo::exists(path)) return refused("The file does not exist.");
    QString why;
    std::optional<LevelFile> file = readLevelFile(path, &why);
    if (!file) return refused(why);
    if (file->set && !file->set->colour) return refused("the set has no colour layer (.level.bmp).");
    return file;
}

namespace {
const char* kLevelFilter =
    "Levels (*level.bmp;*level.gif)|*level.bmp;*level.gif|Pictures (*.bmp;*.gif)|*.bmp;*.gif";
} // namespace

bool saveLevelAs(LevelDocument& level, View& view, SharedDialog& dialog, UserDialogs& ask,
                 const QString& levelFolder, const LongWork& work) {
    DialogSettings& d = dialog.settings;
    d.title = "Save Level...";
    d.filter = kLevelFilter;
    d.filterIndex = 1;
    d.initialFolder = levelFolder;
    d.path = level.name();
    d.defaultSuffix = ".bmp";
    d.cancelIsFailure = true;
    if (!dialog.showSave(ask) || d.chosenName.isEmpty()) return false;
    QString why;
    const auto thumbnail = [&]() -> const Picture& {
        if (level.isModified()) view.buildThumbnail(level, work);
        return view.thumbnail();
    };
    if (!saveLevelSet(saveBaseFor(d.path), level, thumbnail, &why)) {
        ask.message(" Level not saved ", "Your level could not be saved; it is still unsaved.\n\r" + why,
                    MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    level.setModified(false);
    return true;
}

std::optional<QString> chooseLevelFile(SharedDialog& dialog, UserDialogs& ask, const QString& levelFolder) {
    DialogSettings& d = dialog.settings;
    d.title = "Load Level...";
    d.filter = kLevelFilter;
    d.initialFolder = levelFolder;
    d.filterIndex = 1;
    d.path.clear();
    d.cancelIsFailure = true;
    if (!dialog.showOpen(ask)) return std::nullopt;
    return d.chosenName.isEmpty() ? QString() : d.path;
}

int chooseExportNumber(const GameFolder& game, SharedDialog& dialog, UserDialogs& ask) {
    const int firstFree = game.firstFreeNumber();
    DialogSettings& d = dialog.settings;
    d.askBeforeReplacing = true;
    d.initialFolder = game.levelFolder();
    d.path = "level" + twoDigits(firstFree) + "t.quox";
    d.filter = "VORTAN Levels (*t.quox)|*t.quox";
    d.cancelIsFailure = true;
    if (!dialog.showSave(ask) || d.chosenName.isEmpty()) return -1;
    Refusal refusal;
    const int number = exportNumber(d.chosenName, firstFree, &refusal);
    if (number < 0) tell(ask, refusal);
    return number;
}

LevelCheck checkLevel(const LevelFile& file) {
    LevelCheck check;
    const QImage& colour = file.set ? *file.set->colour : file.picture;
    const std::optional<QImage> map = file.set ? file.set->map : std::nullopt;
    check.lines << QString("Level: %1 x %2 pixels").arg(colour.width()).arg(colour.height());

    std::set<uint32_t> colours;
    for (int y = 0; y < colour.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(colour.constScanLine(y));
        colours.insert(row, row + colour.width());
    }
    const bool tooMany = colours.size() > 192;
    check.fine = !tooMany;
    check.lines << QString("Colours: %1 of the 192 the game keeps%2")
                       .arg(colours.size())
                       .arg(tooMany ? "; the rest will show as their nearest" : "");
    if (!map) {
        check.lines << "Map: none (no .map.bmp beside the level)";
        check.fine = false;
        return check;
    }
    if (map->size() != colour.size()) {
        check.lines << QString("Map: %1 x %2 pixels, not the colour layer's size")
                           .arg(map->width())
                           .arg(map->height());
        check.fine = false;
    }
    // Where the frame the export draws would change the map, the frame is open.
    Picture framed;
    framed.takePixels(*map);
    LevelDocument::drawFrame(framed, kWall);
    std::map<Colour, qint64> counts;
    qint64 noMaterial = 0, open = 0;
    QStringList where;
    for (int y = 0; y < map->height(); ++y)
        for (int x = 0; x < map->width(); ++x) {
            const Colour c = fromPixel(map->pixel(x, y));
            const bool known =
                c == kBlack || std::any_of(kMaterialList.begin(), kMaterialList.end(),
                                           [&](const MaterialEntry& m) { return m.colour == c; });
            if (known)
                ++counts[c];
            else if (++noMaterial <= 5)
                where << QString("(%1, %2)").arg(x).arg(y);
            if (framed.pixelAt(x, y) != c) ++open;
        }
    check.lines << "Materials:";
    for (const MaterialEntry& m : kMaterialList)
        check.lines << QString("  %1: %2").arg(m.name).arg(counts[m.colour]);
    check.lines << QString("  nothing: %1").arg(counts[kBlack]);
    if (noMaterial > 0) {
        check.lines << QString("No material: %1 pixels, the first at %2%3")
                           .arg(noMaterial)
                           .arg(where.join(", "))
                           .arg(noMaterial > 5 ? ", ..." : "");
        check.fine = false;
    }
    check.lines << (open == 0 ? QString("Wall frame: closed")
                              : QString("Wall frame: open at %1 pixels (the export closes it)").arg(open));
    return check;
}

void tell(UserDialogs& ask, const Refusal& refusal) {
    ask.message(refusal.title, refusal.text, MsgButtons::OK, MsgIcon::None);
}

bool findGameFolder(GameFolder& game, UserDialogs& ask, SharedDialog& dialog) {
    if (game.holdsGame()) return true;
    DialogSettings& d = dialog.settings;
    d.path.clear();
    d.filter = "Program File (Vortan.exe)|Vortan.exe";
    d.title = "Find 'Vortan.exe' so I know where to save your level...";
    if (!dialog.showOpen(ask)) return false;
    if (d.chosenName == "Vortan.exe" && QFileInfo::exists(d.path)) {
        game.setPath(d.path.left(d.path.size() - d.chosenName.size()));
    } else {
        game.setPath({});
        ask.message(" VORTAN not found... ",
                    " You need to find where you keep VORTAN, try searching your harddisk. ", MsgButtons::OK,
                    MsgIcon::None);
    }
    game.remember();
    return true;
}

bool prepareForExport(LevelDocument& level, UserDialogs& ask) {
    if (const std::optional<Refusal> tooLarge = sizeRefusal(level.size())) {
        ask.message(tooLarge->title, tooLarge->text, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    // The map is closed with the wall frame at every export.
    level.history().begin("Wall frame");
    level.closeMapWithFrame();
    level.history().end();
    return true;
}

bool writeLevelToGame(LevelDocument& level, View& view, const GameFolder& game, int number, UserDialogs& ask,
                      const LongWork& work) {
    if (level.isModified()) view.buildThumbnail(level, work.withoutProgress());
    const auto tooManyColours = [&](int count) {
        ask.message(" WARNING! ",
                    " To many colors! (" + QString::number(count) +
                        ") Try to keep below 192. \n\r Your level may look strange. ",
                    MsgButtons::OK, MsgIcon::Critical);
    };
    QString why;
    if (writeGameLevel(game, number, level, view.thumbnail(), work, tooManyColours, &why)) return true;
    ask.message(" Level not exported ", "Your level could not be written into the game.\n\r" + why,
                MsgButtons::OK, MsgIcon::Exclamation);
    return false;
}

void levelToMap(LevelDocument& level, const LongWork& work) {
    level.history().begin("Level -> Map");
    level.convertColourToMap(work);
    level.history().end();
}

} // namespace vortan
