#include "view/PictureWidget.h"
#include "core/Layout.h"
#include "view/View.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <qdrawutil.h>

namespace vortan {

PictureWidget::PictureWidget(const Picture* picture, QWidget* parent) : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // moves without a button show the values and the preview
}

void PictureWidget::showChange(const QRect& area) {
    if (area.isEmpty())
        update();
    else
        update(area.translated(kFrame, kFrame));
}

QRect PictureWidget::paintFrame(QPainter& p, const QRect& area) {
    const QRect inside = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    // A stroke repaints small rectangles inside: the frame only when it is reached.
    if (!inside.contains(area)) qDrawShadePanel(&p, rect(), palette(), true, kFrame);
    return area & inside;
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = paintFrame(p, event->rect());
    const QRect shown = area & QRect(QPoint(kFrame, kFrame), picture_ ? picture_->size() : QSize());
    // Only where the picture does not reach does the window's colour show.
    for (const QRect& bare : QRegion(area) - QRegion(shown))
        p.fillRect(bare, palette().window());
    if (!shown.isEmpty()) p.drawImage(shown, picture_->image(), shown.translated(-kFrame, -kFrame));
}

ViewportWidget::ViewportWidget(const View& view, const LevelDocument& level, QWidget* parent)
    : PictureWidget(nullptr, parent), view_(view), level_(level) {}

void ViewportWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = paintFrame(p, event->rect());
    p.translate(kFrame, kFrame);
    view_.paintViewport(p, level_, area.translated(-kFrame, -kFrame));
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->buttons());
}

void PictureWidget::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta(), event->modifiers());
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    // The button that went down, not all those held.
    emit mousePressed(event->button(), event->modifiers(), event->position() - QPointF(kFrame, kFrame));
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->buttons(), event->modifiers(), event->position() - QPointF(kFrame, kFrame));
}

void PictureWidget::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event->key(), event->modifiers());
}

} // namespace vortan
