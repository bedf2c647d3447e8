// New, Options and Help.
#include "core/Editor.h"

#include <QDir>

namespace vortan {

void Editor::Command2_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    if (!wantSave()) return;
    didCancel = false;
    ui_.showNewLevel(newLevelForm);
    if (didCancel || xRes == 0) return;
    createEmpty(xRes, yRes);
    if (controls.viewOption == 2) buildThumbnail(); // the Thumbnail view shows the new level
    unsavedChanges = true;
    navigatorStale = true;
}

void Editor::Command7_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    ui_.showOptions(optionsForm);
    if (controls.viewOption == 2) buildThumbnail(); // shows the (maybe new) name at once
}

void Editor::Command1_Click() {
    ui_.openDocument(QDir(ownFolder()).filePath("Help.htm"));
    // The keys go on working in the level, not on the Help button.
    applyFocusRule();
}

} // namespace vortan
