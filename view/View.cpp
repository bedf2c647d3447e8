#include "view/View.h"
#include "core/Numbers.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vortan {

namespace {
QSize drawable(QSize outer) {
    return {std::max(0, outer.width() - 2 * kFrame), std::max(0, outer.height() - 2 * kFrame)};
}
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
    if (shown != Shown::Thumbnail) shownLayer_ = int(shown);
}

void View::scrollTo(const LevelDocument& level, float x, float y) {
    int w = viewportSize_.width(), h = viewportSize_.height();
    if (zoomed_) {
        // Level pixels that cover the viewport, a partly visible block included.
        w = (w + kZoomFactor) / kZoomFactor;
        h = (h + kZoomFactor) / kZoomFactor;
    }
    // The lower bound first: a level narrower than the viewport gets a negative offset.
    xOffset_ = std::min(std::max(roundHalfEven(x), 0), level.width() - w);
    yOffset_ = std::min(std::max(roundHalfEven(y), 0), level.height() - h);
}

QRect View::onScreen(const QRect& levelArea) const {
    const int n = scale();
    const QRect a = levelArea.translated(-xOffset_, -yOffset_);
    return QRect(a.x() * n, a.y() * n, a.width() * n, a.height() * n) & QRect(QPoint(0, 0), viewportSize_);
}

void View::paintViewport(QPainter& painter, const LevelDocument& level, const QRect& area) const {
    const QRect a = area & QRect(QPoint(0, 0), viewportSize_);
    if (a.isEmpty()) return;
    const Picture& shown = level.layer(shownLayer_);
    const int n = scale();
    painter.save();
    painter.setClipRect(a);
    if (n == 1) {
        // Straight from the layer; black where the level does not reach.
        const QRect onLevel = a & QRect(QPoint(-xOffset_, -yOffset_), shown.size());
        if (onLevel != a) painter.fillRect(a, Qt::black);
        if (!onLevel.isEmpty())
            painter.drawImage(onLevel.topLeft(), shown.image(), onLevel.translated(xOffset_, yOffset_));
    } else {
        // The level pixels under the area, each an n x n block.
        const int lx = a.x() / n, ly = a.y() / n;
        const int lw = a.right() / n - lx + 1, lh = a.bottom() / n - ly + 1;
        Picture part(lw * n, lh * n);
        enlargeRect(part, 0, 0, lw * n, lh * n, shown, xOffset_ + lx, yOffset_ + ly, lw, lh);
        painter.drawImage(QPoint(lx * n, ly * n), part.image());
    }
    if (!preview_.isNull()) painter.drawImage(previewCorner_, preview_);
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
    return preview_.isNull() ? QRect()
                             : QRect(previewCorner_, preview_.size()) & QRect(QPoint(0, 0), viewportSize_);
}

QRect View::setPreview(const QImage& preview, QPoint corner) {
    const QRect before = previewArea();
    preview_ = preview;
    previewCorner_ = corner;
    return before | previewArea();
}

QSize View::layOut(QSize windowOuter, const LevelDocument& level) {
    const Picture& shown = level.layer(shownLayer_);
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
