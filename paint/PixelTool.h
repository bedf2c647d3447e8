#pragma once

#include "paint/Tool.h"

namespace vortan {

// The zoomed view's pixel editor: every press and every move of its stroke edits the
// level pixel under the pointer in both layers. Left sets it to the brush's colour and
// material, right clears it to black; with Shift, Ctrl or Alt, left fills and right picks.
class PixelTool : public Tool {
  public:
    QString stepName() const override { return "Pixels"; }
    bool takesPress(const Pointer& p) const override { return p.zoomed; }
    bool takesDrag(const Pointer& p) const override { return p.zoomed; }
    bool press(ToolContext& c, const Pointer& p) override { return edit(c, p, p.button); }
    bool drag(ToolContext& c, const Pointer& p) override { return edit(c, p, p.buttons); }

    // The level pixel under a zoomed pointer. The 1 is added first: pointer columns 0 to
    // 4 are block 0, column 5 already block 1. The division truncates, so a drag a few
    // pixels left of the view is still block 0.
    static QPoint pixelUnder(const Pointer& p);

  private:
    bool edit(ToolContext& c, const Pointer& p, Qt::MouseButtons buttons);
};

} // namespace vortan
