#pragma once

#include "core/Layout.h"
#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "core/Picture.h"

class QPainter;

namespace vortan {

// What the editor shows of the level: which of the three views is chosen, the viewport
// onto the shown layer (scrolled, at a scale), the navigator with the whole level in
// small, and the thumbnail that the game shows as the level's title picture. The
// viewport keeps no pixels of its own: it is painted from the level whenever the window
// needs it, with the tool's preview over it.
class View {
  public:
    enum class Shown { Level = 0, Map = 1, Thumbnail = 2 };
    static constexpr int kZoomFactor = 6;
    static constexpr QSize kStartViewportOuter{241, 225};
    static constexpr QSize kThumbnailOuter{196, 181};

    View();

    Shown shown() const { return shown_; }
    // The layer the viewport shows and edits: the colour layer in the Level view, the
    // map in the Map view; the Thumbnail view keeps the last.
    int shownLayer() const { return shownLayer_; }
    void setShown(Shown shown);
    bool zoomed() const { return zoomed_; }
    void setZoomed(bool zoomed) { zoomed_ = zoomed; }
    // Viewport pixels per level pixel: 1, or the zoom factor while zoomed.
    int scale() const { return zoomed_ ? kZoomFactor : 1; }

    // --- the viewport ---------------------------------------------------------------
    // Its drawing area in pixels, inside the frame; the layout rule sets it.
    QSize viewportSize() const { return viewportSize_; }
    void setViewportSize(QSize size) { viewportSize_ = size; }
    // The level pixel at the viewport's top-left corner.
    int xOffset() const { return xOffset_; }
    int yOffset() const { return yOffset_; }
    QPoint offset() const { return {xOffset_, yOffset_}; }
    // Scrolls so that level pixel (x, y) is at the top left, as far as the level allows.
    // A level narrower than the viewport gets a negative offset: the viewport's first
    // columns then show no level.
    void scrollTo(const LevelDocument& level, float x, float y);
    // The scroll position kept inside the level after the level or the viewport changed.
    void keepInside(const LevelDocument& level) { scrollTo(level, float(xOffset_), float(yOffset_)); }
    void resetScroll() { xOffset_ = yOffset_ = 0; }
    // The layout rule: the viewport fills the window less its margins, never larger than
    // the shown layer. Returns its outer size.
    QSize layOut(QSize windowOuter, const LevelDocument& level);
    // Whether a pointer position (viewport pixels) lies on the pixels, not the frame.
    bool onViewport(QPointF p) const {
        return p.x() >= 0 && p.y() >= 0 && p.x() < viewportSize_.width() && p.y() < viewportSize_.height();
    }
    // Where an area of level pixels shows on the viewport, cut to it.
    QRect onScreen(const QRect& levelArea) const;
    // Paints `area` of the viewport (viewport pixels) from the shown layer at the view's
    // scale, black where the level does not reach, and the preview over it.
    void paintViewport(QPainter& painter, const LevelDocument& level, const QRect& area) const;
    // What the viewport shows, as a picture.
    QImage viewportImage(const LevelDocument& level) const;
    // The tool's picture under the pointer, black transparent, its top-left corner on the
    // viewport; a null image shows none. Returns the area of the viewport that changed.
    QRect setPreview(const QImage& preview, QPoint corner);
    QRect previewArea() const;

    // --- the navigator --------------------------------------------------------------
    const Picture& navigator() const { return navigator_; }
    float navigatorScale() const { return navigatorScale_; }
    int navigatorOuterHeight() const { return navigator_.height() + 2 * kFrame; }
    bool onNavigator(QPointF p) const { return onPixels(navigator_, p); }
    // Scale and height for the proportions of one of the level's layers.
    void fitNavigator(const LevelDocument& level, int layer);
    bool navigatorStale() const { return navigatorStale_; }
    void markNavigatorStale() { navigatorStale_ = true; }
    // Redraws the navigator from the shown layer, yielding after each row.
    void refreshNavigator(const LevelDocument& level, const LongWork& work);
    // The timer's work: the navigator is redrawn only when the level changed.
    void refreshNavigatorIfStale(const LevelDocument& level, const LongWork& work);

    // --- the thumbnail --------------------------------------------------------------
    Picture& thumbnail() { return thumbnail_; }
    const Picture& thumbnail() const { return thumbnail_; }
    // The level's name above a framed miniature of the colour layer, water in pure blue.
    void buildThumbnail(const LevelDocument& level, const LongWork& work);

  private:
    static bool onPixels(const Picture& p, QPointF at) {
        return at.x() >= 0 && at.y() >= 0 && at.x() < p.width() && at.y() < p.height();
    }

    Shown shown_ = Shown::Level;
    int shownLayer_ = LevelDocument::kColourLayer;
    bool zoomed_ = false;
    int xOffset_ = 0, yOffset_ = 0;
    QSize viewportSize_;
    QImage preview_;
    QPoint previewCorner_;
    Picture navigator_;
    float navigatorScale_ = 0;
    bool navigatorStale_ = false;
    Picture thumbnail_;
};

} // namespace vortan
