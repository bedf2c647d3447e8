#pragma once

#include "app/ClipboardCommands.h"
#include "app/ViewMoves.h"
#include "paint/Tools.h"

#include <QPointF>
#include <QTimer>
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
    explicit ViewportInput(Editor& editor);

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

    // --- the tools the user chooses between, the selection and the floating paste ----
    const QString& chosenTool() const { return tools_.chosen(); }
    std::vector<ToolChoice> toolChoices() const { return tools_.choices(); }
    // Drops a shape or a paste under way; the strip follows.
    void chooseTool(const QString& name);
    const QRect& selection() const { return selection_; }
    // A piece of level floats under the pointer, until a click lays it in.
    void lift(LevelPiece piece);

  private:
    Pointer pointer(QPointF at, Qt::KeyboardModifiers modifiers) const;
    ToolContext context();
    void showPreview(const Tool::Preview& preview);
    // The view's selection border follows the selection.
    void showSelection();
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
    QRect selection_;
    // The tool a paste goes back to once laid in.
    QString beforePaste_ = kBrushTool;
    ClipboardCommands clipboard_{e_, *this};
    QTimer border_; // moves the selection's dashes
};

} // namespace vortan
