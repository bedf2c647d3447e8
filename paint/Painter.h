#pragma once

#include "core/LevelDocument.h"
#include "paint/Brush.h"
#include "view/View.h"

#include <QPointF>
#include <optional>

namespace vortan {

// The mouse in the viewport: brush stamps, erasing, flood fills, picks and the brush
// preview; in the zoomed view, single pixels. Every change reaches both layers at once.
class Painter {
  public:
    Painter(LevelDocument& level, View& view, Brush& brush) : level_(level), view_(view), brush_(brush) {}

    // What one press or move did.
    struct Outcome {
        bool levelChanged = false;     // counts as unsaved work and makes the navigator stale
        bool brushChanged = false;     // a pick: new colour or material, new discs
        std::optional<Colour> pointed; // the shown layer's colour under the pointer
        QRect changed;                 // the part of the viewport drawn anew
        bool redrawn = false;          // the whole viewport was drawn anew
    };
    // A press: left paints, right erases; with Shift, Ctrl or Alt held, left fills and
    // right picks. Zoomed, the same buttons set, clear, fill and pick single pixels.
    Outcome press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    // A move: the preview follows the pointer, and with exactly one button held and no
    // modifier the brush paints or erases again, stamped along the way from the last
    // stamp so that a fast stroke leaves no gaps.
    Outcome move(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    // The button is let go: the stroke ends.
    void release() { lastStamp_.reset(); }
    // The brush changed under the preview (mirrored): draw it again where it is.
    QRect redrawPreview();

    // The brush centred at viewport point `at`, stamped into the viewport and both
    // layers: painting lays in the colour brush and the material brush, erasing leaves
    // black in both layers over the whole shape.
    QRect stamp(QPointF at, bool paint);

  private:
    Outcome editPixel(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    // A fill (left) or pick (right) at a level pixel; a pixel off the level has no colour.
    void fillOrPick(Qt::MouseButtons button, QPoint at, Outcome& outcome, bool* filledAny);
    // Stamps from the last stamp to `to`, at most a quarter of the brush's width apart.
    QRect stampAlong(QPointF to, bool paint);
    QRect restoreUnderPreview();
    QRect drawPreview();
    std::optional<Colour> colourAt(float x, float y) const;

    LevelDocument& level_;
    View& view_;
    Brush& brush_;
    // The top-left corner of the preview on the viewport; far off until the first move.
    int previewLeft_ = -10000, previewTop_ = -10000;
    std::optional<QPointF> lastStamp_;
};

// Any of the keys that turn a press into a fill or a pick.
bool anyModifier(Qt::KeyboardModifiers modifiers);

// "Level -> Map": every pixel of the colour layer that is not black becomes wall in the
// map, which first goes back to its background (black, or the map last loaded).
void convertLevelToMap(LevelDocument& level, const LongWork& work);

} // namespace vortan
