#pragma once

#include "core/Picture.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <array>
#include <chrono>

namespace vortan {

// The shown layer at 1/2, 1/4 and 1/8, each pixel the mean of the 2 x 2 pixels below
// it: the viewport zoomed out reads these instead of the whole level. They cost memory
// only once the viewport is zoomed out. The first ask starts them, and they are made in
// short slices between the window's other work, so that no zoom step waits for a whole
// large level to be read; until they are ready the viewport samples the level instead.
// A change to the level marks its area, which is brought up to date at the next read;
// a change too large for that (a new level) lets them go, to be made anew when asked for.
class ReducedCopies {
  public:
    static constexpr int kLevels = 3; // 1/2, 1/4, 1/8
    // The copy at 1/divisor (2, 4 or 8) of `layer`, which must be the layer they were
    // made from since the last forget(); none while they are still being made.
    const QImage* at(const Picture& layer, int divisor);
    // They were asked for and are not ready yet.
    bool making() const { return state_ == State::Making; }
    // Goes on making them for about `budget` (one batch of rows at least). True when
    // they are ready, or nobody asked for them.
    bool makeSome(const Picture& layer, std::chrono::milliseconds budget);
    // Level pixels of the layer changed within `area`.
    void changed(const QRect& area);
    // Another layer is shown, or the level was replaced: their memory goes.
    void forget();

  private:
    enum class State { None, Making, Made };
    // Made anew from the first row of the first copy on.
    void start(const Picture& layer);
    void update(const Picture& layer, const QRect& area);
    // More changed than is brought up to date at once.
    bool tooStale() const;
    std::array<QImage, kLevels> copies_;
    // The strokes' own areas, not the rectangle around them: presses far apart while the
    // copies are made stay a few small updates.
    QRegion stale_;
    State state_ = State::None;
    // Where the making goes on: the copy, and its next row.
    int making_ = 0, nextRow_ = 0;
};

} // namespace vortan
