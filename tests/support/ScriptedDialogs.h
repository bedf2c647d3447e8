#pragma once

#include "core/UserDialogs.h"
#include "dialogs/Forms.h"
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace vortan::test {

// Answers the editor's questions from a script and records what was asked.
// An unscripted question fails the test instead of waiting for anybody.
class ScriptedDialogs : public UserDialogs {
  public:
    struct Message {
        QString title, text;
        MsgButtons buttons;
        MsgIcon icon;
    };
    // One scripted file or colour choice; nullopt cancels.
    struct Choice {
        QString path;
        Colour colour = kBlack;
    };

    std::deque<MsgAnswer> answers;
    std::deque<std::optional<Choice>> choices;

    std::vector<Message> messages;            // every message shown
    std::vector<DialogSettings> dialogsShown; // settings at each file or colour dialog

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon) override;
    bool openFile(DialogSettings& settings) override;
    bool saveFile(DialogSettings& settings) override;
    bool chooseColour(DialogSettings& settings) override;
    void beep() override { ++beeps; }
    int beeps = 0;
    // What the user does in each showing of a dialog, in turn; the script ends with
    // the form's okClick (true when it closed the dialog) or cancelClick.
    std::deque<std::function<void(NewLevelForm&)>> newLevelScripts;
    std::deque<std::function<void(OptionsForm&)>> optionsScripts;
    void showNewLevel(NewLevelForm& form) override;
    void showOptions(OptionsForm& form) override;
    void openDocument(const QString& path) override { openedDocuments.push_back(path); }
    std::vector<QString> openedDocuments;

  private:
    bool choose(DialogSettings& settings, bool colour);
};

} // namespace vortan::test
