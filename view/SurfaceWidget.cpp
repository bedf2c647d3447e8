#include "view/SurfaceWidget.h"
#include "core/Editor.h"

#include <QPainter>
#include <qdrawutil.h>

namespace vortan {

SurfaceWidget::SurfaceWidget(const PictureSurface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    qDrawShadePanel(&p, rect(), palette(), true, kFrame);
    const QRect inside = rect().adjusted(kFrame, kFrame, -kFrame, -kFrame);
    p.fillRect(inside, palette().window());
    p.setClipRect(inside);
    p.drawImage(inside.topLeft(), surface_.Image());
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    emit repaintRequested();
}
void SurfaceWidget::showEvent(QShowEvent*) {
    emit repaintRequested();
}

} // namespace vortan
