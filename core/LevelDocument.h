#pragma once

#include "core/History.h"
#include "core/Picture.h"

#include <QString>
#include <array>

namespace vortan {

// The level being edited: its colour layer (what the player sees) and its material map
// (what the game does at each pixel), always of the same size; its name; whether it has
// changes that were not saved; and the history of its edits.
class LevelDocument {
  public:
    // Index of a layer, also the layer a view shows.
    static constexpr int kColourLayer = 0;
    static constexpr int kMaterialMap = 1;
    // The level the editor starts with: black in both layers, without a frame.
    static constexpr QSize kStartSize{821, 669};

    LevelDocument();
    LevelDocument(const LevelDocument&) = delete;
    LevelDocument& operator=(const LevelDocument&) = delete;

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
    // Wall on the map. The history starts afresh.
    void makeEmpty(int width, int height, Colour frameColour);
    // After a picture was given to one layer: the other takes its size, keeping its
    // pixels, cut or extended with black. The history starts afresh.
    void matchSizeTo(int index);
    // The wall frame, also drawn into the map at every export.
    static void drawFrame(Picture& layer, Colour c);

    // Every change of a layer is a step of the history, or starts it afresh.
    History& history() { return history_; }
    const History& history() const { return history_; }

  private:
    std::array<Picture, 2> layers_;
    QString name_ = "EMPTY";
    bool unsaved_ = false;
    History history_{{&layers_[0], &layers_[1]}};
};

} // namespace vortan
