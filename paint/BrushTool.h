#pragma once

#include "paint/Tool.h"

#include <optional>

namespace vortan {

// A stroke of the brush: the press stamps the brush centred on the pointer into both
// layers, each move with the button held stamps along the way from the last stamp, so
// that a fast stroke leaves no gaps. The brush lays in its colour and its material.
class BrushTool : public Tool {
  public:
    explicit BrushTool(bool paints = true) : paints_(paints) {}
    QString stepName() const override { return "Paint"; }
    ToolChoice choice() const override { return {kBrushTool, Qt::Key_P}; }
    bool takesPress(const Pointer& p) const override;
    bool takesDrag(const Pointer& p) const override;
    // Unzoomed, the colour brush follows the pointer, in the Map view too.
    bool hovers(const Pointer& p) const override { return !p.zoomed && paints_; }
    bool press(ToolContext& c, const Pointer& p) override;
    bool drag(ToolContext& c, const Pointer& p) override;
    void release(ToolContext&) override { last_.reset(); }
    Preview hover(const ToolContext& c, const Pointer& p) const override;

  private:
    Qt::MouseButton button() const { return paints_ ? Qt::LeftButton : Qt::RightButton; }
    // The brush square's top-left level pixel for a pointer at `at`.
    static QPoint corner(const Pointer& p, QPointF at);
    void stamp(ToolContext& c, const Pointer& p, QPointF at) const;

    bool paints_;
    std::optional<QPointF> last_; // the last stamp of the stroke, as the pointer's `at`
};

// The same stroke with the right button: black in both layers over the brush's shape.
class EraserTool : public BrushTool {
  public:
    EraserTool() : BrushTool(false) {}
    QString stepName() const override { return "Erase"; }
};

// The corner of the brush square centred on a pointer coordinate. The brush is 85 wide,
// so the corner is always half a pixel off and rounds to the even side.
int brushCorner(double pointer);

} // namespace vortan
