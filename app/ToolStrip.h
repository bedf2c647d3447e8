#pragma once

#include <QWidget>
#include <vector>

class QToolButton;

namespace vortan {

class Editor;

// The small strip of tools beside the Zoom box: it shows the chosen tool and chooses one
// with a click. The keys stay with the viewport.
class ToolStrip : public QWidget {
    Q_OBJECT
  public:
    ToolStrip(Editor& editor, QWidget* parent);
    // Shows the editor's chosen tool.
    void sync();
    std::vector<QToolButton*> buttons;

  private:
    Editor& editor_;
};

} // namespace vortan
