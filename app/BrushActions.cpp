#include "app/BrushActions.h"
#include "files/PictureFiles.h"

#include <QFileInfo>

namespace vortan {

bool chooseBrushColour(Brush& brush, bool levelView, SharedDialog& dialog, UserDialogs& ask) {
    dialog.settings.colour = levelView ? brush.colour() : brush.material();
    if (!dialog.showColour(ask)) return false;
    const Colour chosen = dialog.settings.colour & 0xFFFFFF;
    // Outside the Level view a colour chosen is always a material.
    brush.take(levelView ? chosen : snapToMaterial(chosen), levelView);
    return true;
}

std::optional<bool> loadBrushPicture(Brush& brush, SharedDialog& dialog, UserDialogs& ask,
                                     const QString& brushFolder) {
    DialogSettings& d = dialog.settings;
    d.title = "Load Brush...";
    d.filterIndex = 0;
    d.path.clear();
    d.cancelIsFailure = true;
    d.filter = "Pictures (*.bmp;*.gif;*.png)|*.bmp;*.gif;*.png";
    d.initialFolder = brushFolder;
    if (!dialog.showOpen(ask) || d.chosenName.isEmpty()) return std::nullopt;
    if (!QFileInfo::exists(d.path)) return false;
    const std::optional<QImage> picture = loadPicture(d.path);
    if (!picture || picture->isNull()) return std::nullopt; // not a readable picture: nothing changes
    brush.usePicture(*picture);
    return true;
}

} // namespace vortan
