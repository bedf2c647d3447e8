#include "view/PictureWidget.h"
#include "core/Layout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace vortan {

PictureWidget::PictureWidget(const Picture& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // moves without a button show the values and the preview
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    qDrawShadePanel(&p, rect(), palette(), true, kFrame);
    const QRect inside = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    p.fillRect(inside, palette().window());
    p.setClipRect(inside);
    p.drawImage(inside.topLeft(), picture_.image());
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

void PictureWidget::resizeEvent(QResizeEvent*) {
    emit repaintRequested();
}
void PictureWidget::showEvent(QShowEvent*) {
    emit repaintRequested();
}

} // namespace vortan
