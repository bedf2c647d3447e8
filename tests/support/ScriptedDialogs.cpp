#include "support/ScriptedDialogs.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace vortan::test {

MsgAnswer ScriptedDialogs::message(const QString& title, const QString& text, MsgButtons buttons,
                                   MsgIcon icon) {
    messages.push_back({title, text, buttons, icon});
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted message: " << title.toStdString() << " / " << text.toStdString();
        return MsgAnswer::Cancel;
    }
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

bool ScriptedDialogs::choose(DialogSettings& settings, bool colour) {
    dialogsShown.push_back(settings);
    if (choices.empty()) {
        ADD_FAILURE() << "unscripted dialog: " << settings.title.toStdString();
        return false;
    }
    const std::optional<Choice> c = choices.front();
    choices.pop_front();
    if (!c) return false;
    if (colour) {
        settings.colour = c->colour;
    } else {
        settings.fileName = c->path;
        settings.fileTitle = QFileInfo(c->path).fileName();
    }
    return true;
}

void ScriptedDialogs::showNewLevel(NewLevelForm& form) {
    if (newLevelScripts.empty()) {
        ADD_FAILURE() << "unscripted New Level dialog";
        form.cancelClick();
        return;
    }
    auto script = newLevelScripts.front();
    newLevelScripts.pop_front();
    script(form);
}

void ScriptedDialogs::showOptions(OptionsForm& form) {
    form.activate();
    if (optionsScripts.empty()) {
        ADD_FAILURE() << "unscripted Options dialog";
        return;
    }
    auto script = optionsScripts.front();
    optionsScripts.pop_front();
    script(form);
}

bool ScriptedDialogs::openFile(DialogSettings& settings) {
    return choose(settings, false);
}
bool ScriptedDialogs::saveFile(DialogSettings& settings) {
    return choose(settings, false);
}
bool ScriptedDialogs::chooseColour(DialogSettings& settings) {
    return choose(settings, true);
}

} // namespace vortan::test
