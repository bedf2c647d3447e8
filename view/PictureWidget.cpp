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
    : PictureWidget(nullptr, parent), view_(view), level_(level) {
    connect(&making_, &QTimer::timeout, this, &ViewportWidget::makeReducedCopies);
}

void ViewportWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = paintFrame(p, event->rect());
    p.translate(kFrame, kFrame);
    view_.paintViewport(p, level_, area.translated(-kFrame, -kFrame));
    if (view_.makingReducedCopies() && !making_.isActive()) making_.start(0);
}

void ViewportWidget::makeReducedCopies() {
    // A few milliseconds a slice: the pointer and the keys are answered between them.
    if (!view_.makeReducedCopies(level_, std::chrono::milliseconds(4))) return;
    making_.stop();
    update();
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->buttons());
}

void PictureWidget::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta(), event->modifiers(), event->position() - QPointF(kFrame, kFrame));
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

void PictureWidget::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) emit keyReleased(event->key());
}

void PictureWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    emit keyReleased(Qt::Key_Space);
}

NavigatorWidget::NavigatorWidget(const View& view, QWidget* parent)
    : PictureWidget(&view.navigator(), parent), view_(view) {}

void NavigatorWidget::paintEvent(QPaintEvent* event) {
    PictureWidget::paintEvent(event);
    const QRect shown = view_.visibleOnNavigator();
    if (shown.isEmpty()) return;
    // Inverted, so that it shows on any level.
    QPainter p(this);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Qt::white);
    p.drawRect(shown.translated(kFrame, kFrame).adjusted(0, 0, -1, -1));
}

} // namespace vortan
