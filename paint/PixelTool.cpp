#include "paint/PixelTool.h"
#include "core/Numbers.h"
#include "paint/FillTool.h"

namespace vortan {

namespace {
constexpr int kZoom = 6;
} // namespace

QPoint PixelTool::pixelUnder(const Pointer& p) {
    return p.offset +
           QPoint(roundHalfEven(float(p.at.x()) + 1) / kZoom, roundHalfEven(float(p.at.y()) + 1) / kZoom);
}

bool PixelTool::edit(ToolContext& c, const Pointer& p, Qt::MouseButtons buttons) {
    const QPoint pixel = pixelUnder(p);
    if (anyModifier(p.modifiers)) {
        // Only a fill that changed a pixel counts as a change.
        if (buttons == Qt::LeftButton) fillAt(c, pixel, false);
        return buttons == Qt::RightButton && pickAt(c, pixel);
    }
    if (buttons == Qt::LeftButton)
        c.level.setPixels(pixel, c.brush.colour(), c.brush.material());
    else if (buttons == Qt::RightButton)
        c.level.setPixels(pixel, kBlack, kBlack);
    return false;
}

} // namespace vortan
