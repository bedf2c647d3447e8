#pragma once

#include "core/Colour.h"

#include <QString>

namespace vortan {

class NewLevelForm;
class OptionsForm;
class ResizeLevelForm;

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Critical };
enum class MsgAnswer { OK, Cancel, Yes, No };

// Settings of the one open/save/colour dialog. They persist from one use to the next:
// each command sets what it needs and inherits the rest.
struct DialogSettings {
    QString title;
    QString filter; // "label|pattern|label|pattern..."
    int filterIndex = 0;
    QString initialFolder;
    QString path;       // in: the proposed name; out: the chosen full path
    QString chosenName; // out: the chosen name without its folder, empty when nothing was chosen
    QString defaultSuffix;
    bool askBeforeReplacing = false;
    bool cancelIsFailure = false;
    Colour colour = kBlack; // in: the colour shown first; out: the chosen colour
};

// Every question the editor asks the user. The window supplies dialogs on screen,
// tests a script. Nothing else in the editor opens a modal.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    virtual MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                              MsgIcon icon) = 0;
    // Each returns false when the user cancels, leaving the settings' outputs alone;
    // otherwise fills path and chosenName (or colour) and returns true.
    virtual bool openFile(DialogSettings& settings) = 0;
    virtual bool saveFile(DialogSettings& settings) = 0;
    virtual bool chooseColour(DialogSettings& settings) = 0;
    // The system beep that tells the user a level is in the game.
    virtual void beep() = 0;
    // The three modal dialogs. Each returns when the user has closed it; the form holds
    // what was chosen.
    virtual void showNewLevel(NewLevelForm& form) = 0;
    virtual void showOptions(OptionsForm& form) = 0;
    virtual void showResizeLevel(ResizeLevelForm& form) = 0;
    // Opens a document with the desktop's program for it, without waiting.
    virtual void openDocument(const QString& path) = 0;
};

// The shared file dialog: settings plus cancel handling. A cancel is a failure when
// cancelIsFailure is on, otherwise a success with an empty chosen name.
class SharedDialog {
  public:
    DialogSettings settings;

    // False: the calling command ends through its failure path.
    bool showOpen(UserDialogs& ui) { return finish(ui.openFile(settings)); }
    bool showSave(UserDialogs& ui) { return finish(ui.saveFile(settings)); }
    // False when the user cancelled: a cancelled colour choice is never a colour,
    // whatever the cancel setting.
    bool showColour(UserDialogs& ui) { return ui.chooseColour(settings); }

  private:
    bool finish(bool chosen) {
        if (chosen) return true;
        if (settings.cancelIsFailure) return false;
        settings.chosenName.clear();
        return true;
    }
};

} // namespace vortan
