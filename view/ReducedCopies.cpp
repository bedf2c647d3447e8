#include "view/ReducedCopies.h"

#include <algorithm>

namespace vortan {

namespace {
// Each pixel of `to` within `area` (its own pixels) becomes the mean of the 2 x 2 pixels
// of `from` under it; at an odd right or bottom edge the last column or row counts twice.
void halve(const QImage& from, QImage& to, const QRect& area) {
    const QRect a = area & to.rect();
    const int lastX = from.width() - 1, lastY = from.height() - 1;
    // Columns whose two source columns both lie on the picture; an odd last one after them.
    const int paired = std::min(a.right(), from.width() / 2 - 1);
    auto mean = [](uint32_t p, uint32_t q, uint32_t r, uint32_t s) {
        // Red and blue summed in one word, 16 bits apart; green in another.
        const uint32_t rb = (p & 0xFF00FFu) + (q & 0xFF00FFu) + (r & 0xFF00FFu) + (s & 0xFF00FFu);
        const uint32_t g = (p & 0xFF00u) + (q & 0xFF00u) + (r & 0xFF00u) + (s & 0xFF00u);
        return 0xFF000000u | ((rb >> 2) & 0xFF00FFu) | ((g >> 2) & 0xFF00u);
    };
    for (int y = a.top(); y <= a.bottom(); ++y) {
        auto* r0 = reinterpret_cast<const uint32_t*>(from.constScanLine(std::min(2 * y, lastY)));
        auto* r1 = reinterpret_cast<const uint32_t*>(from.constScanLine(std::min(2 * y + 1, lastY)));
        auto* out = reinterpret_cast<uint32_t*>(to.scanLine(y));
        for (int x = a.left(); x <= paired; ++x)
            out[x] = mean(r0[2 * x], r0[2 * x + 1], r1[2 * x], r1[2 * x + 1]);
        for (int x = std::max(a.left(), paired + 1); x <= a.right(); ++x) {
            const int x0 = std::min(2 * x, lastX), x1 = std::min(2 * x + 1, lastX);
            out[x] = mean(r0[x0], r0[x1], r1[x0], r1[x1]);
        }
    }
}

QRect halved(const QRect& r) {
    if (r.isEmpty()) return {};
    return QRect(QPoint(r.left() >> 1, r.top() >> 1), QPoint(r.right() >> 1, r.bottom() >> 1));
}

QSize halved(QSize s) {
    return {(s.width() + 1) / 2, (s.height() + 1) / 2};
}

// Changed level pixels up to this many are brought up to date at the next read, in a few
// milliseconds; more (a fill of a large level, Level -> Map, a new level) have the copies
// made anew in slices.
constexpr qint64 kUpdatedAtOnce = qint64(1) << 22;
// Pixels of a copy made between two looks at the clock: about half a millisecond.
constexpr int kBatch = 1 << 16;
} // namespace

const QImage* ReducedCopies::at(const Picture& layer, int divisor) {
    // A level of another size is another level.
    if (state_ == State::None || copies_[0].size() != halved(layer.size())) start(layer);
    if (state_ == State::Made && !stale_.isEmpty()) {
        for (const QRect& area : stale_)
            update(layer, area);
        stale_ = {};
    }
    if (state_ != State::Made) return nullptr;
    const int index = divisor >= 8 ? 2 : divisor >= 4 ? 1 : 0;
    return &copies_[size_t(index)];
}

void ReducedCopies::start(const Picture& layer) {
    QSize size = layer.size();
    for (QImage& copy : copies_) {
        size = halved(size);
        if (copy.size() != size) copy = QImage(size, QImage::Format_RGB32);
    }
    state_ = State::Making;
    making_ = nextRow_ = 0;
    stale_ = {};
}

bool ReducedCopies::makeSome(const Picture& layer, std::chrono::milliseconds budget) {
    if (state_ != State::Making) return true;
    if (copies_[0].size() != halved(layer.size())) start(layer);
    const auto until = std::chrono::steady_clock::now() + budget;
    do {
        const QImage& from = making_ == 0 ? layer.image() : copies_[size_t(making_ - 1)];
        QImage& to = copies_[size_t(making_)];
        const int rows = std::max(1, kBatch / std::max(1, to.width()));
        halve(from, to, QRect(0, nextRow_, to.width(), rows));
        nextRow_ += rows;
        if (nextRow_ >= to.height()) {
            ++making_;
            nextRow_ = 0;
        }
    } while (making_ < kLevels && std::chrono::steady_clock::now() < until);
    if (making_ < kLevels) return false;
    // What changed while they were made is brought up to date at the next read.
    state_ = State::Made;
    return true;
}

void ReducedCopies::update(const Picture& layer, const QRect& area) {
    const QImage* from = &layer.image();
    QRect a = area & layer.image().rect();
    for (QImage& copy : copies_) {
        a = halved(a);
        halve(*from, copy, a);
        from = &copy;
    }
}

bool ReducedCopies::tooStale() const {
    qint64 pixels = 0;
    for (const QRect& area : stale_)
        pixels += qint64(area.width()) * area.height();
    return pixels > kUpdatedAtOnce;
}

void ReducedCopies::changed(const QRect& area) {
    if (state_ == State::None) return;
    stale_ += area;
    // A new level, or most of one changed: made anew when next asked for. Until then
    // they cost no memory.
    if (tooStale()) forget();
}

void ReducedCopies::forget() {
    state_ = State::None;
    stale_ = {};
    for (QImage& copy : copies_)
        copy = QImage();
}

} // namespace vortan
