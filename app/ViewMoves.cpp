#include "app/ViewMoves.h"
#include "app/Editor.h"

#include <cmath>

namespace vortan {

void ViewMoves::showNewScale() {
    e_.layOut(e_.windowOuter_);
    e_.redrawViewport();
}

void ViewMoves::zoom(bool in, QPointF about) {
    if (e_.view_.zoomStep(in, about)) showNewScale();
}

void ViewMoves::zoomAboutCentre(bool in) {
    const QSize size = e_.view_.viewportSize();
    zoom(in, QPointF(size.width() / 2, size.height() / 2));
}

void ViewMoves::toggleGrid() {
    // Below 8 a grid would hide the level: G waits for a closer look.
    const View& v = e_.view_;
    if (v.zoomed() || v.freeScale() < 8) return;
    e_.view_.setGridWanted(!e_.view_.gridWanted());
    e_.redrawViewport();
}

bool ViewMoves::panTo(Qt::MouseButtons held, QPointF at) {
    if (!panFrom_ || !(held & panButton_)) {
        endPan();
        return false;
    }
    // The level follows the pointer: whole screen pixels, or whole blocks of the Zoom box;
    // what is left over waits for the next move.
    const double unit = e_.view_.zoomed() ? View::kZoomFactor : 1;
    const QPointF way = *panFrom_ - at;
    const QPoint by(int(std::trunc(way.x() / unit)), int(std::trunc(way.y() / unit)));
    if (by.isNull()) return true;
    *panFrom_ -= QPointF(by) * unit;
    e_.view_.scrollBy(e_.level_, by);
    e_.redrawViewport();
    return true;
}

} // namespace vortan
