#include "support/TestEditor.h"

namespace vortan::test {

TestEditor::TestEditor(const std::function<void(const QString&)>& writeFiles) {
    if (writeFiles) writeFiles(folder.path());
    editor = std::make_unique<Editor>(ui, folder.path());
    editor->Form_Load();
    editor->Form_Resize(kStartClient); // as the window's first showing does
}

} // namespace vortan::test
