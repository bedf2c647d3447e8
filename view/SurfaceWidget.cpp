#include "view/SurfaceWidget.h"
#include "core/Editor.h"
#include "view/InputCodes.h"

#include <QPainter>
#include <qdrawutil.h>

namespace vortan {

SurfaceWidget::SurfaceWidget(const PictureSurface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true); // moves without a button show the values and the preview
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    qDrawShadePanel(&p, rect(), palette(), true, kFrame);
    const QRect inside = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    p.fillRect(inside, palette().window());
    p.setClipRect(inside);
    p.drawImage(inside.topLeft(), surface_.Image());
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position() - QPointF(kFrame, kFrame);
    // The button that went down, not all those held.
    emit mousePressed(buttonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position() - QPointF(kFrame, kFrame);
    emit mouseMoved(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void SurfaceWidget::keyPressEvent(QKeyEvent* event) {
    const int16_t code = keyCode(event->key(), event->modifiers());
    if (code == 0) return QWidget::keyPressEvent(event);
    emit keyPressed(code, shiftCode(event->modifiers()));
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    emit repaintRequested();
}
void SurfaceWidget::showEvent(QShowEvent*) {
    emit repaintRequested();
}

} // namespace vortan
