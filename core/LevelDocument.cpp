#include "core/LevelDocument.h"

namespace vortan {

namespace {
constexpr auto kFollows = Picture::Sizing::FollowsPicture;
} // namespace

LevelDocument::LevelDocument()
    : layers_{Picture(kStartSize.width(), kStartSize.height(), kBlack, kFollows),
              Picture(kStartSize.width(), kStartSize.height(), kBlack, kFollows)} {}

void LevelDocument::makeEmpty(int width, int height, Colour frameColour) {
    history_.clear();
    for (int i = 0; i < 2; ++i) {
        Picture& layer = layers_[size_t(i)];
        layer.resize(width, height);
        layer.setBackground(kBlack);
        layer.setBackgroundPicture(QImage());
        layer.clear();
        drawFrame(layer, i == kColourLayer ? frameColour : kWall);
    }
}

void LevelDocument::drawFrame(Picture& layer, Colour c) {
    // The lines at the far edges fall just outside: 17 pixels top and left, 16 bottom and right.
    const float w = float(layer.width()), h = float(layer.height());
    for (int j = 0; j <= 16; ++j) {
        layer.drawLine(0, float(j), w, float(j), c);
        layer.drawLine(0, h - float(j), w, h - float(j), c);
        layer.drawLine(float(j), 0, float(j), h, c);
        layer.drawLine(w - float(j), 0, w - float(j), h, c);
    }
}

void LevelDocument::matchSizeTo(int index) {
    const Picture& source = layers_[size_t(index)];
    layers_[size_t(1 - index)].resize(source.width(), source.height());
    history_.clear();
}

} // namespace vortan
