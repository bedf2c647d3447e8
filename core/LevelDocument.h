#pragma once

#include "core/History.h"
#include "core/LongWork.h"
#include "core/Picture.h"

#include <QObject>
#include <QString>
#include <array>
#include <utility>
#include <vector>

namespace vortan {

// The level being edited: its colour layer (what the player sees) and its material map
// (what the game does at each pixel), always of the same size; its name; whether it has
// changes that were not saved; and the history of its edits.
//
// The document is the one writer of the layers. Every change it makes is announced:
// the area of level pixels that changed (in either layer), a new size, a new name, a new
// modified state. Views, the navigator and the recovery copy follow these signals.
class LevelDocument : public QObject, private Picture::Watcher {
    Q_OBJECT
  public:
    // Index of a layer, also the layer a view shows.
    static constexpr int kColourLayer = 0;
    static constexpr int kMaterialMap = 1;
    // The level the editor starts with: black in both layers, without a frame.
    static constexpr QSize kStartSize{821, 669};

    LevelDocument();
    ~LevelDocument() override;
    LevelDocument(const LevelDocument&) = delete;
    LevelDocument& operator=(const LevelDocument&) = delete;

    const Picture& layer(int index) const { return layers_[size_t(index)]; }
    const Picture& colourLayer() const { return layers_[kColourLayer]; }
    const Picture& materialMap() const { return layers_[kMaterialMap]; }
    int width() const { return layers_[0].width(); }
    int height() const { return layers_[0].height(); }
    QSize size() const { return layers_[0].size(); }

    const QString& name() const { return name_; }
    void setName(const QString& name);
    // Unsaved work: set by new levels, edits, undo and redo; cleared by saving and loading.
    // Level -> Map, the export's wall frame, Backspace, renaming and view switches leave it.
    bool isModified() const { return modified_; }
    void setModified(bool modified);

    // --- the level replaced (each starts the history afresh) -------------------------
    // Both layers emptied at a new size, each with a wall frame: 17 pixels at the top
    // and left, 16 at the bottom and right, in frameColour on the colour layer and as
    // Wall on the map.
    void makeEmpty(int width, int height, Colour frameColour);
    // A picture loaded into one layer: it takes the picture's size, and the picture is
    // what clear() brings back.
    void loadLayer(int index, QImage picture);
    // After a picture was given to one layer: the other takes its size, keeping its
    // pixels, cut or extended with black.
    void matchSizeTo(int index);
    // Both layers exactly these pixels (a recovered copy).
    void takeLayers(const QImage& colour, const QImage& map);
    // Resize Level: both layers take the new size, the level moved by `shift` within it
    // (cut where it leaves), new area black in the colour layer and nothing in the map. One
    // step of the history, which undo takes back whole. False, changing nothing, when
    // memory runs out.
    bool resize(QSize size, QPoint shift);

    // --- edits: each is part of the open history step --------------------------------
    // The brush square at level corner `at`: the mask cuts the shape out of both layers,
    // then the colour brush and the material brush are laid in; without them (erasing)
    // the shape is left black in both.
    // Only `reach` of the square (stampReach() when none is given) is laid in and said
    // to have changed.
    void stamp(QPoint at, const Picture& mask, const Picture* colourBrush, const Picture* materialBrush,
               const QRect& reach = {});
    // The part of the brush square a stamp can change: outside it the mask is white,
    // keeping the level, and the brushes are black, laying in nothing. A disc of radius
    // 20 is a quarter of its square, and so is what the viewport repaints zoomed in.
    static QRect stampReach(const Picture& mask, const Picture* colourBrush, const Picture* materialBrush);
    // One pixel of each layer.
    void setPixels(QPoint at, Colour colour, Colour material);
    // A filled shape: on row top + i, the pixels from runs[i].first to runs[i].second
    // (both included) become `colour` in the colour layer and `material` in the map. The
    // rows and runs may reach past the level; only the part on it changes.
    void fillRuns(int top, const std::vector<std::pair<int, int>>& runs, Colour colour, Colour material);
    // A pasted piece of level: both pictures, of one size, laid in with their top-left
    // corner at `corner`, cut at the level's edges.
    void place(QPoint corner, const QImage& colour, const QImage& map);
    // Each layer fills the region of its own colour at `at`; the two need not match.
    // True when a pixel changed. The level counts as modified when one did, or always
    // when `countsAlways`.
    bool fill(QPoint at, Colour colour, Colour material, bool countsAlways);
    // Level -> Map: the map goes back to its background (black, or the map last loaded or
    // kept), then every pixel of the colour layer that is not black becomes wall.
    void convertColourToMap(const LongWork& work);
    // The wall frame drawn into the map, as every export does.
    void closeMapWithFrame();
    // The map as it is now becomes what Level -> Map clears back to.
    void keepMapAsBackground() { layers_[kMaterialMap].keepAsBackground(); }
    // Free drawing on both layers (a random cave): draw(colourLayer, materialMap).
    template <typename Draw> void draw(Draw&& draw) {
        draw(layers_[kColourLayer], layers_[kMaterialMap]);
        announce();
    }

    // --- the history ------------------------------------------------------------------
    History& history() { return history_; }
    const History& history() const { return history_; }
    // Ctrl+Z and Ctrl+Y: a step back or forward, which counts as unsaved work.
    bool undo();
    bool redo();
    // Backspace: back to the state at the last press or view switch. False without one.
    bool backToMark();

    // The wall frame on any picture of a level.
    static void drawFrame(Picture& layer, Colour c);

  signals:
    // Pixels of either layer changed within `area` (level pixels).
    void areaChanged(QRect area);
    void sizeChanged(QSize size);
    void nameChanged(const QString& name);
    void modifiedChanged(bool modified);

  private:
    void aboutToChange(const Picture& picture, const QRect& area) override;
    // Tells what changed since the last announcement.
    void announce();
    // After an undo, a redo or Backspace: a resize undone or redone gives another size.
    void announceAfterHistory(const QRect& area, QSize before);
    void replaced(QSize before);

    std::array<Picture, 2> layers_;
    QString name_ = "EMPTY";
    bool modified_ = false;
    QRect changed_; // not yet announced
    bool filling_ = false;
    History history_{{&layers_[0], &layers_[1]}};
};

} // namespace vortan
