#pragma once

#include "core/LevelDocument.h"
#include "paint/Brush.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPen>
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
    bool levelView;   // the Level view is chosen: a pick takes the colour, not the material
    QRect& selection; // the selected level pixels; empty when none
};

// How the user chooses a tool: its name on the tool strip, and its key, with Shift when
// `shifted`. A tool without a name is always at hand (the fill, the pick, the pixel
// editor); one without a key is chosen by a command (the paste).
struct ToolChoice {
    QString name;
    int key = 0;
    bool shifted = false;
};
// The tool chosen at first, and again after Escape.
inline const QString kBrushTool = QStringLiteral("Brush");

// What the pointer does in the viewport. A press that a tool takes opens its history
// step; the moves of that stroke go to the tool that takes each of them, into the same
// step, until the release. Every tool writes through the level, which says what changed.
class Tool {
  public:
    virtual ~Tool() = default;
    virtual ToolChoice choice() const { return {}; }
    // The history step a press with this tool opens; empty opens none.
    virtual QString stepName() const = 0;
    virtual bool takesPress(const Pointer& p) const = 0;
    virtual bool takesDrag(const Pointer&) const { return false; }
    virtual bool hovers(const Pointer&) const { return false; }
    // Each is true when it changed the brush (a pick).
    virtual bool press(ToolContext& c, const Pointer& p) = 0;
    virtual bool drag(ToolContext&, const Pointer&) { return false; }
    // The stroke ended: a shape is laid in now.
    virtual void release(ToolContext&) {}
    // Escape, or another tool chosen: what is under way is dropped, the level untouched.
    virtual void cancel() {}
    // After a press: the tool did its one job, and the tool chosen before it comes back.
    virtual bool done() const { return false; }
    // Whether the whole view is painted anew after the tool acted, the preview taken off.
    virtual bool redrawsView() const { return false; }
    // The picture under the pointer, drawn over the viewport, and its top-left corner
    // on the level.
    // Or a shape in level pixels (a pixel's middle at +0.5), drawn with `pen` and `fill`.
    struct Preview {
        Preview() = default;
        Preview(QImage picture, QPoint corner) : picture(std::move(picture)), corner(corner) {}
        QImage picture;
        QPoint corner;
        QPainterPath shape;
        QPen pen = Qt::NoPen;
        QBrush fill;
    };
    virtual Preview hover(const ToolContext&, const Pointer&) const { return {}; }
};

// Any of the keys that turn a press into a fill or a pick.
bool anyModifier(Qt::KeyboardModifiers modifiers);

} // namespace vortan
