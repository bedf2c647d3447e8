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
