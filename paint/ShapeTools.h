#pragma once

#include "paint/Tool.h"

#include <optional>
#include <utility>
#include <vector>

namespace vortan {

// A shape dragged from corner to corner, or from end to end for a line. While dragging
// it is shown over the level, which stays untouched; the release lays it into both
// layers as one step named after the tool. The left button paints, the right erases.
// Outlines are stamped with the brush along the shape through the middles of its end
// pixels; filled shapes take the brush's colour and material.
class ShapeTool : public Tool {
  public:
    QString stepName() const override { return choice().name; }
    bool takesPress(const Pointer& p) const override;
    bool takesDrag(const Pointer& p) const override;
    bool hovers(const Pointer& p) const override { return !p.zoomed; }
    bool press(ToolContext& c, const Pointer& p) override;
    bool drag(ToolContext& c, const Pointer& p) override;
    void release(ToolContext& c) override;
    void cancel() override { from_.reset(); }
    Preview hover(const ToolContext& c, const Pointer& p) const override;

    // Lays the shape from level pixel `from` to `to` into the level.
    virtual void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const = 0;

  protected:
    // The shape on the level, a pixel's middle at +0.5: the outline's way, or the filled
    // area's edge.
    virtual QPainterPath path(QPoint from, QPoint to) const = 0;
    virtual bool filled() const { return false; }

  private:
    std::optional<QPoint> from_;
    QPoint to_;
    Qt::MouseButton button_ = Qt::NoButton;
};

class LineTool : public ShapeTool {
  public:
    ToolChoice choice() const override { return {"Line", Qt::Key_L}; }
    void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const override;

  protected:
    QPainterPath path(QPoint from, QPoint to) const override;
};

class RectangleTool : public ShapeTool {
  public:
    ToolChoice choice() const override { return {"Rectangle", Qt::Key_R}; }
    void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const override;

  protected:
    QPainterPath path(QPoint from, QPoint to) const override;
};

class FilledRectangleTool : public ShapeTool {
  public:
    ToolChoice choice() const override { return {"Filled rectangle", Qt::Key_R, true}; }
    void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const override;

  protected:
    QPainterPath path(QPoint from, QPoint to) const override;
    bool filled() const override { return true; }
};

class EllipseTool : public ShapeTool {
  public:
    ToolChoice choice() const override { return {"Ellipse", Qt::Key_O}; }
    void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const override;

  protected:
    QPainterPath path(QPoint from, QPoint to) const override;
};

class FilledEllipseTool : public ShapeTool {
  public:
    ToolChoice choice() const override { return {"Filled ellipse", Qt::Key_O, true}; }
    void draw(ToolContext& c, QPoint from, QPoint to, bool paints) const override;

  protected:
    QPainterPath path(QPoint from, QPoint to) const override;
    bool filled() const override { return true; }
};

// The level pixels from corner `from` to corner `to`, both included, in either order.
QRect pixelBox(QPoint from, QPoint to);
// Every pixel of a box, as one run per row from its top.
std::vector<std::pair<int, int>> boxRuns(const QRect& box);
// The pixels of the ellipse inside the box from `from` to `to` (corners included): a
// pixel belongs when its middle lies inside. One run per row, from the box's top.
std::vector<std::pair<int, int>> ellipseRuns(QPoint from, QPoint to);

} // namespace vortan
