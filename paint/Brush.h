#pragma once

#include "core/Picture.h"

#include <QString>

namespace vortan {

// The brush and what it paints: the colour laid into the colour layer, the material
// laid into the map, the radius of the disc, and the brush itself in three pictures
// that always describe one shape. The colour brush holds the colours (black is
// transparent), the material brush the material where it paints one, and the mask is
// black exactly where the colour brush is not black, white elsewhere.
class Brush {
  public:
    static constexpr int kSide = 85;

    Brush();

    Colour colour() const { return colour_; }
    Colour material() const { return material_; }
    int radius() const { return radius_; }
    const Picture& colourBrush() const { return colourBrush_; }
    const Picture& materialBrush() const { return materialBrush_; }
    const Picture& mask() const { return mask_; }
    // The colour brush as it shows under the pointer: its colours where the mask is
    // black, transparent elsewhere.
    const QImage& preview() const { return preview_; }
    // How wide the brush paints: the columns its shape spans.
    int paintedWidth() const { return paintedWidth_; }
    // The part of the square a stamp of the three pictures can change.
    const QRect& reach() const { return reach_; }
    // The entry the material list shows; it may lag behind a material that is none of
    // the list's (black, or a colour picked from the map).
    const QString& listEntry() const { return listEntry_; }

    // Discs of the radius in the colour and the material. A black colour would paint
    // nothing: it becomes white first, and stays white.
    void makeDisc(int radius);
    // The user (or a key) chooses a list entry: its material, and for Water its colour
    // too; the discs are made again.
    void chooseMaterial(const QString& entry);
    // A colour or material taken from the level or the colour dialog, in the Level view
    // the colour, otherwise the material; the discs are made again and the list follows.
    void take(Colour c, bool asColour);
    // A brush picture from a file. Its top-left pixel tags it: a material it snaps to
    // exactly makes it paint that material wherever it is not black, and the tag pixel
    // paints as its right-hand neighbour. Other tags paint colour only and leave the
    // material brush as it was.
    void usePicture(const QImage& picture);
    // Left to right in all three pictures.
    void mirror();

  private:
    void makeMask();
    void makePreview();
    void showMaterialInList();

    Colour colour_ = rgb(55, 100, 120);
    Colour material_ = kWall;
    int radius_ = 20;
    int paintedWidth_ = 0;
    QRect reach_;
    QString listEntry_;
    Picture colourBrush_{kSide, kSide};
    Picture materialBrush_{kSide, kSide};
    Picture mask_{kSide, kSide};
    QImage preview_;
};

} // namespace vortan
