#include "paint/Painter.h"
#include "core/Numbers.h"

#include <cmath>

namespace vortan {

namespace {
constexpr int kSide = Brush::kSide;
constexpr int kZoom = View::kZoomFactor;

// The corner of a brush square centred on a pointer coordinate. The brush is 85 wide, so
// the corner is always half a pixel off and rounds to the even side, as every stamp and
// preview has always been placed.
int brushCorner(float pointer) {
    return roundHalfEven(pointer - float(kSide) / 2.0f);
}
} // namespace

bool anyModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

std::optional<Colour> Painter::colourAt(float x, float y) const {
    const Colour c = level_.layer(view_.shownLayer()).pixelAt(roundHalfEven(x), roundHalfEven(y));
    if (c == kNoColour) return std::nullopt; // beside the level the labels keep their values
    return c;
}

Painter::Outcome Painter::press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
    const float x = float(at.x()), y = float(at.y());
    if (view_.zoomed()) {
        Outcome o = editPixel(button, modifiers, at);
        o.pointed =
            colourAt(float(view_.xOffset()) + x / float(kZoom), float(view_.yOffset()) + y / float(kZoom));
        return o;
    }
    Outcome o;
    const float lx = float(view_.xOffset()) + x, ly = float(view_.yOffset()) + y;
    o.pointed = colourAt(lx, ly);
    if (anyModifier(modifiers)) {
        bool filled = false;
        fillOrPick(button, {roundHalfEven(lx), roundHalfEven(ly)}, o, &filled);
        o.levelChanged = filled; // a fill counts as a change even where it met its own colour
    } else if (button == Qt::LeftButton || button == Qt::RightButton) {
        o.changed = stamp(at, button == Qt::LeftButton);
        lastStamp_ = at;
        o.levelChanged = true;
    }
    return o;
}

Painter::Outcome Painter::move(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
    const float x = float(at.x()), y = float(at.y());
    if (view_.zoomed()) {
        Outcome o = editPixel(buttons, modifiers, at);
        o.pointed = colourAt(float(view_.xOffset() + roundHalfEven(float(roundHalfEven(x)) / float(kZoom))),
                             float(view_.yOffset() + roundHalfEven(float(roundHalfEven(y)) / float(kZoom))));
        return o;
    }
    Outcome o;
    o.pointed = colourAt(float(view_.xOffset()) + x, float(view_.yOffset()) + y);
    o.changed = restoreUnderPreview();
    previewLeft_ = brushCorner(x);
    previewTop_ = brushCorner(y);
    o.changed |= drawPreview();
    if (!anyModifier(modifiers) && (buttons == Qt::LeftButton || buttons == Qt::RightButton)) {
        o.changed |= stampAlong(at, buttons == Qt::LeftButton);
        o.levelChanged = true;
    }
    return o;
}

QRect Painter::stampAlong(QPointF to, bool paint) {
    const bool continuing = lastStamp_.has_value();
    const QPointF from = lastStamp_.value_or(to);
    lastStamp_ = to;
    // A quarter of the painted width apart, and never closer than a pixel of travel.
    const double spacing = std::max(1.0, brush_.paintedWidth() / 4.0);
    const QPointF way = to - from;
    const int stamps = std::max(1, int(std::ceil(std::hypot(way.x(), way.y()) / spacing)));
    QRect changed;
    // The last stamp is where the stroke already is; a move without one stamps only here.
    for (int i = continuing ? 1 : stamps; i <= stamps; ++i)
        changed |= stamp(from + way * (double(i) / stamps), paint);
    return changed;
}

QRect Painter::stamp(QPointF at, bool paint) {
    const int left = brushCorner(float(at.x())), top = brushCorner(float(at.y()));
    Picture& viewport = view_.viewport();
    maskRect(viewport, left, top, kSide, kSide, brush_.mask(), 0, 0);
    if (paint) paintRect(viewport, left, top, kSide, kSide, brush_.colourBrush(), 0, 0);
    const int lx = left + view_.xOffset(), ly = top + view_.yOffset();
    maskRect(level_.colourLayer(), lx, ly, kSide, kSide, brush_.mask(), 0, 0);
    if (paint) paintRect(level_.colourLayer(), lx, ly, kSide, kSide, brush_.colourBrush(), 0, 0);
    maskRect(level_.materialMap(), lx, ly, kSide, kSide, brush_.mask(), 0, 0);
    if (paint) paintRect(level_.materialMap(), lx, ly, kSide, kSide, brush_.materialBrush(), 0, 0);
    return QRect(left, top, kSide, kSide) & viewport.image().rect();
}

void Painter::fillOrPick(Qt::MouseButtons button, QPoint at, Outcome& outcome, bool* filledAny) {
    const Colour here = level_.layer(view_.shownLayer()).pixelAt(at.x(), at.y());
    if (here == kNoColour) return; // beside a narrow level, or a drag past its edge
    if (button == Qt::LeftButton) {
        // Each layer fills the region of its own colour; the two regions need not match.
        Picture& colour = level_.colourLayer();
        Picture& map = level_.materialMap();
        const bool a = floodFill(colour, at.x(), at.y(), colour.pixelAt(at.x(), at.y()), brush_.colour());
        const bool b = floodFill(map, at.x(), at.y(), map.pixelAt(at.x(), at.y()), brush_.material());
        *filledAny = true;
        outcome.levelChanged = a || b;
        view_.redraw(level_);
        outcome.redrawn = true;
    } else if (button == Qt::RightButton) {
        brush_.take(here, view_.shown() == View::Shown::Level);
        outcome.brushChanged = true;
    }
}

Painter::Outcome Painter::editPixel(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
    Outcome o;
    // The 1 added first: pointer columns 0 to 4 are block 0, column 5 already block 1.
    // The division truncates, so a drag a few pixels left of the view is still block 0.
    const int px = roundHalfEven(float(at.x()) + 1) / kZoom;
    const int py = roundHalfEven(float(at.y()) + 1) / kZoom;
    const QPoint pixel(view_.xOffset() + px, view_.yOffset() + py);
    if (anyModifier(modifiers)) {
        bool filled = false;
        fillOrPick(buttons, pixel, o, &filled); // only a fill that changed a pixel counts
        return o;
    }
    Colour block;
    if (buttons == Qt::LeftButton) {
        level_.colourLayer().setPixel(pixel.x(), pixel.y(), brush_.colour());
        level_.materialMap().setPixel(pixel.x(), pixel.y(), brush_.material());
        block = view_.shownLayer() == LevelDocument::kColourLayer ? brush_.colour() : brush_.material();
    } else if (buttons == Qt::RightButton) {
        level_.colourLayer().setPixel(pixel.x(), pixel.y(), kBlack);
        level_.materialMap().setPixel(pixel.x(), pixel.y(), kBlack);
        block = kBlack;
    } else {
        return o;
    }
    // Only the changed block is drawn, straight into the viewport.
    view_.viewport().fillRect(float(kZoom * px), float(kZoom * py), float((px + 1) * kZoom - 1),
                              float((py + 1) * kZoom - 1), block);
    o.changed = QRect(kZoom * px, kZoom * py, kZoom, kZoom);
    o.levelChanged = true;
    return o;
}

QRect Painter::restoreUnderPreview() {
    copyRect(view_.viewport(), previewLeft_, previewTop_, kSide, kSide, level_.layer(view_.shownLayer()),
             view_.xOffset() + previewLeft_, view_.yOffset() + previewTop_);
    return QRect(previewLeft_, previewTop_, kSide, kSide) & view_.viewport().image().rect();
}

QRect Painter::drawPreview() {
    // Always the colour brush, in the Map view too.
    maskRect(view_.viewport(), previewLeft_, previewTop_, kSide, kSide, brush_.mask(), 0, 0);
    paintRect(view_.viewport(), previewLeft_, previewTop_, kSide, kSide, brush_.colourBrush(), 0, 0);
    return QRect(previewLeft_, previewTop_, kSide, kSide) & view_.viewport().image().rect();
}

QRect Painter::redrawPreview() {
    return restoreUnderPreview() | drawPreview();
}

void convertLevelToMap(LevelDocument& level, const LongWork& work) {
    level.materialMap().clear(); // back to the map's background: black, or the map last loaded
    const int height = level.colourLayer().height();
    for (int y = 0; y < height; ++y) {
        // Looked up anew every row: the level may have changed during the last yield.
        const Picture& colour = level.colourLayer();
        Picture& map = level.materialMap();
        if (y < map.height() && y < colour.height()) {
            auto* src = reinterpret_cast<const uint32_t*>(colour.image().constScanLine(y));
            auto* dst = reinterpret_cast<uint32_t*>(map.pixels().scanLine(y));
            const int w = std::min(colour.width(), map.width());
            for (int x = 0; x < w; ++x)
                if (src[x] & 0xFFFFFF) dst[x] = toPixel(kWall);
        }
        work.rowDone(10000.0f / float(height));
    }
}

} // namespace vortan
