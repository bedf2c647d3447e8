#include "core/LevelDocument.h"
#include "core/Memory.h"
#include "core/PixelRows.h"

#include <algorithm>

#include <algorithm>

namespace vortan {

namespace {
constexpr auto kFollows = Picture::Sizing::FollowsPicture;

} // namespace

LevelDocument::LevelDocument()
    : layers_{Picture(kStartSize.width(), kStartSize.height(), kBlack, kFollows),
              Picture(kStartSize.width(), kStartSize.height(), kBlack, kFollows)} {
    for (Picture& layer : layers_)
        layer.setWatcher(this);
}

LevelDocument::~LevelDocument() {
    for (Picture& layer : layers_)
        layer.setWatcher(nullptr);
}

void LevelDocument::aboutToChange(const Picture& picture, const QRect& area) {
    history_.aboutToChange(picture, area, filling_);
    changed_ |= area & picture.image().rect();
}

void LevelDocument::announce() {
    if (changed_.isEmpty()) return;
    const QRect area = changed_;
    changed_ = {};
    emit areaChanged(area);
}

void LevelDocument::setName(const QString& name) {
    if (name == name_) return;
    name_ = name;
    emit nameChanged(name_);
}

void LevelDocument::setModified(bool modified) {
    if (modified == modified_) return;
    modified_ = modified;
    emit modifiedChanged(modified_);
}

void LevelDocument::replaced(QSize before) {
    changed_ = {};
    if (size() != before) emit sizeChanged(size());
    emit areaChanged(QRect(QPoint(0, 0), size()));
    // The level before is gone: its layers, kept backgrounds and history.
    returnFreedMemory();
}

void LevelDocument::makeEmpty(int width, int height, Colour frameColour) {
    const QSize before = size();
    history_.clear();
    for (int i = 0; i < 2; ++i) {
        Picture& layer = layers_[size_t(i)];
        layer.resize(width, height);
        layer.setBackground(kBlack);
        layer.setBackgroundPicture(QImage());
        layer.clear();
        drawFrame(layer, i == kColourLayer ? frameColour : kWall);
    }
    replaced(before);
}

void LevelDocument::loadLayer(int index, QImage picture) {
    const QSize before = size();
    layers_[size_t(index)].setBackgroundPicture(std::move(picture));
    replaced(before);
}

void LevelDocument::matchSizeTo(int index) {
    const QSize before = size();
    const Picture& source = layers_[size_t(index)];
    layers_[size_t(1 - index)].resize(source.width(), source.height());
    history_.clear();
    replaced(before);
}

void LevelDocument::takeLayers(const QImage& colour, const QImage& map) {
    const QSize before = size();
    layers_[kColourLayer].takePixels(colour);
    layers_[kMaterialMap].takePixels(map);
    history_.clear();
    replaced(before);
    if (map.size() != colour.size()) matchSizeTo(kColourLayer);
}

bool LevelDocument::resize(QSize size, QPoint shift) {
    const QSize before = this->size();
    if (size == before && shift.isNull()) return true;
    history_.end();
    std::array<Picture, 2> was = layers_;
    for (size_t i = 0; i < 2; ++i)
        if (!layers_[i].reframe(size, shift)) {
            for (size_t j = 0; j < i; ++j) // the first layer back as it was
                layers_[j].swapPixels(was[j]);
            return false;
        }
    history_.pushReplacement("Resize Level", std::move(was));
    changed_ = {};
    if (size != before) emit sizeChanged(size);
    emit areaChanged(QRect(QPoint(0, 0), size));
    setModified(true);
    return true;
}

QRect LevelDocument::stampReach(const Picture& mask, const Picture* colourBrush,
                                const Picture* materialBrush) {
    int left = mask.width(), right = -1, top = mask.height(), bottom = -1;
    auto add = [&](const Picture& p, uint32_t keeping) {
        const int w = std::min(p.width(), mask.width()), h = std::min(p.height(), mask.height());
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(p.image().constScanLine(y));
            int x0 = 0, x1 = w - 1;
            while (x0 < w && (row[x0] & 0xFFFFFFu) == keeping)
                ++x0;
            if (x0 == w) continue;
            while ((row[x1] & 0xFFFFFFu) == keeping)
                --x1;
            left = std::min(left, x0), right = std::max(right, x1);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    };
    add(mask, 0xFFFFFFu);
    if (colourBrush) add(*colourBrush, 0);
    if (materialBrush) add(*materialBrush, 0);
    return right < left ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}
void LevelDocument::stamp(QPoint at, const Picture& mask, const Picture* colourBrush,
                          const Picture* materialBrush, const QRect& reach) {
    const QRect r =
        reach.isNull() ? stampReach(mask, colourBrush, materialBrush) : reach & mask.image().rect();
    const QPoint to = at + r.topLeft();
    for (int i = 0; i < 2 && !r.isEmpty(); ++i) {
        Picture& layer = layers_[size_t(i)];
        maskRect(layer, to.x(), to.y(), r.width(), r.height(), mask, r.x(), r.y());
        // The material brush is as large as the colour brush.
        if (const Picture* brush = i == kColourLayer ? colourBrush : materialBrush)
            paintRect(layer, to.x(), to.y(), r.width(), r.height(), *brush, r.x(), r.y());
    }
    setModified(true);
    announce();
}

void LevelDocument::setPixels(QPoint at, Colour colour, Colour material) {
    layers_[kColourLayer].setPixel(at.x(), at.y(), colour);
    layers_[kMaterialMap].setPixel(at.x(), at.y(), material);
    setModified(true);
    announce();
}

void LevelDocument::fillRuns(int top, const std::vector<std::pair<int, int>>& runs, Colour colour,
                             Colour material) {
    const QRect level(QPoint(0, 0), size());
    QRect bounds;
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].first <= runs[i].second)
            bounds |= QRect(QPoint(runs[i].first, top + int(i)), QPoint(runs[i].second, top + int(i)));
    bounds &= level;
    if (bounds.isEmpty()) return;
    const std::array<Colour, 2> paint{colour, material};
    for (int l = 0; l < 2; ++l) {
        Picture& layer = layers_[size_t(l)];
        // Said once for the whole shape: the history takes its tiles in one go.
        layer.aboutToChange(bounds);
        const uint32_t pixel = toPixel(paint[size_t(l)]);
        uchar* bits = layer.pixels().bits();
        const qsizetype bpl = layer.image().bytesPerLine();
        for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
            const auto& [from, to] = runs[size_t(y - top)];
            const int x0 = std::max(from, 0), x1 = std::min(to, level.right());
            if (x0 > x1) continue;
            uint32_t* row = rowOf(bits, bpl, y);
            std::fill(row + x0, row + x1 + 1, pixel);
        }
    }
    setModified(true);
    announce();
}

void LevelDocument::place(QPoint corner, const QImage& colour, const QImage& map) {
    const QRect area = QRect(corner, colour.size()) & QRect(QPoint(0, 0), size());
    if (area.isEmpty() || map.size() != colour.size()) return;
    const std::array<const QImage*, 2> pieces{&colour, &map};
    for (int l = 0; l < 2; ++l) {
        const QImage piece = pieces[size_t(l)]->convertToFormat(QImage::Format_RGB32);
        Picture& layer = layers_[size_t(l)];
        layer.aboutToChange(area);
        uchar* bits = layer.pixels().bits();
        const qsizetype bpl = layer.image().bytesPerLine();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const uint32_t* from =
                rowOf(piece.constBits(), piece.bytesPerLine(), y - corner.y()) + (area.left() - corner.x());
            std::copy(from, from + area.width(), rowOf(bits, bpl, y) + area.left());
        }
    }
    setModified(true);
    announce();
}

bool LevelDocument::fill(QPoint at, Colour colour, Colour material, bool countsAlways) {
    Picture& c = layers_[kColourLayer];
    Picture& m = layers_[kMaterialMap];
    // A fill says each run it repaints, all of the region's colour, just before painting it.
    filling_ = true;
    const bool a = floodFill(c, at.x(), at.y(), c.pixelAt(at.x(), at.y()), colour);
    const bool b = floodFill(m, at.x(), at.y(), m.pixelAt(at.x(), at.y()), material);
    filling_ = false;
    if (a || b || countsAlways) setModified(true);
    announce();
    return a || b;
}

void LevelDocument::convertColourToMap(const LongWork& work) {
    layers_[kMaterialMap].clear(); // back to the map's background
    announce();
    const int height = layers_[kColourLayer].height();
    for (int y = 0; y < height; ++y) {
        // Looked up anew every row: the level may have changed during the last yield.
        const Picture& colour = layers_[kColourLayer];
        Picture& map = layers_[kMaterialMap];
        if (y < map.height() && y < colour.height()) {
            const int w = std::min(colour.width(), map.width());
            const uint32_t wall = toPixel(kWall);
            const auto* src = reinterpret_cast<const uint32_t*>(colour.image().constScanLine(y));
            // Said a tile's width at a time, and only where a pixel becomes wall: the
            // history keeps no tile that stays as it was.
            for (int x0 = 0; x0 < w; x0 += History::kTile) {
                const int x1 = std::min(w, x0 + History::kTile);
                const auto* was = reinterpret_cast<const uint32_t*>(map.image().constScanLine(y));
                int x = x0;
                while (x < x1 && !((src[x] & 0xFFFFFF) && was[x] != wall))
                    ++x;
                if (x == x1) continue;
                map.aboutToChange(QRect(x, y, x1 - x, 1));
                auto* dst = reinterpret_cast<uint32_t*>(map.pixels().scanLine(y));
                for (; x < x1; ++x)
                    if (src[x] & 0xFFFFFF) dst[x] = wall;
            }
        }
        work.rowDone(10000.0f / float(height));
    }
    announce();
}

void LevelDocument::closeMapWithFrame() {
    drawFrame(layers_[kMaterialMap], kWall);
    announce();
}

void LevelDocument::drawFrame(Picture& layer, Colour c) {
    // The lines at the far edges fall just outside: 17 pixels top and left, 16 bottom and right.
    const float w = float(layer.width()), h = float(layer.height());
    for (int j = 0; j <= 16; ++j) {
        layer.drawLine(0, float(j), w, float(j), c);
        layer.drawLine(0, h - float(j), w, h - float(j), c);
        layer.drawLine(float(j), 0, float(j), h, c);
        layer.drawLine(w - float(j), 0, w - float(j), h, c);
    }
}

void LevelDocument::announceAfterHistory(const QRect& area, QSize before) {
    changed_ = {};
    if (size() != before) emit sizeChanged(size());
    if (!area.isEmpty()) emit areaChanged(area);
}

bool LevelDocument::undo() {
    if (!history_.canUndo()) return false;
    const QSize before = size();
    announceAfterHistory(history_.undo(), before);
    setModified(true);
    return true;
}

bool LevelDocument::redo() {
    if (!history_.canRedo()) return false;
    const QSize before = size();
    announceAfterHistory(history_.redo(), before);
    setModified(true);
    return true;
}

bool LevelDocument::backToMark() {
    QRect area;
    if (!history_.backToMark(&area)) return false;
    announceAfterHistory(area, size());
    return true;
}

} // namespace vortan
