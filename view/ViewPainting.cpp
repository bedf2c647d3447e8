#include "core/Numbers.h"
#include "view/MaterialsOverlay.h"
#include "view/View.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

// The viewport painted from the shown layer at its scale: enlarged in bands of copied
// rows, reduced from the reduced copies (or sampled until they are made), with the grid,
// the preview and the overlays over it.
namespace vortan {

namespace {
int floorOf(double v) {
    return roundHalfEven(std::floor(v));
}
} // namespace

void View::paintZoomBox(QPainter& painter, const Picture& shown, const QRect& a) const {
    // The level pixels under the area, each an n x n block; the first may be cut.
    constexpr int n = kZoomFactor;
    auto down = [](int v) { return floorOf(double(v) / n); };
    const int lx = down(scroll_.x() + a.left()), ly = down(scroll_.y() + a.top());
    const int lw = down(scroll_.x() + a.right()) - lx + 1, lh = down(scroll_.y() + a.bottom()) - ly + 1;
    const QPoint corner = QPoint(lx * n, ly * n) - scroll_;
    const QRect onLevel = QRect(lx, ly, lw, lh) & shown.image().rect();
    if (onLevel != QRect(lx, ly, lw, lh)) painter.fillRect(a, Qt::black);
    if (onLevel.isEmpty()) return;
    // The Zoom box's blocks, copied as they always were.
    Picture part(lw * n, lh * n);
    enlargeRect(part, 0, 0, lw * n, lh * n, shown, lx, ly, lw, lh);
    painter.drawImage(corner, part.image());
}

namespace {
int floorDiv(int v, int n) {
    return v >= 0 ? v / n : -((n - 1 - v) / n);
}

// Whole blocks of n screen pixels, one for each level pixel; the scales' own widths in
// loops of their own, which the compiler unrolls.
template <int N> void wholeBlocks(uint32_t* out, const uint32_t* from, int count) {
    for (int i = 0; i < count; ++i, out += N)
        std::fill_n(out, N, from[i]);
}
template <int... N>
void wholeBlocks(int n, uint32_t* out, const uint32_t* from, int count, std::integer_sequence<int, N...>) {
    if (((n == N && (wholeBlocks<N>(out, from, count), true)) || ...)) return;
    for (int i = 0; i < count; ++i)
        std::fill_n(out + i * n, n, from[i]);
}

// One screen row of n x n blocks: level pixels from `column` on (black off the level, or
// for a row off it), the first block cut by `cut` screen columns.
void blockRow(uint32_t* out, int width, const uint32_t* levelRow, int levelWidth, int column, int cut,
              int n) {
    // Where level column c starts on the row, kept to the row.
    auto startOf = [&](int c) { return std::clamp(qint64(c - column) * n - cut, qint64(0), qint64(width)); };
    const int start = levelRow ? int(startOf(0)) : width, end = levelRow ? int(startOf(levelWidth)) : width;
    std::fill(out, out + start, 0xFF000000u);
    std::fill(out + end, out + width, 0xFF000000u);
    if (start >= end) return;
    // A cut block first, then whole ones, then what is left of the last.
    int c = column + (start + cut) / n;
    int x = start;
    const int firstEnd = std::min(end, int(startOf(c + 1)));
    std::fill(out + x, out + firstEnd, levelRow[c]);
    x = firstEnd;
    ++c;
    const int whole = (end - x) / n;
    wholeBlocks(n, out + x, levelRow + c, whole, std::integer_sequence<int, 2, 3, 4, 6, 8, 12, 16>{});
    x += whole * n;
    c += whole;
    if (x < end) std::fill(out + x, out + end, levelRow[c]);
}

// The opaque pixels of a preview row over a screen row of n x n blocks; `column` is the
// level column of the row's first screen column, cut as above.
void previewOverRow(uint32_t* out, int width, const uint32_t* previewRow, int previewWidth, int previewColumn,
                    int column, int cut, int n) {
    const int from = std::max(0, column - previewColumn);
    const int to = std::min(previewWidth, column + (width + cut + n - 1) / n - previewColumn);
    for (int p = from; p < to; ++p) {
        if (previewRow[p] < 0xFF000000u) continue;
        const int x = (previewColumn + p - column) * n - cut;
        std::fill(out + std::max(0, x), out + std::min(width, x + n), previewRow[p]);
    }
}
} // namespace

namespace {
// A screen pixel under the grid: a line before every level pixel, faint enough to paint
// through, blended per channel as the painter blends its pen.
uint32_t lined(uint32_t pixel) {
    static const std::array<uint8_t, 256> blended = [] {
        QImage ramp(256, 1, QImage::Format_RGB32);
        for (int i = 0; i < 256; ++i)
            ramp.setPixel(i, 0, qRgb(i, i, i));
        QPainter p(&ramp);
        p.setPen(QColor(128, 128, 128, 110));
        p.drawLine(0, 0, 255, 0);
        p.end();
        std::array<uint8_t, 256> table{};
        for (int i = 0; i < 256; ++i)
            table[size_t(i)] = uint8_t(qRed(ramp.pixel(i, 0)));
        return table;
    }();
    return 0xFF000000u | uint32_t(blended[(pixel >> 16) & 0xFF]) << 16 |
           uint32_t(blended[(pixel >> 8) & 0xFF]) << 8 | blended[pixel & 0xFF];
}
} // namespace

void View::paintEnlarged(QPainter& painter, const Picture& shown, const QRect& a, int n) const {
    // A scaled drawing of the level would cost a press at 16 milliseconds. Instead each
    // level pixel is written once per level row, the row's other screen rows are copies
    // of the first, and bands of rows go to the screen unscaled.
    const QImage& level = shown.image();
    const int w = a.width();
    const int column = floorDiv(scroll_.x() + a.left(), n), cut = scroll_.x() + a.left() - column * n;
    const bool grid = gridShown();
    // The first screen column of the grid, as the lines have always been placed.
    const int gridColumn = (n - (scroll_.x() + a.left()) % n + n) % n;
    const bool previewInRows = !preview_.isNull() && previewOpaqueOrClear_;
    auto previewRow = [&](int levelRow) -> const uint32_t* {
        const int y = levelRow - previewCorner_.y();
        if (!previewInRows || y < 0 || y >= preview_.height()) return nullptr;
        return reinterpret_cast<const uint32_t*>(preview_.constScanLine(y));
    };
    const int bandRows = std::max(1, (1 << 16) / w);
    for (int top = a.top(); top <= a.bottom(); top += bandRows) {
        const int rows = std::min(bandRows, a.bottom() + 1 - top);
        QImage band = scratch(w, rows);
        auto bandRow = [&](int r) { return reinterpret_cast<uint32_t*>(band.bits() + qsizetype(r) * w * 4); };
        for (int r = 0; r < rows;) {
            const int y = scroll_.y() + top + r, levelRow = floorDiv(y, n);
            const int same = std::min(rows - r, (levelRow + 1) * n - y);
            uint32_t* first = bandRow(r);
            const bool onLevel = levelRow >= 0 && levelRow < level.height();
            blockRow(first, w,
                     onLevel ? reinterpret_cast<const uint32_t*>(level.constScanLine(levelRow)) : nullptr,
                     level.width(), column, cut, n);
            // The grid's columns run down every row; its row is the level pixel's first.
            if (grid)
                for (int x = gridColumn; x < w; x += n)
                    first[x] = lined(first[x]);
            const uint32_t* p = previewRow(levelRow);
            auto withPreview = [&](uint32_t* row) {
                if (p) previewOverRow(row, w, p, preview_.width(), previewCorner_.x(), column, cut, n);
            };
            int copied = 1;
            if (grid && y == levelRow * n) {
                if (same > 1) {
                    std::copy(first, first + w, bandRow(r + 1));
                    withPreview(bandRow(r + 1));
                    copied = 2;
                }
                std::transform(first, first + w, first, lined);
                withPreview(first);
                first = bandRow(r + 1);
            } else {
                withPreview(first);
            }
            for (int i = copied; i < same; ++i)
                std::copy(first, first + w, bandRow(r + i));
            r += same;
        }
        painter.drawImage(QPoint(a.left(), top), band);
    }
    if (!preview_.isNull() && !previewOpaqueOrClear_) paintPreview(painter);
}

void View::paintSampled(QPainter& painter, const Picture& shown, const Picture* map, const QRect& a) const {
    const QImage& level = shown.image();
    const double s = scale();
    const QRect onLevel = a & QRect(-scroll_, QSize(int(std::ceil(level.width() * s - 1e-6)),
                                                    int(std::ceil(level.height() * s - 1e-6))));
    if (onLevel != a) painter.fillRect(a, Qt::black);
    if (onLevel.isEmpty()) return;
    // The level pixel under the middle of each screen pixel.
    auto under = [s](int screen, int last) { return std::min(last, int((screen + 0.5) / s)); };
    const int w = onLevel.width();
    std::vector<int> columns(size_t(w), 0);
    for (int x = 0; x < w; ++x)
        columns[size_t(x)] = under(scroll_.x() + onLevel.left() + x, level.width() - 1);
    std::vector<uint32_t> materials(map ? size_t(w) : 0, 0);
    const int bandRows = std::max(1, (1 << 16) / w);
    for (int top = onLevel.top(); top <= onLevel.bottom(); top += bandRows) {
        const int rows = std::min(bandRows, onLevel.bottom() + 1 - top);
        QImage band = scratch(w, rows);
        for (int r = 0; r < rows; ++r) {
            const int y = under(scroll_.y() + top + r, level.height() - 1);
            auto* from = reinterpret_cast<const uint32_t*>(level.constScanLine(y));
            auto* out = reinterpret_cast<uint32_t*>(band.bits() + qsizetype(r) * w * 4);
            for (int x = 0; x < w; ++x)
                out[x] = from[columns[size_t(x)]];
            if (!map) continue;
            auto* over = reinterpret_cast<const uint32_t*>(map->image().constScanLine(y)); // of one size
            for (int x = 0; x < w; ++x)
                materials[size_t(x)] = over[columns[size_t(x)]];
            blendMaterials(out, out, materials.data(), w, materialsOpacity());
        }
        painter.drawImage(QPoint(onLevel.left(), top), band);
    }
}

void View::paintReduced(QPainter& painter, const LevelDocument& level, const Picture& shown,
                        const QRect& a) const {
    // The reduced copy at the nearest power of two at or above the scale, drawn smaller.
    const double s = scale();
    int k = 1;
    while (k < 8 && 2 * k * s <= 1 + 1e-9)
        k *= 2;
    // The colours with the materials over them, or the layer alone (also when there is no
    // memory for them).
    const Picture& shownHere = shownPicture(level, k == 1 ? levelUnder(a) : QRect());
    const bool over = &shownHere != &shown;
    const QImage* copy = nullptr;
    if (k == 1)
        copy = &shownHere.image();
    else if (!over || overlayComplete(level))
        copy = reduced_.at(shownHere, k);
    else
        overlayWanted_ = true; // made between the window's other work, then the copies of it
    if (!copy) {
        paintSampled(painter, shown, over ? &level.materialMap() : nullptr, a);
        return;
    }
    const QImage& from = *copy;
    const double f = s * k;
    const QRectF onLevel(-QPointF(scroll_), QSizeF(from.width() * f, from.height() * f));
    if (!onLevel.contains(QRectF(a))) painter.fillRect(a, Qt::black);
    if (f == 1.0) {
        painter.drawImage(a.topLeft(), from, a.translated(scroll_));
        return;
    }
    // Only the copy's pixels under the area, a pixel around for the rounding.
    const QRect source = QRectF((QPointF(a.topLeft()) + QPointF(scroll_)) / f, QSizeF(a.size()) / f)
                             .toAlignedRect()
                             .adjusted(-1, -1, 1, 1) &
                         from.rect();
    if (source.isEmpty()) return;
    painter.drawImage(QRectF(QPointF(source.topLeft()) * f - QPointF(scroll_), QSizeF(source.size()) * f),
                      from, source);
}

void View::paintPreview(QPainter& painter) const {
    const double s = scale();
    if (s == 1)
        painter.drawImage(previewCorner_ - scroll_, preview_);
    else
        painter.drawImage(QRectF(QPointF(previewCorner_) * s - QPointF(scroll_), QSizeF(preview_.size()) * s),
                          preview_);
}

QImage View::scratch(int width, int height) const {
    const size_t pixels = size_t(width) * size_t(height);
    if (scratch_.size() < pixels) scratch_.resize(pixels);
    return QImage(reinterpret_cast<uchar*>(scratch_.data()), width, height, qsizetype(width) * 4,
                  QImage::Format_RGB32);
}

void View::paintViewport(QPainter& painter, const LevelDocument& level, const QRect& area) const {
    const QRect a = area & QRect(QPoint(0, 0), viewportSize_);
    if (a.isEmpty()) return;
    const double s = scale();
    const Picture& shown = s < 1 ? level.layer(shownLayer_) : shownPicture(level, levelUnder(a));
    painter.save();
    painter.setClipRect(a);
    if (s > 1 && !zoomed_) {
        paintEnlarged(painter, shown, a, roundHalfEven(s)); // the grid and the preview with it
        paintOverlays(painter);
        painter.restore();
        return;
    }
    if (s == 1) {
        // Straight from the layer; black where the level does not reach.
        const QRect onLevel = a & QRect(-scroll_, shown.size());
        if (onLevel != a) painter.fillRect(a, Qt::black);
        if (!onLevel.isEmpty())
            painter.drawImage(onLevel.topLeft(), shown.image(), onLevel.translated(scroll_));
    } else if (s > 1) {
        paintZoomBox(painter, shown, a);
    } else {
        paintReduced(painter, level, shown, a);
    }
    if (!preview_.isNull()) paintPreview(painter);
    paintOverlays(painter);
    painter.restore();
}

QImage View::viewportImage(const LevelDocument& level) const {
    QImage shown(viewportSize_, QImage::Format_RGB32);
    shown.fill(Qt::black);
    QPainter painter(&shown);
    paintViewport(painter, level, shown.rect());
    return shown;
}

} // namespace vortan
