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

namespace {
// `from` moved by `shift` into a black picture of `size`; null when memory runs out. Each
// row is written once: black only where the level does not reach.
QImage shifted(const QImage& from, QSize size, QPoint shift) {
    QImage to(size, QImage::Format_RGB32);
    if (to.isNull()) return to;
    to.setDotsPerMeterX(from.dotsPerMeterX());
    to.setDotsPerMeterY(from.dotsPerMeterY());
    const QRect onBoth = QRect(shift, from.size()) & to.rect();
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(to.scanLine(y));
        if (y < onBoth.top() || y > onBoth.bottom()) {
            std::fill_n(row, size.width(), 0xFF000000u);
            continue;
        }
        std::fill(row, row + onBoth.left(), 0xFF000000u);
        std::memcpy(row + onBoth.left(), from.constScanLine(y - shift.y()) + (onBoth.left() - shift.x()) * 4,
                    size_t(onBoth.width()) * 4);
        std::fill(row + onBoth.left() + onBoth.width(), row + size.width(), 0xFF000000u);
    }
    return to;
}
} // namespace

bool Picture::reframe(QSize size, QPoint shift) {
    QImage pixels = shifted(image_, size, shift);
    if (pixels.isNull()) return false;
    if (!kept_) {
        image_ = std::move(pixels);
        return true;
    }
    // The background as clear() would bring it back, moved the same way.
    Picture background = *this;
    background.watcher_ = nullptr;
    background.clear();
    QImage moved = shifted(background.image_, size, shift);
    if (moved.isNull()) return false;
    // It shows where the pixels still match it; a tile that differs keeps its copy.
    image_ = std::move(moved);
    keepBackground(image_.rect());
    constexpr int side = TileCopy::kSide;
    for (int y = 0; y < size.height(); y += side)
        for (int x = 0; x < size.width(); x += side) {
            const QRect tile = QRect(x, y, side, side) & image_.rect();
            bool same = true;
            for (int r = tile.top(); r <= tile.bottom() && same; ++r)
                same = std::memcmp(image_.constScanLine(r) + x * 4, pixels.constScanLine(r) + x * 4,
                                   size_t(tile.width()) * 4) == 0;
            if (same) continue;
            keepBackgroundUnder(tile);
            for (int r = tile.top(); r <= tile.bottom(); ++r)
                std::memcpy(image_.scanLine(r) + x * 4, pixels.constScanLine(r) + x * 4,
                            size_t(tile.width()) * 4);
        }
    return true;
}

void Picture::swapPixels(Picture& other) {
    std::swap(image_, other.image_);
    std::swap(kept_, other.kept_);
    std::swap(background_, other.background_);
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
