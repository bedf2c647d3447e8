#include "support/ScriptedDialogs.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace vortan::test {

namespace {
// The next scripted step, or a failed test (and nothing) when the script has run out.
template <typename Step> std::optional<Step> next(std::deque<Step>& script, const QString& what) {
    if (script.empty()) {
        ADD_FAILURE() << "unscripted " << what.toStdString();
        return std::nullopt;
    }
    Step step = script.front();
    script.pop_front();
    return step;
}
} // namespace

MsgAnswer ScriptedDialogs::message(const QString& title, const QString& text, MsgButtons buttons,
                                   MsgIcon icon) {
    messages.push_back({title, text, buttons, icon});
    if (whileMessageShows) whileMessageShows(messages.back());
    return next(answers, "message: " + title + " / " + text).value_or(MsgAnswer::Cancel);
}

bool ScriptedDialogs::choose(DialogSettings& settings, bool colour) {
    dialogsShown.push_back(settings);
    const std::optional<Choice> c = next(choices, "dialog: " + settings.title).value_or(std::nullopt);
    if (!c) return false;
    if (colour)
        settings.colour = c->colour;
    else {
        settings.path = c->path;
        settings.chosenName = QFileInfo(c->path).fileName();
    }
    return true;
}

void ScriptedDialogs::showNewLevel(NewLevelForm& form) {
    next(newLevelScripts, "New Level dialog").value_or([](NewLevelForm& f) { f.cancel(); })(form);
}

void ScriptedDialogs::showOptions(OptionsForm& form) {
    next(optionsScripts, "Options dialog").value_or([](OptionsForm& f) { f.cancel(); })(form);
}

void ScriptedDialogs::showResizeLevel(ResizeLevelForm& form) {
    next(resizeScripts, "Resize Level dialog").value_or([](ResizeLevelForm& f) { f.cancel(); })(form);
}

} // namespace vortan::test
