#pragma once

#include <QPointF>
#include <Qt>
#include <optional>

namespace vortan {

class Editor;

// Moving about the level in the viewport: zooming in and out through the view's scales,
// panning with the middle button or with Space held, and the grid of level pixels. None
// of them changes the level.
class ViewMoves {
  public:
    explicit ViewMoves(Editor& editor) : e_(editor) {}

    // One step in or out keeping the level pixel under `about` (viewport pixels) there;
    // nothing while the Zoom box is ticked.
    void zoom(bool in, QPointF about);
    // The same about the viewport's centre, for the keys.
    void zoomAboutCentre(bool in);
    // G: the grid of level pixels, shown at scale 8 and above.
    void toggleGrid();

    // Space held turns a left drag into a pan.
    void setSpaceHeld(bool held) { spaceHeld_ = held; }
    bool spaceHeld() const { return spaceHeld_; }
    // A drag that moves the view with the pointer, from a press of `button` at `at`; it
    // lasts while that button is held.
    void startPan(Qt::MouseButton button, QPointF at) {
        panFrom_ = at;
        panButton_ = button;
    }
    bool panning() const { return panFrom_.has_value(); }
    // A move: true when it panned, false when the pan's button is no longer held.
    bool panTo(Qt::MouseButtons held, QPointF at);
    void endPan() { panFrom_.reset(); }

  private:
    // The viewport laid out again for a new scale, and painted anew.
    void showNewScale();

    Editor& e_;
    bool spaceHeld_ = false;
    std::optional<QPointF> panFrom_;
    Qt::MouseButton panButton_ = Qt::NoButton;
};

} // namespace vortan
