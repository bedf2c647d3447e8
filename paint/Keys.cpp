// The viewport's keys: materials, scrolling, brush size, undo and the brush mirror.
#include "core/Editor.h"

namespace vortan {

void Editor::viewPort_KeyDown(int16_t keyCode, int16_t) {
    const int32_t step = controls.zoomTicked ? roundHalfEven(50.0 / zoomFactor) : 50;
    // Every row is tested in turn.
    if (keyCode == 87) chooseMaterialEntry("Wall");
    if (keyCode == 66) chooseMaterialEntry("Behind Wall");
    if (keyCode == 84) chooseMaterialEntry("Water");
    if (keyCode == 83) chooseMaterialEntry("PlatformFS");
    if (keyCode == 65) chooseMaterialEntry("PlatformFSA");
    if (keyCode == 69) chooseMaterialEntry("Explosive!");
    if (keyCode == 38) updateViewPort(float(viewPortXoff), float(viewPortYoff - step));
    if (keyCode == 40) updateViewPort(float(viewPortXoff), float(viewPortYoff + step));
    if (keyCode == 37) updateViewPort(float(viewPortXoff - step), float(viewPortYoff));
    if (keyCode == 39) updateViewPort(float(viewPortXoff + step), float(viewPortYoff));
    if (keyCode >= 49 && keyCode <= 57) createBrush(4 * keyCode - 194);
    if (keyCode >= 97 && keyCode <= 105) createBrush(4 * keyCode - 386);
    if (keyCode == 8) restoreUndo();
    if (keyCode == 70) mirrorBrush();
}

void Editor::restoreUndo() {
    // Copies of another level (or none yet) must never replace this one.
    if (!undoBelongsToLevel) return;
    Level[0].setPicture(undoLevel[0].Image());
    Level[1].setPicture(undoLevel[1].Image());
    yield();
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
}

void Editor::mirrorBrush() {
    const int w = Brush.ScaleWidth();
    const int half = roundHalfEven(w / 2.0);
    for (PictureSurface* s : {&Brush, &mapBrush, &Mask}) {
        QImage& img = s->image();
        for (int y = 0; y < std::min(Brush.ScaleHeight(), img.height()); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x <= half && w - 1 - x < img.width(); ++x)
                std::swap(row[x], row[w - 1 - x]);
        }
    }
    restoreUnderPreview();
    drawPreview();
    emit surfaceChanged(ShownSurface::Brush);
    emit surfaceChanged(ShownSurface::MapBrush);
    yield();
}

} // namespace vortan
