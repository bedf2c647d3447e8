// The navigator, the thumbnail and the switch between the Level, Map and Thumbnail views.
#include "core/Editor.h"

#include <cmath>

namespace vortan {

namespace {
constexpr uint32_t kOutside = 0xFFFFFFFF;
}

void Editor::refreshNavigator() {
    float srcY = 0;
    for (int row = 0; row < Thumb.ScaleHeight(); ++row) {
        // The level may have changed during the last yield: look everything up again.
        const PictureSurface& level = Level[layerIndex];
        const int srcRow = roundHalfEven(srcY);
        if (srcRow >= 0 && srcRow < level.ScaleHeight()) {
            auto* src = reinterpret_cast<const uint32_t*>(level.Image().constScanLine(srcRow));
            auto* dst = reinterpret_cast<uint32_t*>(Thumb.image().scanLine(row));
            const int levelWidth = level.ScaleWidth();
            for (int c = 0; c < Thumb.ScaleWidth(); ++c) {
                const int x = roundHalfEven(navScale * float(c));
                if (x >= 0 && x < levelWidth) dst[c] = src[x];
            }
        }
        srcY = srcY + navScale;
        yield();
    }
    Thumb.setPicture(Thumb.Image());
    emit surfaceChanged(ShownSurface::Thumb);
}

void Editor::buildThumbnail() {
    thumbNail.setPicture(QImage());
    thumbNail.Cls();
    const int32_t W = roundHalfEven(Level[0].ScaleWidth());
    const int32_t H = Level[0].ScaleHeight();
    // Level pixels per thumbnail pixel: about 17000 pixels in all, at most 190 wide and 126 high.
    float s = float(std::sqrt(double(W) * double(H) / 17000.0));
    if (double(W) / s > 190) s = float(Level[0].ScaleWidth()) / 190.0f;
    if (double(H) / s > 126) s = float(Level[0].ScaleHeight()) / 126.0f;
    const int32_t x0 = roundHalfEven((192.0 - double(W) / s) / 2.0);
    const int32_t cLast = roundHalfEven(double(W) / s);

    float srcY = 0;
    int32_t r = 0, rLast = 0;
    do {
        const int y = roundHalfEven(srcY);
        for (int32_t c = 0; c <= cLast; ++c) {
            const int x = roundHalfEven(float(c) * s);
            uint32_t colour = GetPixel(Level[0], x, y);
            if (GetPixel(Level[1], x, y) == kWater) colour = kWater; // water shows pure blue
            if (colour != kOutside) SetPixelV(thumbNail, c + x0, r + 48, colour);
        }
        rLast = r;
        srcY = srcY + s;
        ++r;
        yield();
    } while (srcY < float(Level[0].ScaleHeight()));

    // A one-pixel black frame on the miniature's outermost pixels.
    const int32_t xr = cLast + x0;
    thumbNail.Line(x0, 48, xr, 48, kBlack);
    thumbNail.Line(x0, rLast + 48, xr, rLast + 48, kBlack);
    thumbNail.Line(x0, 48, x0, rLast + 48, kBlack);
    thumbNail.Line(xr, 48, xr, rLast + 49, kBlack);

    // The name centred above, its bottom at row 32.
    thumbNail.CurrentX = (192.0f - float(thumbNail.TextWidth(levelName))) / 2.0f;
    thumbNail.CurrentY = 32.0f - float(thumbNail.TextHeight(levelName));
    thumbNail.ForeColor = kBlack;
    thumbNail.Print(levelName);
    thumbNail.setPicture(thumbNail.Image());
    emit surfaceChanged(ShownSurface::ThumbNail);
}

void Editor::Timer1_Timer() {
    if (navigatorStale) refreshNavigator();
    navigatorStale = false;
}

void Editor::Thumb_MouseDown(int16_t, int16_t, float x, float y) {
    // The navigator's border is not part of its picture.
    if (!canStartCommand() || !insideDrawable(Thumb, x, y)) return;
    updateViewPort(navScale * x, navScale * y);
    applyFocusRule();
}

void Editor::Thumb_MouseMove(int16_t button, int16_t, float x, float y) {
    if (!canStartCommand()) return;
    if (button != 0) updateViewPort(navScale * x, navScale * y);
    applyFocusRule();
}

void Editor::vPort_Click(int index) {
    // A view switch takes an undo copy: never of a level a command is still changing.
    if (canStartCommand()) switchView(index);
}

void Editor::switchView(int index) {
    controls.viewOption = index;
    if (index == 2) {
        if (unsavedChanges || navigatorStale) buildThumbnail();
        controls.viewPortVisible = false;
        controls.thumbNailVisible = true;
        controls.zoomEnabled = false;
        controls.zoomVisible = false;
        emit controlsChanged();
        emit focusRequested(FocusTarget::ThumbNail);
    } else {
        controls.viewPortVisible = true;
        controls.thumbNailVisible = false;
        applyFocusRule();
        layerIndex = index;
        controls.brushVisible = index == 0;
        controls.mapBrushVisible = index == 1;
        controls.zoomEnabled = true;
        controls.zoomVisible = true;
        emit controlsChanged();
    }
    takeUndoSnapshot();
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    navigatorStale = true;
    Timer1_Timer();
}

} // namespace vortan
