#pragma once

#include "core/PictureSurface.h"
#include <QString>

namespace vortan {

class NewLevelForm;
class OptionsForm;

enum class MsgButtons { OK, OKCancel, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Critical };
enum class MsgAnswer { OK, Cancel, Yes, No };

// Settings of the one open/save/colour dialog. They persist from one use to the next:
// each command sets what it needs and inherits the rest.
struct DialogSettings {
    QString title;
    QString filter; // "label|pattern|label|pattern..."
    int filterIndex = 0;
    QString initDir;
    QString fileName;  // in: proposed name; out: chosen full path
    QString fileTitle; // out: chosen name without its folder, empty when nothing was chosen
    QString defaultExt;
    int flags = 0; // 2: ask before replacing a file, 8: keep the working folder
    bool cancelError = false;
    Colour colour = kBlack;
};

// Every question the editor asks the user. The window supplies dialogs on screen,
// tests a script. Nothing else in the editor opens a modal.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    virtual MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                              MsgIcon icon) = 0;
    // Each returns false when the user cancels, leaving the settings' outputs alone;
    // otherwise fills fileName and fileTitle (or colour) and returns true.
    virtual bool openFile(DialogSettings& settings) = 0;
    virtual bool saveFile(DialogSettings& settings) = 0;
    virtual bool chooseColour(DialogSettings& settings) = 0;
    // The system beep that tells the user a level is in the game.
    virtual void beep() = 0;
    // The two modal dialogs. Each returns when the user has closed it; what was chosen
    // the form has already handed to the editor (OK) or not (Cancel).
    virtual void showNewLevel(NewLevelForm& form) = 0;
    virtual void showOptions(OptionsForm& form) = 0;
    // Opens a document with the desktop's program for it, without waiting.
    virtual void openDocument(const QString& path) = 0;
};

// The shared dialog: settings plus cancel handling. A cancel is a failure when
// cancelError is on, otherwise a success with an empty file title.
class Dialog {
  public:
    DialogSettings settings;

    // False: the calling command ends through its failure path.
    bool showOpen(UserDialogs& ui);
    bool showSave(UserDialogs& ui);
    // False when the user cancelled: no colour was chosen.
    bool showColor(UserDialogs& ui);

  private:
    bool finish(bool chosen);
};

} // namespace vortan
