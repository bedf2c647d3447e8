#include "support/TestEditor.h"
#include "support/ImageCompare.h"

namespace vortan::test {

TestEditor::TestEditor(const std::function<void(const QString&)>& writeFiles) {
    if (writeFiles) writeFiles(folder.path());
    auto source = std::make_unique<ScriptedRandom>();
    random = source.get();
    editor = std::make_unique<Editor>(ui, EditorFolders::beside(folder.path()), std::move(source));
    editor->setRecoveryFolder(folder.filePath("recovery"));
    editor->start();
    editor->layOut({760, 573}); // as the window's first showing does
}

void TestEditor::newLevel(int width, int height) {
    ui.newLevelScripts.push_back([=, this](NewLevelForm& f) {
        // The form warns each time the size changes to one the game will not load: only the last change can.
        f.setHeightText("1");
        f.setWidthText(QString::number(width));
        if (double(width) * height >= 2097152) ui.answers.push_back(MsgAnswer::OK);
        f.setHeightText(QString::number(height));
        f.accept();
    });
    editor->newLevel();
    editor->level().setModified(false);
    editor->refreshNavigatorIfStale();
}

void TestEditor::click(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    editor->pressInViewport(button, modifiers, at);
    editor->releaseInViewport();
}

void TestEditor::drag(std::initializer_list<QPointF> path, bool hold) {
    editor->pressInViewport(Qt::LeftButton, {}, *path.begin());
    for (auto at = path.begin() + 1; at != path.end(); ++at)
        editor->moveInViewport(Qt::LeftButton, {}, *at);
    if (!hold) editor->releaseInViewport();
}

void TestEditor::keepCopy() {
    editor->writeRecoveryCopy();
    editor->finishRecoveryCopy();
}

} // namespace vortan::test
