#include "paint/SelectionTool.h"
#include "paint/FillTool.h"
#include "paint/ShapeTools.h"

namespace vortan {

bool SelectionTool::takesPress(const Pointer& p) const {
    return !p.zoomed && !anyModifier(p.modifiers) && p.button == Qt::LeftButton;
}

bool SelectionTool::takesDrag(const Pointer& p) const {
    return !p.zoomed && from_ && (p.buttons & Qt::LeftButton);
}

bool SelectionTool::press(ToolContext& c, const Pointer& p) {
    from_ = levelPixel(p);
    c.selection = {};
    return false;
}

bool SelectionTool::drag(ToolContext& c, const Pointer& p) {
    const QPoint to = levelPixel(p);
    c.selection = to == *from_ ? QRect() : pixelBox(*from_, to) & QRect(QPoint(0, 0), c.level.size());
    return false;
}

bool PasteTool::takesPress(const Pointer& p) const {
    return !p.zoomed && !anyModifier(p.modifiers) && p.button == Qt::LeftButton && floating();
}

QPoint PasteTool::corner(const Pointer& p) const {
    return levelPixel(p) - QPoint(floating_.colour.width() / 2, floating_.colour.height() / 2);
}

bool PasteTool::press(ToolContext& c, const Pointer& p) {
    c.level.place(corner(p), floating_.colour, floating_.map);
    floating_ = {};
    return false;
}

Tool::Preview PasteTool::hover(const ToolContext& c, const Pointer& p) const {
    // Opaque: the paste's black replaces the level's as well.
    return {c.shownLayer == LevelDocument::kColourLayer ? floating_.colour : floating_.map, corner(p)};
}

} // namespace vortan
