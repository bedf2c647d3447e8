#pragma once

#include "app/ViewMoves.h"
#include "paint/Tools.h"

#include <QPointF>
#include <optional>

namespace vortan {

class Editor;

// The mouse, the wheel and the keys in the viewport, mapped onto the tools, the view and
// the brush. A press on the viewport's pixels opens a stroke: it and the moves with a
// button held make one step of the history, up to the release of the last button held.
// A key, a view switch or any command ends the stroke as its own step first; moves after
// that paint nothing until the next press. The middle button, or the left with Space
// held, pans instead; Ctrl+wheel and + and - zoom.
class ViewportInput {
  public:
    explicit ViewportInput(Editor& editor) : e_(editor) {}

    void press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    void move(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    void release(Qt::MouseButtons stillHeld);
    // The wheel scrolls by the arrow keys' step, sideways with Shift, and zooms about the
    // pointer at `at` with Ctrl; angle in eighths of a degree, 120 a notch.
    void wheel(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF at = {});
    void key(int key, Qt::KeyboardModifiers modifiers);
    // A key went up (Space ends panning's hold).
    void keyUp(int key);
    // Ends a stroke still open as its own step.
    void endStroke();
    bool stroking() const { return stroking_; }
    // The preview drawn again where it is, after the brush changed under it.
    void showPreviewAgain();

  private:
    Pointer pointer(QPointF at, Qt::KeyboardModifiers modifiers) const;
    ToolContext context() const;
    // The value labels show the colour of the shown layer under the pointer, the readout
    // where it is.
    void showValuesAt(QPoint pixel);
    void scrollBy(int dx, int dy);
    // A press (pressed) or a move of the stroke handed to a tool, in the stroke's step.
    void use(Tool* tool, bool pressed, const Pointer& p);

    Editor& e_;
    ToolBox tools_;
    ViewMoves moves_{e_};
    bool stroking_ = false;
    bool stepOpen_ = false;
    // Where the pointer last showed the preview, viewport pixels; none before the first move.
    std::optional<QPointF> hoverAt_;
    int wheelTurn_ = 0;
};

} // namespace vortan
