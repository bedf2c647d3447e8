// The colour brush, the material brush and the mask: discs or brush pictures.
#include "core/Editor.h"
#include "files/ColourTable.h"

#include <QDir>
#include <QFileInfo>

namespace vortan {

namespace {
void drawDisc(PictureSurface& s, int32_t radius, Colour c) {
    s.BackColor = kBlack;
    s.setPicture(QImage()); // nothing of a loaded picture may remain
    s.Cls();
    s.FillStyle = 0;
    s.FillColor = c;
    s.Circle(s.ScaleWidth() / 2.0f, s.ScaleHeight() / 2.0f, float(radius), c);
}
} // namespace

void Editor::createBrush(int32_t size) {
    brushSize = size;
    // A black brush would paint nothing: the brush is never black inside its shape.
    if (currentColour == kBlack) currentColour = kWhite;
    drawDisc(Brush, size, currentColour);
    drawDisc(mapBrush, size, currentMaterial);
    makeMask();
    emit surfaceChanged(ShownSurface::Brush);
    emit surfaceChanged(ShownSurface::MapBrush);
}

void Editor::makeMask() {
    const QImage& brush = Brush.Image();
    QImage& mask = Mask.image();
    const int w = std::min(brush.width(), mask.width()), h = std::min(brush.height(), mask.height());
    for (int y = 0; y < h; ++y) {
        auto* src = reinterpret_cast<const uint32_t*>(brush.constScanLine(y));
        auto* dst = reinterpret_cast<uint32_t*>(mask.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = toPixel((src[x] & 0xFFFFFF) != 0 ? kBlack : kWhite);
    }
}

void Editor::brushClick(int16_t button) {
    CommandScope scope(*this); // every way out enables the viewport again
    if (button == kLeftButton) {
        // The dialog starts from what the brush paints now; a cancel changes nothing.
        dialog.settings.colour = controls.viewOption == 0 ? currentColour : currentMaterial;
        if (!dialog.showColor(ui_)) return;
        const Colour chosen = dialog.settings.colour & 0xFFFFFF;
        if (controls.viewOption == 0)
            currentColour = chosen;
        else
            currentMaterial = closestColor(chosen, snapColours);
        createBrush(brushSize);
        updatePropertyCombo();
    } else if (button == kRightButton) {
        DialogSettings& d = dialog.settings;
        d.title = "Load Brush...";
        d.filterIndex = 0;
        d.fileName.clear();
        d.cancelError = true;
        d.filter = "Pictures (*.bmp;*.gif)|*.bmp;*.gif";
        d.initDir = QDir(ownFolder()).filePath("brushes");
        if (!dialog.showOpen(ui_) || d.fileTitle.isEmpty()) return;
        if (QFileInfo::exists(d.fileName)) {
            const std::optional<QImage> picture = LoadPicture(d.fileName);
            if (!picture || picture->isNull()) return; // not a readable picture: nothing changes
            Brush.setPicture(*picture);
            const Colour tag = Colour(Brush.Point(0, 0));
            if (closestColor(tag, snapColours) == tag) {
                currentMaterial = tag;
                updatePropertyCombo(); // may rebuild the disc brushes
                Brush.setPicture(*picture);
                // The tag pixel itself paints as its right-hand neighbour.
                Brush.PSet(0, 0, Colour(Brush.Point(1, 0)));
                mapBrush.BackColor = kBlack;
                mapBrush.Cls();
                for (int y = 0; y < Brush.ScaleHeight(); ++y)
                    for (int x = 0; x < Brush.ScaleWidth(); ++x)
                        if (GetPixel(Brush, x, y) != kBlack) SetPixelV(mapBrush, x, y, tag);
            } else {
                emit surfaceChanged(ShownSurface::Brush);
                yield();
            }
            makeMask();
            emit surfaceChanged(ShownSurface::Brush);
            emit surfaceChanged(ShownSurface::MapBrush);
        }
    }
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
}

void Editor::Brush_MouseDown(int16_t button) {
    if (!canStartCommand()) return;
    brushClick(button);
    applyFocusRule();
}

void Editor::mapBrush_MouseDown(int16_t button) {
    if (!canStartCommand()) return;
    brushClick(button);
}

} // namespace vortan
