// Exporting the level into the game under the next free level number.
#include "core/Editor.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace vortan {

namespace {

QString twoDigits(int n) {
    return QString("%1").arg(n, 2, 10, QChar('0'));
}

// The largest size the game's level files can state.
constexpr int kMaxGameSide = 65535;

} // namespace

bool Editor::findGameFolder() {
    if (!gameFolder.isEmpty() && QFileInfo::exists(gameFolder + "Vortan.exe")) return true;
    DialogSettings& d = dialog.settings;
    d.fileName.clear();
    d.filter = "Program File (Vortan.exe)|Vortan.exe";
    d.title = "Find 'Vortan.exe' so I know where to save your level...";
    if (!dialog.showOpen(ui_)) return false;
    const QString path = d.fileName, title = d.fileTitle;
    if (title == "Vortan.exe" && QFileInfo::exists(path)) {
        gameFolder = path.left(path.size() - title.size());
    } else {
        gameFolder.clear();
        ui_.message(" VORTAN not found... ",
                    " You need to find where you keep VORTAN, try searching your harddisk. ", MsgButtons::OK,
                    MsgIcon::None);
    }
    // Remembered for the next run; a folder that cannot be written keeps the old file.
    replaceFile(QDir(ownFolder()).filePath("gameFolder.txt"), gameFolder.toLocal8Bit());
    return true;
}

void Editor::Command6_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    if (!findGameFolder() || gameFolder.isEmpty()) return;
    for (const PictureSurface& layer : Level)
        if (layer.ScaleWidth() > kMaxGameSide || layer.ScaleHeight() > kMaxGameSide) {
            ui_.message(
                " Level too large ",
                QString("VORTAN's level files hold at most %1 pixels in width and in height; this level is "
                        "%2 x %3 pixels.")
                    .arg(kMaxGameSide)
                    .arg(layer.ScaleWidth())
                    .arg(layer.ScaleHeight()),
                MsgButtons::OK, MsgIcon::Exclamation);
            return;
        }

    // The map is closed with the wall frame at every export.
    drawFrame(Level[1], kWall);
    if (layerIndex == 1) updateViewPort(float(viewPortXoff), float(viewPortYoff));

    // The game shows levels numbered without gaps: propose the first free number.
    int firstFree = 0;
    for (; firstFree < 100; ++firstFree) {
        const QString n = twoDigits(firstFree);
        if (!QFileInfo::exists(gameFilePath(GameFile::Thumbnail, n)) &&
            !QFileInfo::exists(gameFilePath(GameFile::LevelImage, n)) &&
            !QFileInfo::exists(gameFilePath(GameFile::MaterialMap, n)))
            break;
    }

    DialogSettings& d = dialog.settings;
    d.flags = 10;
    d.initDir = gameLevelFolder();
    d.fileName = "level" + twoDigits(firstFree) + "t.quox";
    d.filter = "VORTAN Levels (*t.quox)|*t.quox";
    d.cancelError = true;
    if (!dialog.showSave(ui_)) return;
    const QString title = d.fileTitle;
    if (title.isEmpty()) return;

    // The number is read as the dialogs read theirs: "+9" is 9, "5t" is 5.
    const int num = roundHalfEven(leadingValue(title.right(8).left(2)));
    if (num < 9 || title == "fractalt.quox") {
        ui_.message(" Warning, trying to overwrite '" + title + "' ",
                    "This level is a part of VORTAN.\n\rYou are not allowed to overwrite it.\n\rIf you "
                    "really want to "
                    "replace it, delete it manually first.",
                    MsgButtons::OK, MsgIcon::None);
        return;
    }
    if (title != "level" + twoDigits(num) + "t.quox") {
        ui_.message(" Warning illegal filename ", "Try to export the level again using a correct filename.",
                    MsgButtons::OK, MsgIcon::None);
        return;
    }
    if (num > firstFree) {
        ui_.message(
            " Warning illegal filename ",
            " The levels has to be numbered sequentially, or they will not show up in the game. \n\rTry to "
            "export the level again using a correct filename. ",
            MsgButtons::OK, MsgIcon::None);
        return;
    }

    progressSum = 0;
    progressPhases = 3;
    if (unsavedChanges) buildThumbnail();
    const QString n = twoDigits(num);
    if (!saveGameLevel(n)) return;
    ui_.beep();
}

} // namespace vortan
