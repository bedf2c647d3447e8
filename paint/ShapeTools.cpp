#include "paint/ShapeTools.h"
#include "paint/FillTool.h"

#include <cmath>
#include <numbers>

namespace vortan {

QRect pixelBox(QPoint from, QPoint to) {
    // Not QRect::normalized(): it moves a reversed rectangle's edges by a pixel.
    return QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                 QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
}

std::vector<std::pair<int, int>> boxRuns(const QRect& box) {
    return std::vector<std::pair<int, int>>(size_t(box.height()), {box.left(), box.right()});
}

namespace {
// The brush's middle pixel on level point `at`, rounded to the nearest pixel.
void stampAt(ToolContext& c, QPointF at, bool paints) {
    const QPoint middle(int(std::floor(at.x() + 0.5)), int(std::floor(at.y() + 0.5)));
    const Brush& b = c.brush;
    c.level.stamp(middle - QPoint(Brush::kSide / 2, Brush::kSide / 2), b.mask(),
                  paints ? &b.colourBrush() : nullptr, paints ? &b.materialBrush() : nullptr, b.reach());
}

// A quarter of the painted width apart, as a stroke is stamped, never closer than a pixel.
double spacing(const ToolContext& c) {
    return std::max(1.0, c.brush.paintedWidth() / 4.0);
}

// Stamps along the way from `from` to `to`; the stamp at `from` only when `first`.
void stampAlong(ToolContext& c, QPointF from, QPointF to, bool paints, bool first = true) {
    const QPointF way = to - from;
    const int stamps = std::max(1, int(std::ceil(std::hypot(way.x(), way.y()) / spacing(c))));
    for (int i = first ? 0 : 1; i <= stamps; ++i)
        stampAt(c, from + way * (double(i) / stamps), paints);
}

// A filled shape in the brush's colour and material, or cleared to black and nothing.
void fillShape(ToolContext& c, int top, const std::vector<std::pair<int, int>>& runs, bool paints) {
    c.level.fillRuns(top, runs, paints ? c.brush.colour() : kBlack, paints ? c.brush.material() : kBlack);
}

// The box's edge as a filled shape covers it: from pixel edge to pixel edge.
QRectF edges(QPoint from, QPoint to) {
    const QRect b = pixelBox(from, to);
    return QRectF(b.topLeft(), QSizeF(b.width(), b.height()));
}

// Through the middles of the box's corner pixels.
QRectF middles(QPoint from, QPoint to) {
    const QRect b = pixelBox(from, to);
    return QRectF(QPointF(b.topLeft()) + QPointF(0.5, 0.5), QSizeF(b.width() - 1, b.height() - 1));
}

} // namespace

bool ShapeTool::takesPress(const Pointer& p) const {
    return !p.zoomed && !anyModifier(p.modifiers) &&
           (p.button == Qt::LeftButton || p.button == Qt::RightButton);
}

bool ShapeTool::takesDrag(const Pointer& p) const {
    return !p.zoomed && from_ && (p.buttons & button_);
}

bool ShapeTool::press(ToolContext&, const Pointer& p) {
    from_ = to_ = levelPixel(p);
    button_ = p.button;
    return false;
}

bool ShapeTool::drag(ToolContext&, const Pointer& p) {
    to_ = levelPixel(p);
    return false;
}

void ShapeTool::release(ToolContext& c) {
    if (!from_) return;
    const QPoint from = *from_;
    from_.reset();
    draw(c, from, to_, button_ == Qt::LeftButton);
}

Tool::Preview ShapeTool::hover(const ToolContext& c, const Pointer& p) const {
    Preview shown;
    if (!from_) return shown;
    const bool paints = button_ == Qt::LeftButton;
    // What the shape lays in: the colour in the Level view, the material in the Map view;
    // erasing shows as a pale shape, black being the level's own.
    const QColor ink = !paints
                           ? QColor(255, 255, 255, 140)
                           : QColor::fromRgb(toPixel(c.levelView ? c.brush.colour() : c.brush.material()));
    shown.shape = path(*from_, levelPixel(p));
    if (filled())
        shown.fill = ink;
    else
        shown.pen = QPen(ink, c.brush.paintedWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return shown;
}

void LineTool::draw(ToolContext& c, QPoint from, QPoint to, bool paints) const {
    stampAlong(c, from, to, paints);
}

QPainterPath LineTool::path(QPoint from, QPoint to) const {
    QPainterPath way(QPointF(from) + QPointF(0.5, 0.5));
    way.lineTo(QPointF(to) + QPointF(0.5, 0.5));
    return way;
}

void RectangleTool::draw(ToolContext& c, QPoint from, QPoint to, bool paints) const {
    const QRect b = pixelBox(from, to);
    const QPoint corners[] = {b.topLeft(), b.topRight(), b.bottomRight(), b.bottomLeft(), b.topLeft()};
    for (int i = 0; i < 4; ++i)
        stampAlong(c, corners[i], corners[i + 1], paints, i == 0);
}

QPainterPath RectangleTool::path(QPoint from, QPoint to) const {
    QPainterPath outline;
    outline.addRect(middles(from, to));
    return outline;
}

void FilledRectangleTool::draw(ToolContext& c, QPoint from, QPoint to, bool paints) const {
    const QRect b = pixelBox(from, to);
    fillShape(c, b.top(), boxRuns(b), paints);
}

QPainterPath FilledRectangleTool::path(QPoint from, QPoint to) const {
    QPainterPath area;
    area.addRect(edges(from, to));
    return area;
}

void EllipseTool::draw(ToolContext& c, QPoint from, QPoint to, bool paints) const {
    const QRectF m = middles(from, to);
    const double rx = m.width() / 2, ry = m.height() / 2;
    // Ramanujan's perimeter, cut into steps no longer than the stamps' spacing.
    const double around = std::numbers::pi * (3 * (rx + ry) - std::sqrt((3 * rx + ry) * (rx + 3 * ry)));
    const int stamps = std::max(4, int(std::ceil(around / spacing(c))));
    for (int i = 0; i < stamps; ++i) {
        const double t = 2 * std::numbers::pi * i / stamps;
        stampAt(c, m.center() + QPointF(rx * std::cos(t), ry * std::sin(t)), paints);
    }
}

QPainterPath EllipseTool::path(QPoint from, QPoint to) const {
    QPainterPath outline;
    outline.addEllipse(middles(from, to));
    return outline;
}

std::vector<std::pair<int, int>> ellipseRuns(QPoint from, QPoint to) {
    const QRectF e = edges(from, to);
    const double cx = e.center().x(), rx = e.width() / 2, cy = e.center().y(), ry = e.height() / 2;
    std::vector<std::pair<int, int>> runs;
    for (int y = int(e.top()); y < int(e.bottom()); ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        const double half = rx * std::sqrt(std::max(0.0, 1 - dy * dy));
        runs.emplace_back(int(std::ceil(cx - half - 0.5)), int(std::floor(cx + half - 0.5)));
    }
    return runs;
}

void FilledEllipseTool::draw(ToolContext& c, QPoint from, QPoint to, bool paints) const {
    fillShape(c, pixelBox(from, to).top(), ellipseRuns(from, to), paints);
}

QPainterPath FilledEllipseTool::path(QPoint from, QPoint to) const {
    QPainterPath area;
    area.addEllipse(edges(from, to));
    return area;
}

} // namespace vortan
