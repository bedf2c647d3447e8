// Scrolling and redrawing the viewport from the shown layer.
#include "core/Editor.h"

namespace vortan {

void Editor::updateViewPort(float x, float y) {
    int32_t w = roundHalfEven(viewPort.ScaleWidth());
    int32_t h = roundHalfEven(viewPort.ScaleHeight());
    if (controls.zoomTicked) {
        // Level pixels that cover the viewport, a partly visible block included.
        w = (w + zoomFactor) / zoomFactor;
        h = (h + zoomFactor) / zoomFactor;
    }
    // Lower bound first: a level narrower than the viewport gets a negative offset.
    int32_t xo = minOf(maxOf(roundHalfEven(x), 0), xRes - w);
    int32_t yo = minOf(maxOf(roundHalfEven(y), 0), yRes - h);
    viewPortXoff = xo;
    viewPortYoff = yo;
    const PictureSurface& shown = Level[layerIndex];
    if (controls.zoomTicked)
        StretchBlt(viewPort, 0, 0, zoomFactor * w, zoomFactor * h, shown, xo, yo, w, h);
    else
        BitBlt(viewPort, 0, 0, w, h, shown, xo, yo, Rop::SrcCopy);
    emit surfaceChanged(ShownSurface::ViewPort);
}

void Editor::viewPort_Paint() {
    yield();
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
}

void Editor::zoomEnabled_Click(bool ticked) {
    if (!canStartCommand()) return;
    controls.zoomTicked = ticked;
    emit controlsChanged();
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    applyFocusRule();
}

void Editor::applyFocusRule() {
    if (controls.viewOption != 2 && controls.viewPortEnabled) emit focusRequested(FocusTarget::ViewPort);
}

} // namespace vortan
