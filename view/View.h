#pragma once

#include "core/Layout.h"
#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "core/Picture.h"
#include "view/ReducedCopies.h"

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <array>
#include <vector>

class QPainter;

namespace vortan {

// What the editor shows of the level: which of the three views is chosen, the viewport
// onto the shown layer (scrolled, at a scale), the navigator with the whole level in
// small, and the thumbnail that the game shows as the level's title picture. The
// viewport keeps no pixels of its own: it is painted from the level whenever the window
// needs it, with the tool's preview over it.
//
// The viewport's scale is one of kScales, or "fit" (the whole level in the window, never
// above 1); while the Zoom box is ticked it is the box's 6 instead, and the free scale
// waits. The scroll position is kept in screen pixels at the scale, so that panning and
// the arrow keys move the view by the same screen distance at every scale.
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
    // The top-left level pixel stays; keepInside() then clamps to the new scale.
    void setZoomed(bool zoomed);

    // --- the scale --------------------------------------------------------------------
    static constexpr std::array<double, 11> kScales{1.0 / 8, 1.0 / 4, 1.0 / 2, 1, 2, 3, 4, 6, 8, 12, 16};
    static constexpr int kFit = -1;
    static constexpr int kScaleOne = 3;
    // Index into kScales, or kFit.
    int scaleStep() const { return step_; }
    // Screen pixels per level pixel of the free zoom (the box aside).
    double freeScale() const { return step_ == kFit ? fitScale_ : kScales[size_t(step_)]; }
    // Screen pixels per level pixel as shown now: the box's factor while it is ticked.
    double scale() const { return zoomed_ ? double(kZoomFactor) : freeScale(); }
    // The free scale is not 1: the pointer lands on level pixels by their area on screen.
    bool freelyScaled() const { return !zoomed_ && freeScale() != 1.0; }
    // "fit", "1/4", "3"...
    QString scaleName() const;
    // One step in or out, keeping the level point under `about` (viewport pixels) there.
    // Out past the scale at which the whole level shows gives fit. False when nothing
    // changed. The caller lays the viewport out again.
    bool zoomStep(bool in, QPointF about);
    void setScaleStep(int step) { step_ = step; }
    // Whether G shows the grid of level pixels: only at 8 and above.
    bool gridShown() const { return grid_ && !zoomed_ && freeScale() >= 8; }
    bool gridWanted() const { return grid_; }
    void setGridWanted(bool on) { grid_ = on; }

    // --- the materials over the colours (view/MaterialsOverlay.cpp) -------------------
    // The map drawn over the colour layer in its map colours, "nothing" left clear; only
    // in the Level view, at every scale and in the Zoom box.
    static constexpr std::array<int, 3> kMaterialsOpacities{25, 50, 75}; // percent
    bool materialsWanted() const { return materials_; }
    void setMaterialsWanted(bool on);
    bool materialsShown() const { return materials_ && shown_ == Shown::Level; }
    int materialsOpacity() const { return kMaterialsOpacities[size_t(opacityStep_)]; }
    // On to the next of 25, 50 and 75 %, after 75 back to 25.
    void stepMaterialsOpacity();

    // --- the viewport ---------------------------------------------------------------
    // Its drawing area in pixels, inside the frame; the layout rule sets it.
    QSize viewportSize() const { return viewportSize_; }
    void setViewportSize(QSize size) { viewportSize_ = size; }
    // The level pixel at the viewport's top-left corner (partly shown above scale 1).
    int xOffset() const { return levelAt(scroll_.x()); }
    int yOffset() const { return levelAt(scroll_.y()); }
    QPoint offset() const { return {xOffset(), yOffset()}; }
    // Scrolls so that level pixel (x, y) is at the top left, as far as the level allows.
    // A level narrower than the viewport gets a negative offset: the viewport's first
    // columns then show no level.
    void scrollTo(const LevelDocument& level, float x, float y);
    // Scrolls by screen pixels (by level pixels with the Zoom box ticked).
    void scrollBy(const LevelDocument& level, QPoint by);
    // The scroll position kept inside the level after the level or the viewport changed.
    void keepInside(const LevelDocument& level);
    void resetScroll() { scroll_ = {}; }
    // Where a viewport point lies on the level, in level pixels (fractions included).
    QPointF toLevel(QPointF at) const;
    // The level pixel a press at `at` acts on.
    QPoint pixelUnder(QPointF at) const;
    // The part of the level the viewport shows, in level pixels.
    QRectF visibleArea() const;
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
    // The tool's picture under the pointer, black transparent, in level pixels with its
    // top-left corner at level pixel `corner`; a null image shows none. Returns the area
    // of the viewport that changed.
    QRect setPreview(const QImage& preview, QPoint corner);
    // --- over the level: the shape being dragged, the selection (view/Overlays.cpp) --
    // A shape in level pixels (a pixel's middle at +0.5) drawn with pen and fill; an
    // empty path shows none. Returns the area of the viewport that changed.
    QRect setShapePreview(const QPainterPath& shape, const QPen& pen, const QBrush& fill);
    // The selected level pixels, framed by a moving dashed border; an empty rectangle
    // shows none. Returns the area of the viewport that changed.
    QRect setSelection(const QRect& selection);
    const QRect& selection() const { return selection_; }
    // The border's dashes move on by a step; returns the strips of the viewport to paint.
    std::vector<QRect> moveSelectionBorder();
    // Pixels of the level changed: the reduced copies and the materials' overlay follow.
    void levelChanged(const QRect& area) {
        overlayChanged(area);
        reduced_.changed(area);
    }
    void levelReplaced() {
        reduced_.forget();
        forgetOverlay();
    }
    // The viewport zoomed out asked for the reduced copies and samples the level until
    // they are made: the window goes on making them between its other work.
    bool makingReducedCopies() const { return reduced_.making() || overlayWanted_; }
    // Makes more of them for about `budget`; true when they are ready.
    bool makeReducedCopies(const LevelDocument& level, std::chrono::milliseconds budget) const;
    QRect previewArea() const;

    // --- the navigator --------------------------------------------------------------
    const Picture& navigator() const { return navigator_; }
    float navigatorScale() const { return navigatorScale_; }
    int navigatorOuterHeight() const { return navigator_.height() + 2 * kFrame; }
    bool onNavigator(QPointF p) const { return onPixels(navigator_, p); }
    // The viewport's area on the navigator, in its pixels.
    QRect visibleOnNavigator() const;
    // A click or drag on the navigator: the level point there becomes the viewport's
    // top-left corner, as far as the level allows.
    void scrollToNavigatorPoint(const LevelDocument& level, QPointF at) {
        scrollTo(level, navigatorScale_ * float(at.x()), navigatorScale_ * float(at.y()));
    }
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
    // The level column or row at a scroll position (screen pixels at the scale).
    int levelAt(int screen) const;
    // The level's extent on screen at the scale.
    QSize levelOnScreen(const LevelDocument& level) const;
    void paintZoomBox(QPainter& painter, const Picture& shown, const QRect& a) const;
    // Level pixels as n x n blocks, with the grid and the preview over them.
    void paintEnlarged(QPainter& painter, const Picture& shown, const QRect& a, int n) const;
    // From the reduced copies of `shown` (the colours with the materials over them while
    // they are shown); sampled until they are made.
    void paintReduced(QPainter& painter, const LevelDocument& level, const Picture& shown,
                      const QRect& a) const;
    void paintOverlays(QPainter& painter) const;
    QRect shapeArea() const;
    std::vector<QRect> selectionBorder() const;
    // The level pixels under an area of the viewport, a pixel around for the rounding.
    QRect levelUnder(const QRect& area) const {
        return QRectF((QPointF(area.topLeft()) + QPointF(scroll_)) / scale(), QSizeF(area.size()) / scale())
            .toAlignedRect()
            .adjusted(-1, -1, 1, 1);
    }
    // Where an area of level pixels lies on the viewport, not cut to it.
    QRect uncut(const QRect& levelArea) const;
    // Zoomed out before the reduced copies are ready: a level pixel for each screen pixel,
    // with the map over it when one is given.
    void paintSampled(QPainter& painter, const Picture& shown, const Picture* map, const QRect& a) const;
    // --- the colours with the materials over them (view/MaterialsOverlay.cpp) ----------
    // The picture the viewport shows: the shown layer, or while the materials are shown
    // the colours with the map over them, brought up to date over `needed` (level pixels).
    const Picture& shownPicture(const LevelDocument& level, const QRect& needed) const;
    // Brings the rest of that picture up to date for about until `until`; true once it is.
    bool makeSomeOverlay(const LevelDocument& level, std::chrono::steady_clock::time_point until) const;
    // Brought up to date at once when little of it waits; true when all of it is.
    bool overlayComplete(const LevelDocument& level) const;
    void overlayChanged(const QRect& area);
    void forgetOverlay();
    // The tile of the overlay at index i, made from the layers.
    void makeOverlayTile(const LevelDocument& level, size_t i) const;
    void paintPreview(QPainter& painter) const;
    // A picture of this size to paint a band of the viewport into, over memory kept
    // between paints; its pixels are whatever the last paint left.
    QImage scratch(int width, int height) const;

    Shown shown_ = Shown::Level;
    int shownLayer_ = LevelDocument::kColourLayer;
    bool zoomed_ = false;
    int step_ = kScaleOne;
    double fitScale_ = 1;
    bool grid_ = false;
    bool materials_ = false;
    int opacityStep_ = 1;
    // The colours with the materials over them, made a tile at a time as the viewport first
    // needs it and made again where the level changes; only while the materials are shown.
    static constexpr int kOverlayTile = 128;
    mutable Picture overlay_;
    mutable std::vector<uint8_t> overlayMade_; // for each tile, row by row
    mutable qint64 overlayTilesLeft_ = 0;
    mutable bool overlayWanted_ = false; // zoomed out, the rest of it is being made
    // The top-left corner of the viewport on the level drawn at the scale, in screen pixels.
    QPoint scroll_;
    QSize viewportSize_;
    mutable ReducedCopies reduced_;
    QImage preview_;
    QPoint previewCorner_;
    QPainterPath shape_;
    QPen shapePen_;
    QBrush shapeFill_;
    QRect selection_;
    int borderPhase_ = 0;
    // Every pixel of the preview is opaque or fully transparent, as a brush's are.
    bool previewOpaqueOrClear_ = false;
    // The preview's pixels that show, in its own pixels: only they are repainted.
    QRect previewShows_;
    mutable std::vector<uint32_t> scratch_;
    Picture navigator_;
    float navigatorScale_ = 0;
    bool navigatorStale_ = false;
    Picture thumbnail_;
};

} // namespace vortan
