#include "app/ViewportInput.h"
#include "app/Editor.h"
#include "core/Numbers.h"

namespace vortan {

namespace {
bool onlyAModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}
} // namespace

ViewportInput::ViewportInput(Editor& editor) : e_(editor) {
    // A new or loaded level keeps no selection of the last.
    QObject::connect(&e_.level_, &LevelDocument::sizeChanged, [this] {
        selection_ = {};
        showSelection();
    });
    border_.setInterval(150);
    QObject::connect(&border_, &QTimer::timeout, [this] {
        for (const QRect& strip : e_.view_.moveSelectionBorder())
            emit e_.pictureChanged(ShownPicture::Viewport, strip);
    });
}

Pointer ViewportInput::pointer(QPointF at, Qt::KeyboardModifiers modifiers) const {
    const View& v = e_.view_;
    Pointer p;
    p.offset = v.offset();
    p.zoomed = v.zoomed();
    p.scaled = v.freelyScaled();
    // Zoomed in or out, the tools work in level pixels; at scale 1 and in the Zoom box,
    // on the viewport's pixels as they always have.
    p.at = p.scaled ? v.toLevel(at) - QPointF(p.offset) : at;
    p.modifiers = modifiers;
    return p;
}

ToolContext ViewportInput::context() {
    return {e_.level_, e_.brush_, e_.view_.shownLayer(), e_.view_.shown() == View::Shown::Level, selection_};
}

void ViewportInput::showPreview(const Tool::Preview& preview) {
    View& v = e_.view_;
    const QRect changed = v.setPreview(preview.picture, preview.corner) |
                          v.setShapePreview(preview.shape, preview.pen, preview.fill);
    if (!changed.isEmpty()) emit e_.pictureChanged(ShownPicture::Viewport, changed);
}

void ViewportInput::showSelection() {
    if (e_.view_.selection() == selection_) return;
    const QRect changed = e_.view_.setSelection(selection_);
    if (!changed.isEmpty()) emit e_.pictureChanged(ShownPicture::Viewport, changed);
    if (selection_.isEmpty())
        border_.stop();
    else if (!border_.isActive())
        border_.start();
}

void ViewportInput::chooseTool(const QString& name) {
    const QString before = tools_.chosen();
    if (!tools_.choose(name)) return; // drops first: ending the stroke lays in no shape
    endStroke();
    if (name == "Paste" && before != name) beforePaste_ = before;
    showPreview({});
    showPreviewAgain();
    emit e_.controlsChanged();
}

void ViewportInput::lift(LevelPiece piece) {
    chooseTool("Paste"); // drops the paste before
    if (PasteTool* paste = tools_.find<PasteTool>()) paste->lift(std::move(piece));
    showPreviewAgain();
}

void ViewportInput::showValuesAt(QPoint pixel) {
    const Colour c = e_.level_.layer(e_.view_.shownLayer()).pixelAt(pixel.x(), pixel.y());
    if (c == kNoColour) return; // beside the level the labels keep their values
    Controls& shown = e_.controls_;
    if (pixel != shown.pointer) {
        shown.pointer = pixel;
        emit e_.labelsChanged();
    }
    const QString red = QString::number(redOf(c)) + " ", green = QString::number(greenOf(c)) + " ",
                  blue = QString::number(blueOf(c)) + " ";
    if (red == shown.red && green == shown.green && blue == shown.blue) return;
    shown.red = red;
    shown.green = green;
    shown.blue = blue;
    emit e_.labelsChanged();
}

void ViewportInput::use(Tool* tool, bool pressed, const Pointer& p) {
    if (!tool) return;
    // A step opens with the first tool of the stroke that may change the level.
    if (!stepOpen_) {
        e_.level_.history().begin(tool->stepName());
        stepOpen_ = true;
    }
    ToolContext c = context();
    if (pressed ? tool->press(c, p) : tool->drag(c, p)) e_.brushChanged();
    if (tool->redrawsView()) e_.redrawViewport();
    showSelection();
    // A paste laid in is its own step, and the tool before it is back.
    if (pressed && tool->done()) chooseTool(beforePaste_);
}

void ViewportInput::press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
    // The frame around the viewport is no drawing area: a press there would reach level
    // pixels the user cannot see.
    if (!e_.controls_.viewportEnabled || !e_.view_.onViewport(at)) return;
    endStroke();
    // A left drag with Space held only pans: no press on the level.
    if (button == Qt::LeftButton && moves_.spaceHeld()) return moves_.startPan(button, at);
    e_.level_.history().mark(); // Backspace goes back to here
    stroking_ = true;
    // The middle button pans; no tool takes its press.
    if (button == Qt::MiddleButton) moves_.startPan(button, at);
    Pointer p = pointer(at, modifiers);
    p.button = button;
    if (p.zoomed) {
        use(tools_.forPress(p), true, p);
        const float n = View::kZoomFactor;
        showValuesAt({roundHalfEven(float(p.offset.x()) + float(at.x()) / n),
                      roundHalfEven(float(p.offset.y()) + float(at.y()) / n)});
    } else {
        showValuesAt(e_.view_.pixelUnder(at));
        use(tools_.forPress(p), true, p);
    }
}

void ViewportInput::move(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
    if (!e_.controls_.viewportEnabled) return;
    if (moves_.panning() && moves_.panTo(buttons, at)) return;
    Pointer p = pointer(at, modifiers);
    // Only a stroke with its own step paints: a drag from the frame, or one that went on
    // past Backspace, an undo or a command, only moves the preview.
    p.buttons = stroking_ ? buttons : Qt::NoButton;
    if (p.zoomed) {
        if (stroking_) use(tools_.forDrag(p), false, p);
        const int n = View::kZoomFactor;
        const QPoint o = p.offset;
        showValuesAt({o.x() + roundHalfEven(float(roundHalfEven(float(at.x()))) / float(n)),
                      o.y() + roundHalfEven(float(roundHalfEven(float(at.y()))) / float(n))});
        return;
    }
    showValuesAt(e_.view_.pixelUnder(at));
    hoverAt_ = at;
    const Tool* hovering = tools_.forHover(p);
    showPreview(hovering ? hovering->hover(context(), p) : Tool::Preview{});
    if (stroking_) use(tools_.forDrag(p), false, p);
}

void ViewportInput::release(Qt::MouseButtons stillHeld) {
    if (stillHeld != Qt::NoButton) return;
    moves_.endPan();
    endStroke();
}

void ViewportInput::endStroke() {
    if (!stroking_) return;
    stroking_ = false;
    stepOpen_ = false;
    ToolContext c = context();
    tools_.release(c);
    e_.level_.history().end();
    // A shape laid in leaves no preview of itself.
    showPreview({});
    showPreviewAgain();
    showSelection();
}

void ViewportInput::showPreviewAgain() {
    if (e_.view_.zoomed() || moves_.panning() || !hoverAt_) return;
    const Pointer p = pointer(*hoverAt_, {});
    if (const Tool* hovering = tools_.forHover(p)) showPreview(hovering->hover(context(), p));
}

void ViewportInput::wheel(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF at) {
    if (!e_.controls_.viewportEnabled) return;
    if (modifiers & Qt::ControlModifier) {
        // Away from the user zooms in, a notch a step.
        wheelTurn_ += angle.y();
        for (; wheelTurn_ >= 120; wheelTurn_ -= 120)
            moves_.zoom(true, at);
        for (; wheelTurn_ <= -120; wheelTurn_ += 120)
            moves_.zoom(false, at);
        return;
    }
    // Shift turns the wheel sideways; some systems send that as a sideways turn already.
    const bool sideways = modifiers & Qt::ShiftModifier || angle.y() == 0;
    wheelTurn_ += sideways ? (angle.x() != 0 ? angle.x() : angle.y()) : angle.y();
    const int notches = wheelTurn_ / 120; // a notch is 120; smooth wheels add up to one
    wheelTurn_ -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i)
        key(sideways ? (notches > 0 ? Qt::Key_Left : Qt::Key_Right)
                     : (notches > 0 ? Qt::Key_Up : Qt::Key_Down),
            Qt::NoModifier);
}

void ViewportInput::scrollBy(int dx, int dy) {
    e_.view_.scrollBy(e_.level_, {dx, dy});
    e_.redrawViewport();
}

void ViewportInput::keyUp(int key) {
    if (key == Qt::Key_Space) moves_.setSpaceHeld(false);
}

void ViewportInput::key(int key, Qt::KeyboardModifiers modifiers) {
    if (!e_.controls_.viewportEnabled) return;
    // A key that does something ends a stroke still held first, as its own step; the
    // modifiers alone only change what the next move does.
    if (onlyAModifier(key)) return;
    if (key == Qt::Key_Space) { // held for panning; its repeats are no keys of their own
        if (!moves_.spaceHeld()) endStroke();
        return moves_.setSpaceHeld(true);
    }
    // Escape drops a shape being dragged and a floating paste; nothing is laid in.
    if (key == Qt::Key_Escape) return chooseTool(kBrushTool);
    endStroke();
    if (modifiers & Qt::ControlModifier) {
        // Ctrl+Z steps back through the history, Ctrl+Shift+Z or Ctrl+Y forward.
        if (key == Qt::Key_Z) return e_.undoOrRedo(modifiers & Qt::ShiftModifier);
        if (key == Qt::Key_Y) return e_.undoOrRedo(true);
        if (key == Qt::Key_C) return clipboard_.copy();
        if (key == Qt::Key_X) return clipboard_.cut();
        if (key == Qt::Key_V) return clipboard_.paste();
    }
    // The letters of the materials choose them, with any modifier.
    for (const MaterialEntry& m : kMaterialList)
        if (key == Qt::Key_A + (m.key - 'A')) return e_.chooseMaterial(m.name);
    if (key == Qt::Key_Delete) return clipboard_.clear();
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const QString tool = tools_.forKey(key, modifiers & Qt::ShiftModifier);
        if (!tool.isEmpty()) return chooseTool(tool);
        if (key == Qt::Key_V && (modifiers & Qt::ShiftModifier)) return e_.stepMaterialsOpacity();
        if (key == Qt::Key_V) return e_.showMaterials(!e_.view_.materialsWanted());
    }
    // 50 screen pixels at every free scale; 8 level pixels in the Zoom box.
    const int step = e_.view_.zoomed() ? roundHalfEven(50.0 / View::kZoomFactor) : 50;
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return moves_.zoomAboutCentre(true);
    case Qt::Key_Minus:
        return moves_.zoomAboutCentre(false);
    case Qt::Key_G:
        return moves_.toggleGrid();
    case Qt::Key_Up:
        return scrollBy(0, -step);
    case Qt::Key_Down:
        return scrollBy(0, step);
    case Qt::Key_Left:
        return scrollBy(-step, 0);
    case Qt::Key_Right:
        return scrollBy(step, 0);
    case Qt::Key_Backspace:
        // Back to the state at the last press or view switch, as one step; never to a
        // state of another level. The map that Level -> Map clears back to is the one
        // restored here.
        if (!e_.level_.backToMark()) return;
        e_.level_.keepMapAsBackground();
        e_.yield();
        e_.redrawViewport();
        e_.yield();
        return;
    case Qt::Key_F:
        e_.brush_.mirror();
        e_.brushChanged();
        showPreviewAgain();
        e_.yield();
        return;
    default:
        // Digits 1 to 9, on the main keyboard or the keypad: a disc of radius 4 x digit - 2.
        if (key < Qt::Key_1 || key > Qt::Key_9) return;
        e_.brush_.makeDisc(4 * (key - Qt::Key_0) - 2);
        e_.brushChanged();
    }
}

} // namespace vortan
