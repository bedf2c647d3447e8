#include "view/MaterialsOverlay.h"
#include "view/View.h"

#include <algorithm>

// The material map over the colour layer in the Level view.
namespace vortan {

void blendMaterials(uint32_t* out, const uint32_t* colour, const uint32_t* map, int count, int opacity) {
    // 25, 50 and 75 % are 64, 128 and 192 of 256: the shifts below are exact.
    const uint32_t a = uint32_t(opacity) * 256 / 100, keep = 256 - a;
    for (int i = 0; i < count; ++i) {
        // Red and blue side by side in one word: each channel's sum stays under 16 bits.
        const uint32_t c = colour[i], m = map[i];
        const uint32_t rb = ((c & 0xFF00FFu) * keep + (m & 0xFF00FFu) * a + 0x800080u) >> 8 & 0xFF00FFu;
        const uint32_t g = ((c & 0xFF00u) * keep + (m & 0xFF00u) * a + 0x8000u) >> 8 & 0xFF00u;
        out[i] = (m & 0xFFFFFFu) ? 0xFF000000u | rb | g : c;
    }
}

namespace {
// Changed tiles up to this many pixels are made again at the next zoomed-out paint; more
// (a new level, a large fill) are made in slices, as the reduced copies are.
constexpr qint64 kMadeAtOnce = qint64(1) << 22;
} // namespace

void View::setMaterialsWanted(bool on) {
    if (on == materials_) return;
    materials_ = on;
    forgetOverlay();
    if (!on) overlay_ = Picture(); // its memory goes with it
}

void View::stepMaterialsOpacity() {
    opacityStep_ = (opacityStep_ + 1) % int(kMaterialsOpacities.size());
    forgetOverlay();
}

void View::forgetOverlay() {
    std::fill(overlayMade_.begin(), overlayMade_.end(), 0);
    overlayTilesLeft_ = qint64(overlayMade_.size());
    overlayWanted_ = false;
    // The reduced copies were of the colours, or of the overlay as it was.
    if (shown_ == Shown::Level) reduced_.forget();
}

void View::overlayChanged(const QRect& area) {
    if (overlayMade_.empty()) return;
    const int across = (overlay_.width() + kOverlayTile - 1) / kOverlayTile;
    const QRect a = area & overlay_.image().rect();
    if (a.isEmpty()) return;
    for (int ty = a.top() / kOverlayTile; ty <= a.bottom() / kOverlayTile; ++ty)
        for (int tx = a.left() / kOverlayTile; tx <= a.right() / kOverlayTile; ++tx) {
            uint8_t& made = overlayMade_[size_t(ty) * size_t(across) + size_t(tx)];
            overlayTilesLeft_ += made;
            made = 0;
        }
}

void View::makeOverlayTile(const LevelDocument& level, size_t i) const {
    const int across = (overlay_.width() + kOverlayTile - 1) / kOverlayTile;
    const QRect tile = QRect(int(i % size_t(across)) * kOverlayTile, int(i / size_t(across)) * kOverlayTile,
                             kOverlayTile, kOverlayTile) &
                       overlay_.image().rect();
    const QImage &colour = level.colourLayer().image(), &map = level.materialMap().image();
    QImage& out = overlay_.pixels();
    for (int y = tile.top(); y <= tile.bottom(); ++y)
        blendMaterials(reinterpret_cast<uint32_t*>(out.scanLine(y)) + tile.left(),
                       reinterpret_cast<const uint32_t*>(colour.constScanLine(y)) + tile.left(),
                       reinterpret_cast<const uint32_t*>(map.constScanLine(y)) + tile.left(), tile.width(),
                       materialsOpacity());
    overlayMade_[i] = 1;
    --overlayTilesLeft_;
}

const Picture& View::shownPicture(const LevelDocument& level, const QRect& needed) const {
    if (!materialsShown()) return level.layer(shownLayer_);
    if (overlay_.size() != level.size()) {
        // Written tile by tile before it is read: no need to clear it first.
        overlay_.pixels() = QImage(level.size(), QImage::Format_RGB32);
        const int across = (level.width() + kOverlayTile - 1) / kOverlayTile;
        overlayMade_.assign(size_t(across) * size_t((level.height() + kOverlayTile - 1) / kOverlayTile), 0);
        overlayTilesLeft_ = qint64(overlayMade_.size());
        // Not enough memory for it: the colours alone rather than nothing.
        if (overlay_.image().isNull()) return level.layer(shownLayer_);
    }
    const QRect a = needed & overlay_.image().rect();
    if (a.isEmpty()) return overlay_;
    const int across = (overlay_.width() + kOverlayTile - 1) / kOverlayTile;
    for (int ty = a.top() / kOverlayTile; ty <= a.bottom() / kOverlayTile; ++ty)
        for (int tx = a.left() / kOverlayTile; tx <= a.right() / kOverlayTile; ++tx) {
            const size_t i = size_t(ty) * size_t(across) + size_t(tx);
            if (!overlayMade_[i]) makeOverlayTile(level, i);
        }
    return overlay_;
}

bool View::overlayComplete(const LevelDocument& level) const {
    if (&shownPicture(level, {}) != &overlay_) return false;
    if (overlayTilesLeft_ * kOverlayTile * kOverlayTile <= kMadeAtOnce)
        makeSomeOverlay(level, std::chrono::steady_clock::time_point::max());
    return overlayTilesLeft_ == 0;
}

bool View::makeSomeOverlay(const LevelDocument& level, std::chrono::steady_clock::time_point until) const {
    if (&shownPicture(level, {}) != &overlay_) return true;
    for (size_t i = 0; i < overlayMade_.size() && overlayTilesLeft_ > 0; ++i) {
        if (overlayMade_[i]) continue;
        makeOverlayTile(level, i);
        if (std::chrono::steady_clock::now() >= until) break;
    }
    return overlayTilesLeft_ == 0;
}

bool View::makeReducedCopies(const LevelDocument& level, std::chrono::milliseconds budget) const {
    const auto until = std::chrono::steady_clock::now() + budget;
    const Picture& from = materialsShown() ? shownPicture(level, {}) : level.layer(shownLayer_);
    if (overlayWanted_) {
        if (!makeSomeOverlay(level, until)) return false;
        overlayWanted_ = false;
        reduced_.at(from, 2); // then the copies of it, at once
    }
    return reduced_.makeSome(from, std::max(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                until - std::chrono::steady_clock::now()),
                                            std::chrono::milliseconds(0)));
}

} // namespace vortan
