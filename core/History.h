#pragma once

#include "core/Picture.h"
#include "core/TileCopy.h"

#include <QUndoStack>
#include <array>
#include <vector>

namespace vortan {

// The level's history of edits, step by step. A step keeps copies of the 64 x 64 tiles of
// both layers that it changed, taken the first time it touches each: an edit costs what
// it changes, never the level's size. Undo and redo swap a step's tiles with the layers'.
class History {
  public:
    static constexpr int kTile = TileCopy::kSide;
    static constexpr qint64 kDefaultLimit = 256ll * 1024 * 1024;

    explicit History(std::array<Picture*, 2> layers);
    ~History();

    // A step gathers every change of the layers until end(). Beginning a step ends the
    // one still open.
    void begin(const QString& text);
    // Keeps the step when it changed a pixel.
    void end();

    bool canUndo() const { return stack_.index() > floor_; }
    bool canRedo() const { return stack_.canRedo(); }
    // Each returns the area of the layers it put back, empty when it did nothing.
    QRect undo();
    QRect redo();
    // A fresh history: nothing to undo or redo, no mark.
    void clear();
    // The layers were replaced whole (a new size): one step that keeps them as they were
    // before, as whole pictures, and swaps them back on undo.
    void pushReplacement(const QString& text, std::array<Picture, 2> before);

    // The state at the last press or view switch, which Backspace goes back to.
    void mark();
    // Goes back to the marked state as one step (none when nothing changed since), the
    // area put back in *area. False, changing nothing, without a mark (none yet, or an undo
    // or redo since), or when a step since was let go to keep within the limit.
    bool backToMark(QRect* area);

    // The memory the steps' tiles may take, counted as they are kept (packed). The newest
    // step is always kept, even alone larger; the oldest steps are let go first.
    void setLimit(qint64 bytes);
    // Waits for the steps being packed, to count them as they are kept.
    qint64 bytes();
    int steps() const { return stack_.count(); }

    // The layers' owner tells of every change; the open step keeps what it will need.
    // `fillRun` when the area is a run a fill repaints: all of one colour, every pixel of
    // which changes. Such a run is not read beyond its first pixel, and a tile it touches
    // first is kept without looking at the end whether it ended as it began.
    void aboutToChange(const Picture& picture, const QRect& area, bool fillRun = false);

  private:
    struct Tile {
        int layer;
        QRect area;
        TileCopy copy;
        qint64 bytes() const { return qint64(sizeof(Tile)) + copy.packedBytes(); }
    };
    // A tile the open step touched, and how it was before.
    struct OpenTile {
        int layer;
        bool surely;
        QRect area;
        TileCopy copy; // null while every row seen was of one colour
    };
    // What the open step saw of each tile of a layer. While every row of the tile seen so
    // far was of one colour, just that colour and which rows those were, each looked at
    // when first about to change: a fill, which tells its changes a row at a time, reads
    // each row once as it fills it, never a whole tile ahead of it.
    struct Seen {
        uint64_t rowsOfColour;
        uint32_t colour;
        int open; // 1 + the tile's index among the open step's; 0 untouched, < 0 copied whole
    };
    static void put(Picture& layer, const Tile& tile);
    class Step;
    friend class Step;

    void keepWithinLimit();
    // Gives memory back to the system once enough was freed.
    void giveBackFreedMemory();
    Step* stepAt(int index) const;

    std::array<Picture*, 2> layers_;
    qint64 limit_ = kDefaultLimit;
    qint64 bytes_ = 0;
    qint64 letGoSinceReturned_ = 0; // bytes of steps let go, not yet given back to the system
    // The open step: its tiles, and what it saw of each tile of each layer.
    bool open_ = false;
    QString text_;
    std::vector<OpenTile> tiles_;
    std::array<std::vector<Seen>, 2> seen_;
    std::array<int, 2> tilesAcross_{};
    std::array<QSize, 2> sizes_;
    // Steps below this index were let go: they can no longer be undone.
    int floor_ = 0;
    int mark_ = -1;
    // Last: its steps are deleted first and give their bytes back to the count above.
    QUndoStack stack_;
};

} // namespace vortan
