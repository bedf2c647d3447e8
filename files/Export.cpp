#include "files/Export.h"
#include "files/FileSet.h"
#include "core/Numbers.h"
#include "files/GameFormat.h"

#include <QDir>

namespace vortan {

Refusal illegalNameRefusal() {
    return {" Warning illegal filename ", "Try to export the level again using a correct filename."};
}

int exportNumber(const QString& chosenName, int firstFree, Refusal* refusal) {
    const int num = roundHalfEven(leadingValue(chosenName.right(8).left(2)));
    auto refused = [&](const Refusal& why) {
        *refusal = why;
        return -1;
    };
    if (num < 9 || chosenName == "fractalt.quox")
        return refused({" Warning, trying to overwrite '" + chosenName + "' ",
                        "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\rIf you "
                        "really want to replace it, delete it manually first."});
    if (chosenName != "level" + twoDigits(num) + "t.quox") return refused(illegalNameRefusal());
    if (num > firstFree)
        return refused({" Warning illegal filename ",
                        " The levels has to be numbered sequentially, or they will not show up in the game. "
                        "\n\rTry to export the level again using a correct filename. "});
    return num;
}

std::optional<Refusal> sizeRefusal(QSize level) {
    if (level.width() <= kMaxGameSide && level.height() <= kMaxGameSide) return std::nullopt;
    return Refusal{
        " Level too large ",
        QString("VORTAN's level files hold at most %1 pixels in width and in height; this level is "
                "%2 x %3 pixels.")
            .arg(kMaxGameSide)
            .arg(level.width())
            .arg(level.height())};
}

bool writeGameLevel(const GameFolder& game, int number, const LevelDocument& level, const Picture& thumbnail,
                    const LongWork& work, const std::function<void(int)>& tooManyColours, QString* why) {
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
    return (writeThumbnail(*thumbFile, thumbnail, work) &&
            writeLevelImage(*levelFile, level, work, tooManyColours) &&
            writeMaterialMap(*mapFile, level, work) && set.commit()) ||
           failed();
}

} // namespace vortan
