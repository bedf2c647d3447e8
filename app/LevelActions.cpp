#include "app/LevelActions.h"
#include "view/View.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <utility>

namespace vortan {

Opened openInto(LevelDocument& level, View& view, LevelFile&& file) {
    // Each picture is let go as soon as the level has it, so that the level's pixels are
    // shared with nothing and its first edit copies none.
    int sizeFrom = LevelDocument::kColourLayer;
    if (LevelSetPictures* set = file.set ? &*file.set : nullptr) {
        if (set->thumbnail)
            view.thumbnail().setBackgroundPicture(*std::exchange(set->thumbnail, std::nullopt));
        if (set->colour)
            level.loadLayer(LevelDocument::kColourLayer, *std::exchange(set->colour, std::nullopt));
        if (set->map) level.loadLayer(LevelDocument::kMaterialMap, *std::exchange(set->map, std::nullopt));
    } else if (view.shown() == View::Shown::Thumbnail) {
        view.thumbnail().setBackgroundPicture(std::exchange(file.picture, QImage()));
        return Opened::ThumbnailOnly;
    } else {
        sizeFrom = view.shownLayer();
        level.loadLayer(sizeFrom, std::exchange(file.picture, QImage()));
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

void takeCommandLevel(LevelDocument& level, Picture& thumbnail, LevelFile&& file) {
    QImage colour, map;
    if (file.set) {
        if (file.set->thumbnail) thumbnail.setBackgroundPicture(*file.set->thumbnail);
        if (file.set->colour) colour = std::move(*file.set->colour);
        if (file.set->map) map = std::move(*file.set->map);
        file.set.reset();
    } else {
        colour = std::exchange(file.picture, QImage());
    }
    level.takeLayers(colour, map); // a missing map is empty, then sized as the colour layer
    level.setName(file.name);
}

namespace {
const char* kLevelFilter = "Levels (*level.bmp;*level.gif;*level.png)|*level.bmp;*level.gif;*level.png|"
                           "Pictures (*.bmp;*.gif;*.png)|*.bmp;*.gif;*.png";
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

namespace {

// The number of different colours of a picture: one bit for each of the 2^24 colours
// (2 MB), and a run of one colour looked up once.
qint64 countColours(const QImage& picture) {
    std::vector<uint64_t> seen(size_t(1) << 18, 0);
    qint64 count = 0;
    uint32_t last = 0xFFFFFFFFu;
    const int w = picture.width(), h = picture.height();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint32_t c = row[x] & 0xFFFFFF;
            if (c == last) continue;
            last = c;
            uint64_t& word = seen[c >> 6];
            const uint64_t bit = uint64_t(1) << (c & 63);
            count += (word & bit) == 0;
            word |= bit;
        }
    }
    return count;
}

} // namespace

LevelCheck checkLevel(const LevelFile& file) {
    LevelCheck check;
    const QImage& colour = file.set ? *file.set->colour : file.picture;
    check.lines << QString("Level: %1 x %2 pixels").arg(colour.width()).arg(colour.height());

    const qint64 colours = countColours(colour);
    const bool tooMany = colours > 192;
    check.fine = !tooMany;
    check.lines << QString("Colours: %1 of the 192 the game keeps%2")
                       .arg(colours)
                       .arg(tooMany ? "; the rest will show as their nearest" : "");
    if (!file.set || !file.set->map) {
        check.lines << "Map: none (no .map.bmp beside the level)";
        check.fine = false;
        return check;
    }
    const QImage& map = *file.set->map;
    if (map.size() != colour.size()) {
        check.lines
            << QString("Map: %1 x %2 pixels, not the colour layer's size").arg(map.width()).arg(map.height());
        check.fine = false;
    }
    // Pixels counted by material (the list's order, then black); a run of one colour is
    // looked up once. Where the frame the export draws would change the map, it is open.
    const int w = map.width(), h = map.height();
    const uint32_t wall = toPixel(kWall);
    std::array<qint64, kMaterialList.size() + 1> counts{};
    constexpr size_t kNothing = kMaterialList.size();
    qint64 noMaterial = 0, open = 0;
    QStringList where;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(map.constScanLine(y));
        for (int x = 0, end = 0; x < w; x = end) {
            const uint32_t pixel = row[x];
            for (end = x + 1; end < w && row[end] == pixel;)
                ++end;
            const Colour c = fromPixel(pixel);
            const auto m = std::find_if(kMaterialList.begin(), kMaterialList.end(),
                                        [&](const MaterialEntry& e) { return e.colour == c; });
            if (m != kMaterialList.end() || c == kBlack) {
                counts[m != kMaterialList.end() ? size_t(m - kMaterialList.begin()) : kNothing] += end - x;
                continue;
            }
            for (int at = x; at < end && noMaterial + (at - x) < 5; ++at)
                where << QString("(%1, %2)").arg(at).arg(y);
            noMaterial += end - x;
        }
        // The frame the export draws: 17 rows at the top and 16 at the bottom whole, and
        // of the rows between, 17 pixels at the left and 16 at the right.
        auto notWall = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                open += row[x] != wall;
        };
        if (y <= 16 || y >= h - 16) {
            notWall(0, w);
        } else {
            notWall(0, std::min(17, w));
            notWall(std::max(17, w - 16), w);
        }
    }
    check.lines << "Materials:";
    for (size_t i = 0; i < kMaterialList.size(); ++i)
        check.lines << QString("  %1: %2").arg(kMaterialList[i].name).arg(counts[i]);
    check.lines << QString("  nothing: %1").arg(counts[kNothing]);
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
    return writeLevelToGame(level, view.thumbnail(), game, number, ask, work);
}

bool writeLevelToGame(const LevelDocument& level, const Picture& thumbnail, const GameFolder& game,
                      int number, UserDialogs& ask, const LongWork& work) {
    const auto tooManyColours = [&](int count) {
        ask.message(" WARNING! ",
                    " To many colors! (" + QString::number(count) +
                        ") Try to keep below 192. \n\r Your level may look strange. ",
                    MsgButtons::OK, MsgIcon::Critical);
    };
    QString why;
    if (writeGameLevel(game, number, level, thumbnail, work, tooManyColours, &why)) return true;
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
