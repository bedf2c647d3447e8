#include "core/History.h"
#include "core/Memory.h"

#include <algorithm>
#include <future>
#include <map>
#include <optional>

namespace vortan {

namespace {
// Steps let go give their memory back to the system once this much has gathered: giving
// back walks the whole heap, too slow to do after every press once the history is full.
constexpr qint64 kReturnAfter = 16ll * 1024 * 1024;
// A step of more tiles than this to pack is packed beside the window's thread: packing a
// fill of a whole level of rocks took longer than the fill.
constexpr size_t kPackedAtOnce = 64;
} // namespace

void History::put(Picture& layer, const Tile& tile) {
    // Tiles are put back only on the layers they were taken from, at the same size.
    if (!layer.image().rect().contains(tile.area)) return;
    layer.aboutToChange(tile.area);
    tile.copy.putInto(layer.pixels(), tile.area.topLeft());
}

// One step: the tiles as they were before it while it is done, as they were after it
// while it is undone. Its tiles are taken as they are and packed afterwards, a large step's
// on a thread of its own; nothing reads them until that is done.
class History::Step : public QUndoCommand {
  public:
    Step(History& history, const QString& text, std::vector<Tile> tiles)
        : QUndoCommand(text), history_(history), tiles_(std::move(tiles)) {
        count();
        packLater();
    }
    Step(History& history, const QString& text, std::array<Picture, 2> layers)
        : QUndoCommand(text), history_(history), layers_(std::move(layers)) {
        count();
    }
    ~Step() override { letGo(); }

    // The step is done already when it is pushed.
    void redo() override {
        if (pushed_) swap();
        pushed_ = true;
    }
    void undo() override { swap(); }

    const std::vector<Tile>& tiles() {
        settle();
        return tiles_;
    }
    QRect area() {
        QRect a;
        for (const Tile& t : tiles())
            a |= t.area;
        if (layers_)
            for (size_t i = 0; i < 2; ++i)
                a |= (*layers_)[i].image().rect() | history_.layers_[i]->image().rect();
        return a;
    }
    // The layers replaced whole: no tiles to go back to a mark by.
    bool replaces() const { return layers_.has_value(); }
    // The bytes of a step still being packed, counted as taken; 0 once packed.
    qint64 bytesWhilePacking() {
        if (!packing_.valid()) return 0;
        if (packing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return bytes_;
        settle();
        return 0;
    }
    // Waits for the packing and counts the tiles as they are kept.
    void settle() {
        if (!packing_.valid()) return;
        packing_.get();
        count();
        history_.giveBackFreedMemory();
    }
    bool letGone() const { return letGone_; }
    void letGo() {
        settle();
        history_.bytes_ -= bytes_;
        history_.letGoSinceReturned_ += bytes_;
        bytes_ = 0;
        tiles_.clear();
        tiles_.shrink_to_fit();
        layers_.reset();
        letGone_ = true;
    }

  private:
    void swap() {
        settle();
        if (layers_) {
            for (size_t i = 0; i < 2; ++i)
                history_.layers_[i]->swapPixels((*layers_)[i]);
            count();
            return;
        }
        for (Tile& t : tiles_) {
            Picture& layer = *history_.layers_[size_t(t.layer)];
            TileCopy now = TileCopy::of(layer.image(), t.area, false);
            put(layer, t);
            t.copy = std::move(now);
        }
        count();
        packLater();
    }
    void packLater() {
        const auto waiting = std::count_if(tiles_.begin(), tiles_.end(),
                                           [](const Tile& t) { return t.copy.waitsToBePacked(); });
        if (size_t(waiting) > kPackedAtOnce) {
            packing_ = std::async(std::launch::async, [this] { packAll(); });
            return;
        }
        packAll();
        count();
    }
    void packAll() {
        for (Tile& t : tiles_)
            t.copy.pack();
    }
    // The tiles' bytes as they are kept now, in the step's and the history's count.
    void count() {
        qint64 bytes = 0;
        for (const Tile& t : tiles_)
            bytes += t.bytes();
        if (layers_)
            for (const Picture& layer : *layers_)
                bytes += layer.image().sizeInBytes();
        history_.bytes_ += bytes - bytes_;
        // The pixels as taken are freed: given back to the system with steps let go.
        history_.letGoSinceReturned_ += std::max<qint64>(bytes_ - bytes, 0);
        bytes_ = bytes;
    }

    History& history_;
    std::vector<Tile> tiles_;
    std::optional<std::array<Picture, 2>> layers_;
    std::future<void> packing_;
    qint64 bytes_ = 0;
    bool pushed_ = false;
    bool letGone_ = false;
};

History::History(std::array<Picture*, 2> layers) : layers_(layers) {
    TileCopy::prepare();
}

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
        // A step leaves untouched what it saw: only a new size needs it anew.
        const size_t tiles = size_t(tilesAcross_[i]) * size_t((layer.height() + kTile - 1) / kTile);
        if (seen_[i].size() != tiles) seen_[i].assign(tiles, Seen{0, 0, 0});
    }
}

void History::end() {
    if (!open_) return;
    open_ = false;
    // Layers that changed size were replaced, not edited: nothing to keep.
    const bool replaced = layers_[0]->size() != sizes_[0] || layers_[1]->size() != sizes_[1];
    std::vector<Tile> tiles;
    tiles.reserve(tiles_.size());
    for (OpenTile& t : tiles_) {
        const size_t across = size_t(tilesAcross_[size_t(t.layer)]);
        Seen& seen = seen_[size_t(t.layer)][size_t(t.area.y() / kTile) * across + size_t(t.area.x() / kTile)];
        if (!replaced) {
            const QImage& image = layers_[size_t(t.layer)]->image();
            TileCopy copy = seen.open < 0
                                ? std::move(t.copy)
                                : TileCopy::of(image, t.area, seen.colour, seen.rowsOfColour, false);
            // A tile that ended as it began is no change.
            if (t.surely || !copy.sameAs(image, t.area.topLeft()))
                tiles.push_back({t.layer, t.area, std::move(copy)});
        }
        seen = {0, 0, 0};
    }
    tiles_.clear();
    if (tiles.empty()) return;
    stack_.push(new Step(*this, text_, std::move(tiles)));
    keepWithinLimit();
}

void History::aboutToChange(const Picture& picture, const QRect& area, bool fillRun) {
    if (!open_) return;
    const int layer = &picture == layers_[0] ? 0 : &picture == layers_[1] ? 1 : -1;
    const QImage& image = picture.image();
    const int width = image.width(), height = image.height();
    const int left = std::max(area.left(), 0), right = std::min(area.right(), width - 1);
    const int top = std::max(area.top(), 0), bottom = std::min(area.bottom(), height - 1);
    if (layer < 0 || left > right || top > bottom) return;
    const uchar* bits = image.constBits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const size_t across = size_t(tilesAcross_[size_t(layer)]);
    std::vector<Seen>& seen = seen_[size_t(layer)];
    // Row by row, as a fill tells its changes: each row of a tile is looked at once, when
    // it is first about to change. A fill's run is all of one colour: where it covers a
    // tile's row, that row is known without reading it.
    for (int y = top; y <= bottom; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(bits + bytesPerLine * y);
        const uint32_t runColour = row[left];
        const int ty = y / kTile;
        const uint64_t bit = uint64_t(1) << (y - ty * kTile);
        for (int tx = left / kTile; tx <= right / kTile; ++tx) {
            const size_t index = size_t(ty) * across + size_t(tx);
            if (index >= seen.size()) continue;
            Seen& s = seen[index];
            const int x = tx * kTile, w = std::min(kTile, width - x);
            if (s.open == 0) {
                const QRect tile(x, ty * kTile, w, std::min(kTile, height - ty * kTile));
                tiles_.push_back({layer, fillRun, tile, {}});
                s = {0, row[x], int(tiles_.size())};
                // The layer's background copied this tile just now: the same pixels.
                if (const TileCopy* now = picture.backgroundTakenNow(tile)) {
                    tiles_.back().copy = *now;
                    s.open = -s.open;
                    continue;
                }
            }
            if (s.open < 0 || (s.rowsOfColour & bit)) continue;
            const bool covered = fillRun && x >= left && x + w - 1 <= right;
            if (covered ? runColour == s.colour : TileCopy::rowIs(row + x, w, s.colour)) {
                s.rowsOfColour |= bit;
            } else {
                OpenTile& t = tiles_[size_t(s.open - 1)];
                t.copy = TileCopy::of(image, t.area, s.colour, s.rowsOfColour, false);
                s.open = -s.open;
            }
        }
    }
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
    letGoSinceReturned_ = 0; // the level's replacement gives everything back at once
}

void History::pushReplacement(const QString& text, std::array<Picture, 2> before) {
    end();
    stack_.push(new Step(*this, text, std::move(before)));
    keepWithinLimit();
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
        Step* step = stepAt(i);
        if (step->letGone() || step->replaces()) return false;
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

qint64 History::bytes() {
    for (int i = 0; i < stack_.count(); ++i)
        stepAt(i)->settle();
    return bytes_;
}

// QUndoStack limits only the number of steps, and only while it is empty: the memory
// limit lets the oldest steps go instead and keeps undo from reaching below them. Steps
// still being packed count once they are, not at the size they were taken.
void History::keepWithinLimit() {
    qint64 packing = 0;
    for (int i = floor_; i < stack_.count(); ++i)
        packing += stepAt(i)->bytesWhilePacking();
    while (bytes_ - packing > limit_ && floor_ < stack_.index() - 1) {
        Step* oldest = stepAt(floor_++);
        packing -= oldest->bytesWhilePacking();
        oldest->letGo();
    }
    giveBackFreedMemory();
}

void History::giveBackFreedMemory() {
    if (letGoSinceReturned_ < kReturnAfter) return;
    returnFreedMemory();
    letGoSinceReturned_ = 0;
}

} // namespace vortan
