#include "core/UserDialogs.h"

namespace vortan {

bool Dialog::finish(bool chosen) {
    if (chosen) return true;
    if (settings.cancelError) return false;
    settings.fileTitle.clear();
    return true;
}

bool Dialog::showOpen(UserDialogs& ui) {
    return finish(ui.openFile(settings));
}
bool Dialog::showSave(UserDialogs& ui) {
    return finish(ui.saveFile(settings));
}
bool Dialog::showColor(UserDialogs& ui) {
    // A cancelled colour choice is never a colour, whatever the cancel setting.
    return ui.chooseColour(settings);
}

} // namespace vortan
