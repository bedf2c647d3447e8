#pragma once

#include <functional>

namespace vortan {

// What a long pass over the pixels does after each row: let the window repaint and take
// input, and advance the progress display. After a yield the level may have changed:
// the work looks its pictures up again and holds no pixel pointer across it.
struct LongWork {
    std::function<void()> yield;
    std::function<void(float step)> advance;

    void rowDone(float progressStep) const {
        if (advance) advance(progressStep);
        if (yield) yield();
    }
    void pause() const {
        if (yield) yield();
    }
    // The same yields, with the progress display left alone.
    LongWork withoutProgress() const { return {yield, nullptr}; }
};

} // namespace vortan
