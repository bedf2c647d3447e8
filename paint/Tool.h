#pragma once

#include "core/LevelDocument.h"
#include "paint/Brush.h"

#include <QImage>
#include <QPointF>
#include <QString>

namespace vortan {

// The pointer over the viewport as a tool sees it.
struct Pointer {
    // Viewport pixels; when `scaled`, level pixels from `offset` instead.
    QPointF at;
    QPoint offset; // the level pixel at the viewport's top-left corner
    bool zoomed = false;
    Qt::MouseButton button = Qt::NoButton; // a press: the button that went down
    Qt::MouseButtons buttons;              // a move: the buttons held
    Qt::KeyboardModifiers modifiers;
    // The view is zoomed in or out freely: the pointer acts on the level pixel it is over.
    bool scaled = false;
};

// What a tool works on: the level, the brush, and which layer the view shows.
struct ToolContext {
    LevelDocument& level;
    Brush& brush;
    int shownLayer;
    bool levelView; // the Level view is chosen: a pick takes the colour, not the material
};

// What the pointer does in the viewport. A press that a tool takes opens its history
// step; the moves of that stroke go to the tool that takes each of them, into the same
// step, until the release. Every tool writes through the level, which says what changed.
class Tool {
  public:
    virtual ~Tool() = default;
    // The history step a press with this tool opens; empty opens none.
    virtual QString stepName() const = 0;
    virtual bool takesPress(const Pointer& p) const = 0;
    virtual bool takesDrag(const Pointer&) const { return false; }
    virtual bool hovers(const Pointer&) const { return false; }
    // Each is true when it changed the brush (a pick).
    virtual bool press(ToolContext& c, const Pointer& p) = 0;
    virtual bool drag(ToolContext&, const Pointer&) { return false; }
    virtual void release() {}
    // Whether the whole view is painted anew after the tool acted, the preview taken off.
    virtual bool redrawsView() const { return false; }
    // The picture under the pointer, drawn over the viewport, and its top-left corner
    // on the level.
    struct Preview {
        QImage picture;
        QPoint corner;
    };
    virtual Preview hover(const ToolContext&, const Pointer&) const { return {}; }
};

// Any of the keys that turn a press into a fill or a pick.
bool anyModifier(Qt::KeyboardModifiers modifiers);

} // namespace vortan
