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
} // namespace

const QImage& ReducedCopies::at(const Picture& layer, int divisor) {
    // A level of another size is another level.
    if (made_ && copies_[0].size() != QSize((layer.width() + 1) / 2, (layer.height() + 1) / 2)) made_ = false;
    if (!made_) {
        const QImage* from = &layer.image();
        for (QImage& copy : copies_) {
            copy = QImage((from->width() + 1) / 2, (from->height() + 1) / 2, QImage::Format_RGB32);
            halve(*from, copy, copy.rect());
            from = &copy;
        }
        made_ = true;
        stale_ = {};
    } else if (!stale_.isEmpty()) {
        update(layer, stale_);
        stale_ = {};
    }
    const int index = divisor >= 8 ? 2 : divisor >= 4 ? 1 : 0;
    return copies_[size_t(index)];
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

void ReducedCopies::changed(const QRect& area) {
    if (made_) stale_ |= area;
}

void ReducedCopies::forget() {
    made_ = false;
    stale_ = {};
    for (QImage& copy : copies_)
        copy = QImage();
}

} // namespace vortan
