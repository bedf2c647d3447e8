#pragma once

#include "app/Editor.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRandom.h"

#include <QTemporaryDir>
#include <memory>

namespace vortan::test {

// An editor after start-up in a window of the start size, with its own folder in a
// temporary folder, answering from a script and drawing scripted random numbers.
struct TestEditor {
    QTemporaryDir folder;
    ScriptedDialogs ui;
    ScriptedRandom* random = nullptr; // owned by the editor
    std::unique_ptr<Editor> editor;

    // writeFiles runs before start-up, to lay files into the own folder.
    explicit TestEditor(const std::function<void(const QString& folder)>& writeFiles = {});
    Editor* operator->() { return editor.get(); }
    Editor& operator*() { return *editor; }
    // A level of this size, as New makes it, without unsaved changes.
    void newLevel(int width, int height);
};

} // namespace vortan::test
