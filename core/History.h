#pragma once

#include "core/Picture.h"

#include <QUndoStack>
#include <array>
#include <vector>

namespace vortan {

// The level's history of edits, step by step. A step keeps copies of the 64 x 64 tiles of
// both layers that it changed, taken the first time it touches each: an edit costs what
// it changes, never the level's size. Undo and redo swap a step's tiles with the layers'.
class History {
  public:
    static constexpr int kTile = 64;
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

    // The state at the last press or view switch, which Backspace goes back to.
    void mark();
    // Goes back to the marked state as one step (none when nothing changed since), the
    // area put back in *area. False, changing nothing, without a mark (none yet, or an undo
    // or redo since), or when a step since was let go to keep within the limit.
    bool backToMark(QRect* area);

    // The memory the steps' tiles may take. The newest step is always kept, even alone
    // larger; the oldest steps are let go first.
    void setLimit(qint64 bytes);
    qint64 bytes() const { return bytes_; }
    int steps() const { return stack_.count(); }

    // The layers' owner tells of every change; the open step keeps what it will need.
    void aboutToChange(const Picture& picture, const QRect& area);

  private:
    // A tile of one colour, as most tiles of a fill or a new level are, keeps just that
    // colour: a fill of a whole large level then costs a read of it, not a copy.
    struct Tile {
        int layer;
        QRect area;
        QImage pixels;     // null for a tile of one colour
        uint32_t only = 0; // that colour
        qint64 bytes() const { return pixels.isNull() ? qint64(sizeof(Tile)) : pixels.sizeInBytes(); }
    };
    static Tile capture(const Picture& layer, int index, const QRect& area);
    static void put(Picture& layer, const Tile& tile);
    static bool sameAsLayer(const Picture& layer, const Tile& tile);
    class Step;
    friend class Step;

    void record(int layer, const QRect& tile);
    void keepWithinLimit();
    Step* stepAt(int index) const;

    std::array<Picture*, 2> layers_;
    qint64 limit_ = kDefaultLimit;
    qint64 bytes_ = 0;
    // The open step: its tiles, and which tiles of each layer it holds already.
    bool open_ = false;
    QString text_;
    std::vector<Tile> tiles_;
    std::array<std::vector<bool>, 2> taken_;
    std::array<int, 2> tilesAcross_{};
    std::array<QSize, 2> sizes_;
    // Steps below this index were let go: they can no longer be undone.
    int floor_ = 0;
    int mark_ = -1;
    // Last: its steps are deleted first and give their bytes back to the count above.
    QUndoStack stack_;
};

} // namespace vortan
