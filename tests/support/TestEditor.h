#pragma once

#include "core/Editor.h"
#include "support/ScriptedDialogs.h"
#include <QTemporaryDir>
#include <memory>

namespace vortan::test {

// An editor after start-up, in a temporary own folder, answering from a script.
struct TestEditor {
    QTemporaryDir folder;
    ScriptedDialogs ui;
    std::unique_ptr<Editor> editor;

    // writeFiles runs before start-up, to lay files into the own folder.
    explicit TestEditor(const std::function<void(const QString& folder)>& writeFiles = {});
    Editor* operator->() { return editor.get(); }
    Editor& operator*() { return *editor; }
};

} // namespace vortan::test
