#pragma once

#include "core/Layout.h"
#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "core/Picture.h"

namespace vortan {

// What the editor shows of the level: which of the three views is chosen, the viewport
// onto the shown layer (scrolled, maybe zoomed), the navigator with the whole level in
// small, and the thumbnail that the game shows as the level's title picture.
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

    // --- the viewport ---------------------------------------------------------------
    Picture& viewport() { return viewport_; }
    const Picture& viewport() const { return viewport_; }
    // The level pixel at the viewport's top-left corner.
    int xOffset() const { return xOffset_; }
    int yOffset() const { return yOffset_; }
    // Scrolls so that level pixel (x, y) is at the top left, as far as the level allows,
    // and redraws the viewport from the shown layer. A level narrower than the viewport
    // gets a negative offset: the viewport's first columns are then not drawn.
    void scrollTo(const LevelDocument& level, float x, float y);
    void redraw(const LevelDocument& level) { scrollTo(level, float(xOffset_), float(yOffset_)); }
    void resetScroll() { xOffset_ = yOffset_ = 0; }
    // The layout rule: the viewport fills the window less its margins, never larger than
    // the shown layer. Returns its outer size; does not redraw.
    QSize layOut(QSize windowOuter, const LevelDocument& level);
    // Whether a pointer position (viewport pixels) lies on the pixels, not the frame.
    bool onViewport(QPointF p) const { return onPixels(viewport_, p); }

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
    Picture viewport_;
    Picture navigator_;
    float navigatorScale_ = 0;
    bool navigatorStale_ = false;
    Picture thumbnail_;
};

} // namespace vortan
