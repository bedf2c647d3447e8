#pragma once

#include "core/Picture.h"

#include <QImage>
#include <QRect>
#include <array>

namespace vortan {

// The shown layer at 1/2, 1/4 and 1/8, each pixel the mean of the 2 x 2 pixels below
// it: the viewport zoomed out reads these instead of the whole level. They are made when
// first asked for; a change to the level marks its area, which is brought up to date at
// the next read.
class ReducedCopies {
  public:
    static constexpr int kLevels = 3; // 1/2, 1/4, 1/8
    // The copy at 1/divisor (2, 4 or 8) of `layer`, which must be the layer they were
    // made from since the last forget().
    const QImage& at(const Picture& layer, int divisor);
    // Level pixels of the layer changed within `area`.
    void changed(const QRect& area);
    // Another layer is shown, or the level was replaced.
    void forget();

  private:
    void update(const Picture& layer, const QRect& area);
    std::array<QImage, kLevels> copies_;
    QRect stale_;
    bool made_ = false;
};

} // namespace vortan
