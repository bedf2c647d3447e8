// Painting with the brush in the viewport, fills, picks, the preview and the undo copy.
#include "core/Editor.h"
#include "files/ColourTable.h"

namespace vortan {

void Editor::takeUndoSnapshot() {
    for (int k = 0; k < 2; ++k)
        undoLevel[k].setPicture(Level[k].Image());
    undoBelongsToLevel = true;
}

bool Editor::fillOrPick(int16_t button, int32_t lx, int32_t ly, bool* changed) {
    // A point outside the level (beside a narrow level, or a drag past its edge) has no
    // colour to fill or pick.
    if (Level[layerIndex].Point(lx, ly) < 0) return false;
    if (button == kLeftButton) {
        // Each layer fills the region of its own colour; the two regions need not match.
        Level[0].FillColor = currentColour;
        Level[0].FillStyle = 0;
        const bool colourFilled = ExtFloodFill(Level[0], lx, ly, Colour(Level[0].Point(lx, ly)));
        Level[1].FillColor = currentMaterial;
        Level[1].FillStyle = 0;
        const bool mapFilled = ExtFloodFill(Level[1], lx, ly, Colour(Level[1].Point(lx, ly)));
        if (changed) *changed = colourFilled || mapFilled;
        updateViewPort(float(viewPortXoff), float(viewPortYoff));
        return true;
    }
    if (button == kRightButton) {
        const Colour picked = Colour(Level[layerIndex].Point(lx, ly));
        if (controls.viewOption == 0)
            currentColour = picked;
        else
            currentMaterial = picked;
        createBrush(brushSize);
        updatePropertyCombo();
    }
    return false;
}

void Editor::showValues(float levelX, float levelY) {
    const int32_t k = Level[layerIndex].Point(levelX, levelY);
    if (k < 0) return; // no pixel there: the labels keep their values
    controls.rValue = QString::number(getRed(Colour(k))) + " ";
    controls.gValue = QString::number(getGreen(Colour(k))) + " ";
    controls.bValue = QString::number(getBlue(Colour(k))) + " ";
    emit controlsChanged();
}

void Editor::viewPort_MouseDown(int16_t button, int16_t shift, float x, float y) {
    // The border around the viewport is no drawing area: a press there would reach
    // level pixels the user cannot see.
    if (!insideDrawable(viewPort, x, y)) return;
    takeUndoSnapshot();
    if (controls.zoomTicked) {
        drawZoom(x, y, button, shift);
        showValues(float(viewPortXoff) + x / float(zoomFactor), float(viewPortYoff) + y / float(zoomFactor));
        return;
    }
    const float lx = float(viewPortXoff) + x, ly = float(viewPortYoff) + y;
    showValues(lx, ly);
    if (shift != 0) {
        if (fillOrPick(button, roundHalfEven(lx), roundHalfEven(ly))) {
            navigatorStale = true;
            unsavedChanges = true;
        }
        return;
    }
    if (button == kLeftButton)
        drawBrush(x, y, 1);
    else if (button == kRightButton)
        drawBrush(x, y, 0);
}

void Editor::viewPort_MouseMove(int16_t button, int16_t shift, float x, float y) {
    if (controls.zoomTicked) {
        drawZoom(x, y, button, shift);
        showValues(float(viewPortXoff + roundHalfEven(float(roundHalfEven(x)) / float(zoomFactor))),
                   float(viewPortYoff + roundHalfEven(float(roundHalfEven(y)) / float(zoomFactor))));
        return;
    }
    showValues(float(viewPortXoff) + x, float(viewPortYoff) + y);
    // Put back the viewport under the last preview, then draw the preview at the pointer.
    restoreUnderPreview();
    lastBrushX = roundHalfEven(x - float(Brush.ScaleWidth()) / 2.0f);
    lastBrushY = roundHalfEven(y - float(Brush.ScaleHeight()) / 2.0f);
    drawPreview();
    if (shift == 0) {
        if (button == kLeftButton)
            drawBrush(x, y, 1);
        else if (button == kRightButton)
            drawBrush(x, y, 0);
    }
}

void Editor::restoreUnderPreview() {
    BitBlt(viewPort, lastBrushX, lastBrushY, Brush.ScaleWidth(), Brush.ScaleHeight(), Level[layerIndex],
           viewPortXoff + lastBrushX, viewPortYoff + lastBrushY, Rop::SrcCopy);
}

void Editor::drawPreview() {
    // Always the colour brush, in the Map view too.
    BitBlt(viewPort, lastBrushX, lastBrushY, Mask.ScaleWidth(), Mask.ScaleHeight(), Mask, 0, 0, Rop::SrcAnd);
    BitBlt(viewPort, lastBrushX, lastBrushY, Brush.ScaleWidth(), Brush.ScaleHeight(), Brush, 0, 0,
           Rop::SrcPaint);
    emit surfaceChanged(ShownSurface::ViewPort);
}

void Editor::drawBrush(float x, float y, int32_t mode) {
    const int32_t left = roundHalfEven(x - float(Brush.ScaleWidth()) / 2.0f);
    const int32_t top = roundHalfEven(y - float(Brush.ScaleHeight()) / 2.0f);
    const int bw = Brush.ScaleWidth(), bh = Brush.ScaleHeight();
    BitBlt(viewPort, left, top, Mask.ScaleWidth(), Mask.ScaleHeight(), Mask, 0, 0, Rop::SrcAnd);
    if (mode > 0) BitBlt(viewPort, left, top, bw, bh, Brush, 0, 0, Rop::SrcPaint);
    const int32_t lx = left + viewPortXoff, ly = top + viewPortYoff;
    BitBlt(Level[0], lx, ly, Mask.ScaleWidth(), Mask.ScaleHeight(), Mask, 0, 0, Rop::SrcAnd);
    if (mode > 0) BitBlt(Level[0], lx, ly, bw, bh, Brush, 0, 0, Rop::SrcPaint);
    BitBlt(Level[1], lx, ly, Mask.ScaleWidth(), Mask.ScaleHeight(), Mask, 0, 0, Rop::SrcAnd);
    if (mode > 0) BitBlt(Level[1], lx, ly, bw, bh, mapBrush, 0, 0, Rop::SrcPaint);
    navigatorStale = true;
    unsavedChanges = true;
    emit surfaceChanged(ShownSurface::ViewPort);
}

} // namespace vortan
