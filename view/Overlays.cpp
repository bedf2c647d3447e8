#include "view/View.h"

#include <QPainter>

namespace vortan {

namespace {
// The dashes of the selection's border: four screen pixels black, four white.
constexpr int kDash = 4;
} // namespace

QRect View::shapeArea() const {
    if (shape_.isEmpty()) return {};
    // The pen's half width around the way, and a pixel for the rounding.
    const double margin = shapePen_.style() == Qt::NoPen ? 0 : shapePen_.widthF() / 2;
    const QRectF r = shape_.boundingRect().adjusted(-margin, -margin, margin, margin);
    return onScreen(r.toAlignedRect()).adjusted(-1, -1, 1, 1) & QRect(QPoint(0, 0), viewportSize_);
}

QRect View::setShapePreview(const QPainterPath& shape, const QPen& pen, const QBrush& fill) {
    const QRect before = shapeArea();
    shape_ = shape;
    shapePen_ = pen;
    shapeFill_ = fill;
    return before | shapeArea();
}

std::vector<QRect> View::selectionBorder() const {
    if (selection_.isEmpty()) return {};
    const QRect r = uncut(selection_).adjusted(-1, -1, 1, 1), all(QPoint(0, 0), viewportSize_);
    return {QRect(r.left(), r.top(), r.width(), 2) & all, QRect(r.left(), r.bottom() - 1, r.width(), 2) & all,
            QRect(r.left(), r.top(), 2, r.height()) & all,
            QRect(r.right() - 1, r.top(), 2, r.height()) & all};
}

QRect View::setSelection(const QRect& selection) {
    QRect changed;
    for (const QRect& strip : selectionBorder())
        changed |= strip;
    selection_ = selection;
    for (const QRect& strip : selectionBorder())
        changed |= strip;
    return changed;
}

std::vector<QRect> View::moveSelectionBorder() {
    borderPhase_ = (borderPhase_ + 1) % (2 * kDash);
    return selectionBorder();
}

void View::paintOverlays(QPainter& painter) const {
    const double s = scale();
    if (!shape_.isEmpty()) {
        painter.save();
        painter.translate(-QPointF(scroll_));
        painter.scale(s, s);
        painter.setPen(shapePen_);
        painter.setBrush(shapeFill_);
        painter.drawPath(shape_);
        painter.restore();
    }
    if (!selection_.isEmpty()) {
        // Just outside the selected pixels, so that the border hides none of them.
        const QRect r = uncut(selection_).adjusted(-1, -1, 0, 0);
        QPen pen(Qt::white, 1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
        pen.setColor(Qt::black);
        pen.setDashPattern({qreal(kDash), qreal(kDash)});
        pen.setDashOffset(borderPhase_);
        painter.setPen(pen);
        painter.drawRect(r);
    }
}

} // namespace vortan
