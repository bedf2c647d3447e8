#include "core/Picture.h"
#include "core/PixelRows.h"

#include <algorithm>
#include <cstring>

// The background that clear() brings back: the tiles of the picture as they were when it
// was set, each copied only when it is first about to change.
namespace vortan {

void Picture::keepBackground(const QRect& area) {
    constexpr int side = TileCopy::kSide;
    const int across = (area.width() + side - 1) / side, down = (area.height() + side - 1) / side;
    kept_ = KeptBackground{area, across, std::vector<TileCopy>(size_t(across) * size_t(down)), {}};
}

void Picture::keepBackgroundUnder(const QRect& area, bool offered) {
    constexpr int side = TileCopy::kSide;
    KeptBackground& kept = *kept_;
    const QRect on = area & kept.area & image_.rect();
    if (on.isEmpty()) return;
    for (int ty = on.top() / side; ty <= on.bottom() / side; ++ty)
        for (int tx = on.left() / side; tx <= on.right() / side; ++tx) {
            const size_t index = size_t(ty) * size_t(kept.across) + size_t(tx);
            TileCopy& tile = kept.tiles[index];
            if (!tile.isNull()) continue;
            tile = TileCopy::of(image_, QRect(tx * side, ty * side, side, side) & kept.area);
            if (offered) kept.takenNow.push_back(index);
        }
}

void Picture::keepBackgroundAndTell(const QRect& area) {
    keepBackgroundUnder(area, true);
    tellWatcher(area);
    kept_->takenNow.clear();
}

const TileCopy* Picture::backgroundTakenNow(const QRect& tile) const {
    if (!kept_ || kept_->takenNow.empty()) return nullptr;
    constexpr int side = TileCopy::kSide;
    const size_t index = size_t(tile.y() / side) * size_t(kept_->across) + size_t(tile.x() / side);
    if (std::find(kept_->takenNow.begin(), kept_->takenNow.end(), index) == kept_->takenNow.end())
        return nullptr;
    const TileCopy& copy = kept_->tiles[index];
    return copy.size() == tile.size() ? &copy : nullptr;
}

void Picture::keepAsBackground() {
    keepBackground(image_.rect());
}

void Picture::clear() {
    if (image_.isNull()) return;
    constexpr int side = TileCopy::kSide;
    const uint32_t back = toPixel(background_);
    // What a tile shows once clear, rows side by side.
    static thread_local uint32_t want[side * side];
    for (int ty = 0; ty * side < image_.height(); ++ty)
        for (int tx = 0; tx * side < image_.width(); ++tx) {
            const QRect square(tx * side, ty * side, side, side);
            const QRect tile = square & image_.rect();
            // The part of the tile that the background picture covers, and its copy.
            const QRect shown = kept_ ? square & kept_->area : QRect();
            TileCopy* copy =
                shown.isEmpty() ? nullptr : &kept_->tiles[size_t(ty) * size_t(kept_->across) + size_t(tx)];
            const bool showsIt = copy && copy->isNull();
            if (showsIt && shown == tile) continue;
            if (shown.isEmpty()) { // the background colour alone
                int r = 0;
                while (
                    r < tile.height() &&
                    TileCopy::rowIs(rowOf(image_.constBits(), image_.bytesPerLine(), tile.y() + r) + tile.x(),
                                    tile.width(), back))
                    ++r;
                if (r == tile.height()) continue;
                tellWatcher(tile);
                uchar* bits = image_.bits();
                for (r = 0; r < tile.height(); ++r)
                    std::fill_n(rowOf(bits, image_.bytesPerLine(), tile.y() + r) + tile.x(), tile.width(),
                                back);
                continue;
            }
            std::fill(want, want + side * side, back);
            if (copy && !copy->isNull()) {
                copy->unpack(want, side);
            } else if (showsIt) {
                for (int r = 0; r < shown.height(); ++r)
                    std::memcpy(want + r * side, image_.constScanLine(shown.y() + r) + shown.x() * 4,
                                size_t(shown.width()) * 4);
            }
            bool same = true;
            for (int r = 0; r < tile.height() && same; ++r)
                same = std::memcmp(image_.constScanLine(tile.y() + r) + tile.x() * 4, want + r * side,
                                   size_t(tile.width()) * 4) == 0;
            if (!same) {
                tellWatcher(tile);
                uchar* bits = image_.bits();
                for (int r = 0; r < tile.height(); ++r)
                    std::memcpy(rowOf(bits, image_.bytesPerLine(), tile.y() + r) + tile.x(), want + r * side,
                                size_t(tile.width()) * 4);
            }
            // The tile shows the background again; its copy is needed no more unless part
            // of it lies off the picture.
            if (copy && image_.rect().contains(shown)) *copy = TileCopy();
        }
}

} // namespace vortan
