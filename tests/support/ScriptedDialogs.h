#pragma once

#include "dialogs/Forms.h"
#include "dialogs/UserDialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace vortan::test {

using namespace vortan; // the tests name the editor's own types plainly

// Answers the editor's questions from a script and records them; an unscripted one fails rather than waits.
class ScriptedDialogs : public UserDialogs {
  public:
    struct Message {
        QString title, text;
        MsgButtons buttons;
        MsgIcon icon;
    };
    // One file or colour choice; nullopt cancels.
    struct Choice {
        QString path;
        Colour colour = kBlack;
    };

    std::deque<MsgAnswer> answers;
    std::deque<std::optional<Choice>> choices;
    // What the user does in each showing of a modal dialog, in turn.
    std::deque<std::function<void(NewLevelForm&)>> newLevelScripts;
    std::deque<std::function<void(OptionsForm&)>> optionsScripts;
    std::deque<std::function<void(ResizeLevelForm&)>> resizeScripts;

    std::vector<Message> messages; // every message shown
    // Looks at the screen while a message is up, before it is answered.
    std::function<void(const Message&)> whileMessageShows;
    std::vector<DialogSettings> dialogsShown; // the settings at each file or colour dialog
    std::vector<QString> openedDocuments;
    int beeps = 0;

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon) override;
    bool openFile(DialogSettings& settings) override { return choose(settings, false); }
    bool saveFile(DialogSettings& settings) override { return choose(settings, false); }
    bool chooseColour(DialogSettings& settings) override { return choose(settings, true); }
    void beep() override { ++beeps; }
    void showNewLevel(NewLevelForm& form) override;
    void showOptions(OptionsForm& form) override;
    void showResizeLevel(ResizeLevelForm& form) override;
    void openDocument(const QString& path) override { openedDocuments.push_back(path); }

  private:
    bool choose(DialogSettings& settings, bool colour);
};

} // namespace vortan::test
