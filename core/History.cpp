#include "core/History.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace vortan {

History::Tile History::capture(const Picture& layer, int index, const QRect& area) {
    const QImage& image = layer.image();
    const uint32_t first = reinterpret_cast<const uint32_t*>(image.constScanLine(area.y()))[area.x()];
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y)) + area.x();
        for (int x = 0; x < area.width(); ++x)
            if (row[x] != first) return {index, area, image.copy(area)};
    }
    return {index, area, {}, first};
}

void History::put(Picture& layer, const Tile& tile) {
    QImage& image = layer.pixels();
    const QRect& a = tile.area;
    for (int y = 0; y < a.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(a.y() + y)) + a.x();
        if (tile.pixels.isNull())
            std::fill(row, row + a.width(), tile.only);
        else
            std::memcpy(row, tile.pixels.constScanLine(y), size_t(a.width()) * 4);
    }
}

bool History::sameAsLayer(const Picture& layer, const Tile& tile) {
    const QRect& a = tile.area;
    for (int y = 0; y < a.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(layer.image().constScanLine(a.y() + y)) + a.x();
        if (tile.pixels.isNull()
                ? std::any_of(row, row + a.width(), [&](uint32_t p) { return p != tile.only; })
                : std::memcmp(row, tile.pixels.constScanLine(y), size_t(a.width()) * 4) != 0)
            return false;
    }
    return true;
}

// One step: the tiles as they were before it while it is done, as they were after it
// while it is undone.
class History::Step : public QUndoCommand {
  public:
    Step(History& history, const QString& text, std::vector<Tile> tiles)
        : QUndoCommand(text), history_(history), tiles_(std::move(tiles)) {
        for (const Tile& t : tiles_)
            bytes_ += t.bytes();
        history_.bytes_ += bytes_;
    }
    ~Step() override { letGo(); }

    // The step is done already when it is pushed.
    void redo() override {
        if (pushed_) swap();
        pushed_ = true;
    }
    void undo() override { swap(); }

    const std::vector<Tile>& tiles() const { return tiles_; }
    QRect area() const {
        QRect a;
        for (const Tile& t : tiles_)
            a |= t.area;
        return a;
    }
    bool letGone() const { return letGone_; }
    void letGo() {
        history_.bytes_ -= bytes_;
        bytes_ = 0;
        tiles_.clear();
        tiles_.shrink_to_fit();
        letGone_ = true;
    }

  private:
    void swap() {
        qint64 bytes = 0;
        for (Tile& t : tiles_) {
            Picture& layer = *history_.layers_[size_t(t.layer)];
            Tile now = capture(layer, t.layer, t.area);
            put(layer, t);
            t = std::move(now);
            bytes += t.bytes();
        }
        history_.bytes_ += bytes - bytes_;
        bytes_ = bytes;
    }

    History& history_;
    std::vector<Tile> tiles_;
    qint64 bytes_ = 0;
    bool pushed_ = false;
    bool letGone_ = false;
};

History::History(std::array<Picture*, 2> layers) : layers_(layers) {}

History::~History() = default;

History::Step* History::stepAt(int index) const {
    // Every command of the stack is one of ours.
    return static_cast<Step*>(const_cast<QUndoCommand*>(stack_.command(index)));
}

void History::begin(const QString& text) {
    end();
    open_ = true;
    text_ = text;
    for (size_t i = 0; i < 2; ++i) {
        const Picture& layer = *layers_[i];
        sizes_[i] = layer.size();
        tilesAcross_[i] = (layer.width() + kTile - 1) / kTile;
        taken_[i].assign(size_t(tilesAcross_[i]) * size_t((layer.height() + kTile - 1) / kTile), false);
    }
}

void History::end() {
    if (!open_) return;
    open_ = false;
    for (auto& taken : taken_)
        taken = {};
    // Layers that changed size were replaced, not edited: nothing to keep.
    if (layers_[0]->size() != sizes_[0] || layers_[1]->size() != sizes_[1]) tiles_.clear();
    if (tiles_.empty()) return;
    // A tile that ended as it began is no change.
    std::erase_if(tiles_, [&](const Tile& t) { return sameAsLayer(*layers_[size_t(t.layer)], t); });
    if (tiles_.empty()) return;
    stack_.push(new Step(*this, text_, std::move(tiles_)));
    tiles_.clear();
    keepWithinLimit();
}

void History::aboutToChange(const Picture& picture, const QRect& area) {
    if (!open_) return;
    const int layer = &picture == layers_[0] ? 0 : &picture == layers_[1] ? 1 : -1;
    const QRect on = area & picture.image().rect();
    if (layer < 0 || on.isEmpty()) return;
    const int across = tilesAcross_[size_t(layer)];
    std::vector<bool>& taken = taken_[size_t(layer)];
    for (int ty = on.top() / kTile; ty <= on.bottom() / kTile; ++ty)
        for (int tx = on.left() / kTile; tx <= on.right() / kTile; ++tx) {
            const size_t index = size_t(ty) * size_t(across) + size_t(tx);
            if (index >= taken.size() || taken[index]) continue;
            taken[index] = true;
            record(layer, QRect(tx * kTile, ty * kTile, kTile, kTile) & picture.image().rect());
        }
}

void History::record(int layer, const QRect& tile) {
    tiles_.push_back(capture(*layers_[size_t(layer)], layer, tile));
}

QRect History::undo() {
    end();
    if (!canUndo()) return {};
    stack_.undo();
    mark_ = -1;
    return stepAt(stack_.index())->area();
}

QRect History::redo() {
    end();
    if (!canRedo()) return {};
    stack_.redo();
    mark_ = -1;
    return stepAt(stack_.index() - 1)->area();
}

void History::clear() {
    end();
    stack_.clear();
    floor_ = 0;
    mark_ = -1;
}

void History::mark() {
    end();
    mark_ = stack_.index();
}

bool History::backToMark(QRect* area) {
    end();
    const int now = stack_.index();
    if (mark_ < floor_ || mark_ > now) return false;
    if (mark_ == now) return true; // the layers are as marked already
    // The marked state of every tile changed since: what the earliest step after the mark
    // holds of it.
    std::map<std::tuple<int, int, int>, const Tile*> marked;
    for (int i = now - 1; i >= mark_; --i) {
        const Step* step = stepAt(i);
        if (step->letGone()) return false;
        for (const Tile& t : step->tiles())
            marked[{t.layer, t.area.y(), t.area.x()}] = &t;
    }
    begin("Back to the last press");
    for (const auto& [key, tile] : marked) {
        Picture& layer = *layers_[size_t(tile->layer)];
        aboutToChange(layer, tile->area);
        put(layer, *tile);
        *area |= tile->area;
    }
    end();
    // A second Backspace finds the marked state and changes nothing more.
    mark_ = stack_.index();
    return true;
}

void History::setLimit(qint64 bytes) {
    limit_ = bytes;
    keepWithinLimit();
}

// QUndoStack limits only the number of steps, and only while it is empty: the memory
// limit lets the oldest steps go instead and keeps undo from reaching below them.
void History::keepWithinLimit() {
    while (bytes_ > limit_ && floor_ < stack_.index() - 1)
        stepAt(floor_++)->letGo();
}

} // namespace vortan
