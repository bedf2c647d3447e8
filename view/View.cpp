#include "view/View.h"
#include "core/Numbers.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace vortan {

namespace {
QSize drawable(QSize outer) {
    return {std::max(0, outer.width() - 2 * kFrame), std::max(0, outer.height() - 2 * kFrame)};
}

int floorOf(double v) {
    return roundHalfEven(std::floor(v));
}

// A level far larger than any window: the layout rule then gives the most room it can.
constexpr int kRoomier = 1 << 24;
} // namespace

View::View()
    : viewportSize_(drawable(kStartViewportOuter)),
      // The navigator draws in the window's colours: white, until the level first changes.
      navigator_(kNavigatorOuterWidth - 2 * kFrame, 121 - 2 * kFrame, kWhite),
      thumbnail_(drawable(kThumbnailOuter).width(), drawable(kThumbnailOuter).height(), kWhite) {
    // Metric-compatible with the serif face the game's thumbnails were made with.
    QFont font("Liberation Serif");
    font.setPointSizeF(14.25);
    thumbnail_.setFont(font);
}

void View::setShown(Shown shown) {
    shown_ = shown;
    if (shown == Shown::Thumbnail || int(shown) == shownLayer_) return;
    shownLayer_ = int(shown);
    reduced_.forget(); // they were of the other layer
}

void View::setZoomed(bool zoomed) {
    if (zoomed == zoomed_) return;
    const QPoint topLeft = offset();
    zoomed_ = zoomed;
    scroll_ = QPoint(roundHalfEven(topLeft.x() * scale()), roundHalfEven(topLeft.y() * scale()));
}

QString View::scaleName() const {
    if (step_ == kFit) return "fit";
    const double s = kScales[size_t(step_)];
    return s < 1 ? "1/" + QString::number(roundHalfEven(1 / s)) : QString::number(roundHalfEven(s));
}

bool View::zoomStep(bool in, QPointF about) {
    if (zoomed_) return false;
    int next = step_;
    if (in) {
        if (step_ == kFit) {
            next = 0;
            while (next < int(kScales.size()) && kScales[size_t(next)] <= fitScale_)
                ++next;
        } else {
            ++next;
        }
        if (next >= int(kScales.size())) return false;
    } else {
        if (step_ == kFit) return false;
        if (--next < 0 || kScales[size_t(next)] <= fitScale_) next = kFit;
    }
    // The level point under the pointer lands in the screen pixel under it again.
    const QPointF under = toLevel(about);
    step_ = next;
    const double s = freeScale();
    scroll_ =
        QPoint(floorOf(under.x() * s) - floorOf(about.x()), floorOf(under.y() * s) - floorOf(about.y()));
    return true;
}

int View::levelAt(int screen) const {
    return floorOf(double(screen) / scale());
}

QSize View::levelOnScreen(const LevelDocument& level) const {
    // A level pixel partly shown counts; the small allowance keeps fit from gaining a column.
    const double s = scale();
    return {int(std::ceil(level.width() * s - 1e-6)), int(std::ceil(level.height() * s - 1e-6))};
}

void View::scrollTo(const LevelDocument& level, float x, float y) {
    if (zoomed_)
        scroll_ = QPoint(roundHalfEven(x), roundHalfEven(y)) * kZoomFactor;
    else
        scroll_ = QPoint(roundHalfEven(double(x) * freeScale()), roundHalfEven(double(y) * freeScale()));
    keepInside(level);
}

void View::scrollBy(const LevelDocument& level, QPoint by) {
    scroll_ += zoomed_ ? by * kZoomFactor : by;
    keepInside(level);
}

void View::keepInside(const LevelDocument& level) {
    // The lower bound first: a level narrower than the viewport gets a negative offset.
    if (zoomed_) {
        // Level pixels that cover the viewport, a partly visible block included.
        const int w = (viewportSize_.width() + kZoomFactor) / kZoomFactor;
        const int h = (viewportSize_.height() + kZoomFactor) / kZoomFactor;
        scroll_ = QPoint(std::min(std::max(xOffset(), 0), level.width() - w),
                         std::min(std::max(yOffset(), 0), level.height() - h)) *
                  kZoomFactor;
        return;
    }
    const QSize extent = levelOnScreen(level);
    scroll_ = QPoint(std::min(std::max(scroll_.x(), 0), extent.width() - viewportSize_.width()),
                     std::min(std::max(scroll_.y(), 0), extent.height() - viewportSize_.height()));
}

QPointF View::toLevel(QPointF at) const {
    return (QPointF(scroll_) + at) / scale();
}

QPoint View::pixelUnder(QPointF at) const {
    if (zoomed_) // as the single-pixel editor counts: pointer columns 0 to 4 give the first pixel
        return offset() + QPoint(roundHalfEven(float(at.x()) + 1) / kZoomFactor,
                                 roundHalfEven(float(at.y()) + 1) / kZoomFactor);
    if (!freelyScaled())
        return {roundHalfEven(float(scroll_.x()) + float(at.x())),
                roundHalfEven(float(scroll_.y()) + float(at.y()))};
    const QPointF l = toLevel(at);
    return {floorOf(l.x()), floorOf(l.y())};
}

QRectF View::visibleArea() const {
    return QRectF(toLevel({0, 0}), toLevel(QPointF(viewportSize_.width(), viewportSize_.height())));
}

QRect View::visibleOnNavigator() const {
    if (!(navigatorScale_ > 0)) return {};
    const QRectF v = visibleArea();
    const QRect r(QPoint(floorOf(v.left() / navigatorScale_), floorOf(v.top() / navigatorScale_)),
                  QPoint(int(std::ceil(v.right() / navigatorScale_)) - 1,
                         int(std::ceil(v.bottom() / navigatorScale_)) - 1));
    return r & navigator_.image().rect();
}

QRect View::uncut(const QRect& levelArea) const {
    const double s = scale();
    const QRect a = levelArea.normalized();
    const int x0 = floorOf(a.x() * s), y0 = floorOf(a.y() * s);
    const int x1 = int(std::ceil((a.x() + a.width()) * s)), y1 = int(std::ceil((a.y() + a.height()) * s));
    return QRect(x0, y0, x1 - x0, y1 - y0).translated(-scroll_);
}

QRect View::onScreen(const QRect& levelArea) const {
    return uncut(levelArea) & QRect(QPoint(0, 0), viewportSize_);
}

void View::paintZoomBox(QPainter& painter, const Picture& shown, const QRect& a) const {
    // The level pixels under the area, each an n x n block; the first may be cut.
    const int n = kZoomFactor;
    auto down = [n](int v) { return floorOf(double(v) / n); };
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

void View::paintSampled(QPainter& painter, const Picture& shown, const QRect& a) const {
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
    const int bandRows = std::max(1, (1 << 16) / w);
    for (int top = onLevel.top(); top <= onLevel.bottom(); top += bandRows) {
        const int rows = std::min(bandRows, onLevel.bottom() + 1 - top);
        QImage band = scratch(w, rows);
        for (int r = 0; r < rows; ++r) {
            auto* from = reinterpret_cast<const uint32_t*>(
                level.constScanLine(under(scroll_.y() + top + r, level.height() - 1)));
            auto* out = reinterpret_cast<uint32_t*>(band.bits() + qsizetype(r) * w * 4);
            for (int x = 0; x < w; ++x)
                out[x] = from[columns[size_t(x)]];
        }
        painter.drawImage(QPoint(onLevel.left(), top), band);
    }
}

void View::paintReduced(QPainter& painter, const Picture& shown, const QRect& a) const {
    // The reduced copy at the nearest power of two at or above the scale, drawn smaller.
    const double s = scale();
    int k = 1;
    while (k < 8 && 2 * k * s <= 1 + 1e-9)
        k *= 2;
    const QImage* copy = k == 1 ? &shown.image() : reduced_.at(shown, k);
    if (!copy) {
        paintSampled(painter, shown, a);
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
    const Picture& shown = level.layer(shownLayer_);
    const double s = scale();
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
        paintReduced(painter, shown, a);
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

QRect View::previewArea() const {
    return preview_.isNull() ? QRect() : onScreen(previewShows_.translated(previewCorner_));
}

QRect View::setPreview(const QImage& preview, QPoint corner) {
    const QRect before = previewArea();
    preview_ = preview;
    previewCorner_ = corner;
    // Such a preview is laid over the enlarged rows pixel by pixel; any other is drawn.
    const bool argb = preview.format() == QImage::Format_ARGB32;
    previewOpaqueOrClear_ = argb;
    int left = preview.width(), right = -1, top = preview.height(), bottom = -1;
    for (int y = 0; argb && y < preview.height(); ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(preview.constScanLine(y));
        for (int x = 0; x < preview.width(); ++x) {
            const uint32_t alpha = row[x] >> 24;
            if (alpha != 0 && alpha != 0xFF) previewOpaqueOrClear_ = false;
            if (alpha == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    previewShows_ = !argb          ? preview.rect()
                    : right < left ? QRect()
                                   : QRect(QPoint(left, top), QPoint(right, bottom));
    return before | previewArea();
}

QSize View::layOut(QSize windowOuter, const LevelDocument& level) {
    // Fit: the whole level in the most room the window gives, never above scale 1.
    const QSize room = drawable(viewportOuterSize(windowOuter, {kRoomier, kRoomier}));
    fitScale_ = 1;
    if (level.width() > 0 && level.height() > 0)
        fitScale_ =
            std::min({1.0, double(room.width()) / level.width(), double(room.height()) / level.height()});
    if (!(fitScale_ > 0)) fitScale_ = 1; // a window too small to show anything
    // Never larger than the shown layer at the scale; the Zoom box shows it at 1.
    const QSize shown = zoomed_ ? level.size() : levelOnScreen(level);
    const QSize outer =
        viewportOuterSize(windowOuter, {shown.width() + 2 * kFrame, shown.height() + 2 * kFrame});
    setViewportSize(drawable(outer));
    return outer;
}

void View::fitNavigator(const LevelDocument& level, int layer) {
    const Picture& l = level.layer(layer);
    const NavigatorGeometry g = navigatorGeometry({l.width() + 2 * kFrame, l.height() + 2 * kFrame});
    navigatorScale_ = g.scale;
    navigator_.resize(navigator_.width(), std::max(0, g.outerHeight - 2 * kFrame));
}

void View::refreshNavigator(const LevelDocument& level, const LongWork& work) {
    // Single precision, the rounding of each step adding up down the rows as the
    // navigator has always been drawn.
    float sourceY = 0;
    for (int row = 0; row < navigator_.height(); ++row) {
        const Picture& layer = level.layer(shownLayer_); // anew after every yield
        const int y = roundHalfEven(sourceY);
        if (y >= 0 && y < layer.height()) {
            auto* src = reinterpret_cast<const uint32_t*>(layer.image().constScanLine(y));
            auto* dst = reinterpret_cast<uint32_t*>(navigator_.pixels().scanLine(row));
            for (int c = 0; c < navigator_.width(); ++c) {
                const int x = roundHalfEven(navigatorScale_ * float(c));
                if (x >= 0 && x < layer.width()) dst[c] = src[x];
            }
        }
        sourceY = sourceY + navigatorScale_;
        work.pause();
    }
    navigator_.setBackgroundPicture(navigator_.image());
}

void View::refreshNavigatorIfStale(const LevelDocument& level, const LongWork& work) {
    if (navigatorStale_) refreshNavigator(level, work);
    navigatorStale_ = false;
}

void View::buildThumbnail(const LevelDocument& level, const LongWork& work) {
    thumbnail_.setBackgroundPicture(QImage());
    thumbnail_.clear();
    const int32_t W = level.width(), H = level.height();
    // Level pixels per thumbnail pixel, in single precision like every sampling step:
    // about 17000 pixels in all, at most 190 wide and 126 high.
    float s = float(std::sqrt(double(W) * double(H) / 17000.0));
    if (double(W) / s > 190) s = float(W) / 190.0f;
    if (double(H) / s > 126) s = float(H) / 126.0f;
    const int32_t x0 = roundHalfEven((192.0 - double(W) / s) / 2.0);
    const int32_t cLast = roundHalfEven(double(W) / s);

    float sourceY = 0;
    int32_t r = 0, rLast = 0;
    do {
        const int y = roundHalfEven(sourceY);
        for (int32_t c = 0; c <= cLast; ++c) {
            const int x = roundHalfEven(float(c) * s);
            Colour colour = level.colourLayer().pixelAt(x, y);
            if (level.materialMap().pixelAt(x, y) == kWater) colour = kWater; // water shows pure blue
            if (colour != kNoColour) thumbnail_.setPixel(c + x0, r + 48, colour);
        }
        rLast = r;
        sourceY = sourceY + s;
        ++r;
        work.pause();
    } while (sourceY < float(level.height()));

    // A one-pixel black frame on the miniature's outermost pixels.
    const float left = float(x0), right = float(cLast + x0), top = 48, bottom = float(rLast + 48);
    thumbnail_.drawLine(left, top, right, top, kBlack);
    thumbnail_.drawLine(left, bottom, right, bottom, kBlack);
    thumbnail_.drawLine(left, top, left, bottom, kBlack);
    thumbnail_.drawLine(right, top, right, bottom + 1, kBlack);

    // The name centred above, its bottom at row 32.
    const QString& name = level.name();
    thumbnail_.drawText((192.0f - float(thumbnail_.textWidth(name))) / 2.0f,
                        32.0f - float(thumbnail_.textHeight()), name, kBlack);
    thumbnail_.setBackgroundPicture(thumbnail_.image());
}

} // namespace vortan
