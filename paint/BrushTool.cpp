#include "paint/BrushTool.h"
#include "core/Numbers.h"

#include <cmath>

namespace vortan {

int brushCorner(double pointer) {
    return roundHalfEven(float(pointer) - float(Brush::kSide) / 2.0f);
}

bool BrushTool::takesPress(const Pointer& p) const {
    return !p.zoomed && !anyModifier(p.modifiers) && p.button == button();
}

bool BrushTool::takesDrag(const Pointer& p) const {
    return !p.zoomed && !anyModifier(p.modifiers) && p.buttons == button();
}

QPoint BrushTool::corner(const Pointer& p, QPointF at) {
    // Zoomed in or out, the brush's middle pixel sits on the level pixel under the pointer.
    if (p.scaled)
        return p.offset + QPoint(int(std::floor(at.x())), int(std::floor(at.y()))) -
               QPoint(Brush::kSide / 2, Brush::kSide / 2);
    return p.offset + QPoint(brushCorner(at.x()), brushCorner(at.y()));
}

void BrushTool::stamp(ToolContext& c, const Pointer& p, QPointF at) const {
    const QPoint corner = BrushTool::corner(p, at);
    const Brush& b = c.brush;
    c.level.stamp(corner, b.mask(), paints_ ? &b.colourBrush() : nullptr,
                  paints_ ? &b.materialBrush() : nullptr, b.reach());
}

bool BrushTool::press(ToolContext& c, const Pointer& p) {
    stamp(c, p, p.at);
    last_ = p.at;
    return false;
}

bool BrushTool::drag(ToolContext& c, const Pointer& p) {
    const bool continuing = last_.has_value();
    const QPointF from = last_.value_or(p.at);
    last_ = p.at;
    // A quarter of the painted width apart, and never closer than a pixel of travel.
    const double spacing = std::max(1.0, c.brush.paintedWidth() / 4.0);
    const QPointF way = p.at - from;
    const int stamps = std::max(1, int(std::ceil(std::hypot(way.x(), way.y()) / spacing)));
    // The last stamp is where the stroke already is; a move without one stamps only here.
    for (int i = continuing ? 1 : stamps; i <= stamps; ++i)
        stamp(c, p, from + way * (double(i) / stamps));
    return false;
}

Tool::Preview BrushTool::hover(const ToolContext& c, const Pointer& p) const {
    return {c.brush.preview(), corner(p, p.at)};
}

} // namespace vortan
