#pragma once

#include "core/Picture.h"

#include <QString>
#include <array>

namespace vortan {

// The level being edited: its colour layer (what the player sees) and its material map
// (what the game does at each pixel), always of the same size; its name; whether it has
// changes that were not saved; and the undo copy of both layers.
class LevelDocument {
  public:
    // Index of a layer, also the layer a view shows.
    static constexpr int kColourLayer = 0;
    static constexpr int kMaterialMap = 1;
    // The level the editor starts with: black in both layers, without a frame.
    static constexpr QSize kStartSize{821, 669};

    LevelDocument();

    Picture& layer(int index) { return layers_[size_t(index)]; }
    const Picture& layer(int index) const { return layers_[size_t(index)]; }
    Picture& colourLayer() { return layers_[kColourLayer]; }
    const Picture& colourLayer() const { return layers_[kColourLayer]; }
    Picture& materialMap() { return layers_[kMaterialMap]; }
    const Picture& materialMap() const { return layers_[kMaterialMap]; }
    int width() const { return layers_[0].width(); }
    int height() const { return layers_[0].height(); }

    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    bool hasUnsavedChanges() const { return unsaved_; }
    void setUnsavedChanges(bool unsaved) { unsaved_ = unsaved; }

    // Both layers emptied at a new size, each with a wall frame: 17 pixels at the top
    // and left, 16 at the bottom and right, in frameColour on the colour layer and as
    // Wall on the map. The undo copy no longer belongs to the level.
    void makeEmpty(int width, int height, Colour frameColour);
    // After a picture was given to one layer: the other takes its size, keeping its
    // pixels, cut or extended with black.
    void matchSizeTo(int index);
    // The wall frame, also drawn into the map at every export.
    static void drawFrame(Picture& layer, Colour c);

    // The undo copy: both layers as they are now.
    void takeUndoCopy();
    // Puts the copy back into both layers. False, changing nothing, when the copy holds
    // no state of this level (none taken yet, or one of a level since replaced).
    bool restoreUndoCopy();
    bool hasUndoCopy() const { return undoBelongsToLevel_; }
    void forgetUndoCopy() { undoBelongsToLevel_ = false; }

  private:
    std::array<Picture, 2> layers_;
    std::array<Picture, 2> undoCopy_;
    bool undoBelongsToLevel_ = false;
    QString name_ = "EMPTY";
    bool unsaved_ = false;
};

} // namespace vortan
