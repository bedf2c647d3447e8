#pragma once

#include "paint/Tool.h"

#include <optional>

namespace vortan {

// A drag selects the rectangle of level pixels from corner to corner, cut to the level;
// a click without a drag selects nothing. The selection changes no pixel.
class SelectionTool : public Tool {
  public:
    ToolChoice choice() const override { return {"Select", Qt::Key_M}; }
    QString stepName() const override { return "Select"; } // changes no pixel: no step is kept
    bool takesPress(const Pointer& p) const override;
    bool takesDrag(const Pointer& p) const override;
    bool press(ToolContext& c, const Pointer& p) override;
    bool drag(ToolContext& c, const Pointer& p) override;
    void release(ToolContext&) override { from_.reset(); }
    void cancel() override { from_.reset(); }

  private:
    std::optional<QPoint> from_;
};

// Both layers of a piece of level, of one size.
struct LevelPiece {
    QImage colour, map;
    bool isNull() const { return colour.isNull(); }
};

// A paste floating under the pointer, its middle on the pointer's pixel: a left click
// lays it into both layers, cut at the level's edges, as one step.
class PasteTool : public Tool {
  public:
    ToolChoice choice() const override { return {"Paste"}; }
    QString stepName() const override { return "Paste"; }
    void lift(LevelPiece piece) { floating_ = std::move(piece); }
    bool floating() const { return !floating_.isNull(); }
    bool takesPress(const Pointer& p) const override;
    bool hovers(const Pointer& p) const override { return !p.zoomed && floating(); }
    bool press(ToolContext& c, const Pointer& p) override;
    void cancel() override { floating_ = {}; }
    bool done() const override { return !floating(); }
    Preview hover(const ToolContext& c, const Pointer& p) const override;

  private:
    QPoint corner(const Pointer& p) const;
    LevelPiece floating_;
};

} // namespace vortan
