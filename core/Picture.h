#pragma once

#include "core/Colour.h"
#include "core/TileCopy.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vortan {

// The largest picture the editor reads or sizes a layer to. Far above any level a
// user makes (the New dialog warns from about 2 million pixels), low enough that a
// level, its map and two undo copies still fit in memory.
constexpr int64_t kMaxPicturePixels = 64ll * 1024 * 1024;

// One image of the editor: a layer of the level, an undo copy, a brush, the thumbnail,
// the navigator or the viewport. Holds its pixels in memory; drawing never touches the
// screen. Coordinates are pixels, (0, 0) top left. Drawing coordinates are single
// precision and round to the nearest pixel, ties to the even one, so that every
// shape lands where the editor's arithmetic expects it.
class Picture {
  public:
    // A level layer (and its undo copy) takes the size of a picture it is given; every
    // other picture keeps its size and cuts the picture.
    enum class Sizing { Fixed, FollowsPicture };

    explicit Picture(int width = 0, int height = 0, Colour background = kBlack,
                     Sizing sizing = Sizing::Fixed);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QSize size() const { return image_.size(); }
    // What was drawn stays at the top left; new area takes the background colour.
    void resize(int width, int height);
    // A new size, what was drawn moved by `shift` (cut where it leaves the picture), new
    // area black; the background picture that clear() brings back moves with it. Nothing
    // is told to the watcher. False, changing nothing, when memory runs out.
    bool reframe(QSize size, QPoint shift);
    // Swaps pixels, background picture and background colour with another picture; each
    // keeps its watcher and sizing.
    void swapPixels(Picture& other);

    Colour background() const { return background_; }
    void setBackground(Colour c) { background_ = c; }
    // Replaces the pixels by the picture drawn over the background colour and keeps it
    // as the background that clear() brings back; an empty image removes it. A level
    // layer takes the picture itself: given the only handle on it, it copies nothing.
    void setBackgroundPicture(QImage picture);
    // The picture's pixels become these, and its size theirs; no background picture stays.
    void takePixels(const QImage& pixels);
    // What the picture shows now becomes the background that clear() brings back.
    void keepAsBackground();

    // The pixels (Format_RGB32). Whoever writes through pixels() says so first with
    // aboutToChange, as every drawing operation here does.
    const QImage& image() const { return image_; }
    QImage& pixels() { return image_; }

    // Told before pixels of a picture change; the level's history copies what it will need.
    class Watcher {
      public:
        virtual ~Watcher() = default;
        virtual void aboutToChange(const Picture& picture, const QRect& area) = 0;
    };
    void setWatcher(Watcher* watcher) { watcher_ = watcher; }
    // Whether a writer has to say what it changes: to a watcher, or to keep the background.
    bool watched() const { return watcher_ != nullptr || kept_.has_value(); }
    // The rectangle may reach past the picture; only the part on it counts.
    void aboutToChange(const QRect& area) {
        if (kept_)
            keepBackgroundAndTell(area);
        else
            tellWatcher(area);
    }
    // While a watcher is told of a change: the background's copy of this tile when it was
    // taken for that change, showing the tile as it is; for the history to share.
    const TileCopy* backgroundTakenNow(const QRect& tile) const;

    // Back to the background colour and the background picture.
    void clear();
    void setPixel(int x, int y, Colour c);
    // kNoColour outside the picture.
    Colour pixelAt(int x, int y) const;
    // A one-pixel segment from (x1, y1) towards (x2, y2), the end point left out.
    void drawLine(float x1, float y1, float x2, float y2, Colour c);
    // The rectangle between two corners, both included.
    void fillRect(float x1, float y1, float x2, float y2, Colour c);
    // Every pixel whose centre lies within the radius of the (rounded) centre.
    void fillDisc(float x, float y, float radius, Colour c);

    void setFont(const QFont& font) { font_ = font; }
    // Text with its top-left corner at (x, y).
    void drawText(float x, float y, const QString& text, Colour c);
    int textWidth(const QString& text) const;
    int textHeight() const;

  private:
    // The background picture costs only what was changed since it was set: the tiles of its
    // area each copied the first time it is about to change. A tile without a copy still
    // shows the background, and lies on the picture.
    struct KeptBackground {
        QRect area;
        int across = 0;
        std::vector<TileCopy> tiles;  // null where the pixels show the background
        std::vector<size_t> takenNow; // copied for the change the watcher is being told of
    };
    void keepBackground(const QRect& area);
    // Copies the tiles of the area that still show the background; `offered` notes them
    // for backgroundTakenNow.
    void keepBackgroundUnder(const QRect& area, bool offered = false);
    void keepBackgroundAndTell(const QRect& area);
    void tellWatcher(const QRect& area) {
        if (watcher_) watcher_->aboutToChange(*this, area);
    }

    QImage image_;
    std::optional<KeptBackground> kept_;
    Colour background_;
    Sizing sizing_;
    QFont font_;
    Watcher* watcher_ = nullptr;
};

// Block transfers of the w x h rectangle of src at (sx, sy) to dst at (dx, dy), two
// different pictures. Pixels outside either picture are left alone. A brush is stamped in two: maskRect cuts
// its shape out (AND with a mask black on the shape, white around it), paintRect lays its colours in (OR,
// black adding nothing).
void maskRect(Picture& dst, int dx, int dy, int w, int h, const Picture& src, int sx, int sy);
void paintRect(Picture& dst, int dx, int dy, int w, int h, const Picture& src, int sx, int sy);
// Copies the sw x sh rectangle of src enlarged to dw x dh; the editor only enlarges by
// whole factors (dw = n * sw), each source pixel becoming an n x n block.
void enlargeRect(Picture& dst, int dx, int dy, int dw, int dh, const Picture& src, int sx, int sy, int sw,
                 int sh);
// Paints with `paint` every pixel of exactly `region` that is connected to (x, y)
// through its four neighbours by pixels of that colour. Nothing happens when (x, y) is
// not `region`. True when any pixel changed. Each run it repaints, and nothing else, is
// said with aboutToChange just before it is painted: the history takes what a fill says
// as all of `region`, without reading it.
bool floodFill(Picture& p, int x, int y, Colour region, Colour paint);

} // namespace vortan
