#include "paint/FillTool.h"
#include "core/Numbers.h"

#include <cmath>

namespace vortan {

QPoint levelPixel(const Pointer& p) {
    if (p.scaled) return p.offset + QPoint(int(std::floor(p.at.x())), int(std::floor(p.at.y())));
    return {roundHalfEven(float(p.offset.x()) + float(p.at.x())),
            roundHalfEven(float(p.offset.y()) + float(p.at.y()))};
}

void fillAt(ToolContext& c, QPoint at, bool countsAlways) {
    if (c.level.layer(c.shownLayer).pixelAt(at.x(), at.y()) == kNoColour) return;
    c.level.fill(at, c.brush.colour(), c.brush.material(), countsAlways);
}

bool pickAt(ToolContext& c, QPoint at) {
    const Colour here = c.level.layer(c.shownLayer).pixelAt(at.x(), at.y());
    if (here == kNoColour) return false;
    c.brush.take(here, c.levelView);
    return true;
}

bool FillTool::takesPress(const Pointer& p) const {
    return !p.zoomed && anyModifier(p.modifiers) && p.button == Qt::LeftButton;
}

bool FillTool::press(ToolContext& c, const Pointer& p) {
    fillAt(c, levelPixel(p), true);
    return false;
}

bool PickTool::takesPress(const Pointer& p) const {
    return !p.zoomed && anyModifier(p.modifiers) && p.button == Qt::RightButton;
}

bool PickTool::press(ToolContext& c, const Pointer& p) {
    return pickAt(c, levelPixel(p));
}

} // namespace vortan
