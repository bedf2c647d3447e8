#include "files/Export.h"
#include "core/FileSet.h"
#include "core/Numbers.h"
#include "files/GameFormat.h"

#include <QDir>

namespace vortan {

int exportNumber(const QString& chosenName, int firstFree, UserDialogs& ui) {
    const int num = roundHalfEven(leadingValue(chosenName.right(8).left(2)));
    if (num < 9 || chosenName == "fractalt.quox") {
        ui.message(" Warning, trying to overwrite '" + chosenName + "' ",
                   "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\rIf you really "
                   "want to "
                   "replace it, delete it manually first.",
                   MsgButtons::OK, MsgIcon::None);
        return -1;
    }
    if (chosenName != "level" + twoDigits(num) + "t.quox") {
        ui.message(" Warning illegal filename ", "Try to export the level again using a correct filename.",
                   MsgButtons::OK, MsgIcon::None);
        return -1;
    }
    if (num > firstFree) {
        ui.message(
            " Warning illegal filename ",
            " The levels has to be numbered sequentially, or they will not show up in the game. \n\rTry to "
            "export the level again using a correct filename. ",
            MsgButtons::OK, MsgIcon::None);
        return -1;
    }
    return num;
}

bool writeGameLevel(const GameFolder& game, int number, const LevelDocument& level, const Picture& thumbnail,
                    const LongWork& work, UserDialogs& ui, QString* why) {
    // Every file is opened before the long writing starts, so a missing folder fails at once.
    FileSet set;
    auto failed = [&] {
        if (why)
            *why = set.failure().isEmpty() ? QDir::toNativeSeparators(game.levelFolder()) +
                                                 ": The level files could not be written."
                                           : set.failure();
        return false;
    };
    QFile* thumbFile = set.add(game.levelFile(GameFolder::File::Thumbnail, number));
    QFile* levelFile = set.add(game.levelFile(GameFolder::File::LevelImage, number));
    QFile* mapFile = set.add(game.levelFile(GameFolder::File::MaterialMap, number));
    if (!thumbFile || !levelFile || !mapFile) return failed();
    auto warn = [&](int count) {
        ui.message(" WARNING! ",
                   " To many colors! (" + QString::number(count) +
                       ") Try to keep below 192. \n\r Your level may look strange. ",
                   MsgButtons::OK, MsgIcon::Critical);
    };
    return (writeThumbnail(*thumbFile, thumbnail, work) && writeLevelImage(*levelFile, level, work, warn) &&
            writeMaterialMap(*mapFile, level, work) && set.commit()) ||
           failed();
}

} // namespace vortan
