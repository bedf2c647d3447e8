#include "core/Picture.h"

#include "core/Numbers.h"
#include "core/PixelRows.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortan {

namespace {

// Point sizes of the font map as on a 96-dpi screen, whatever screen the editor runs on.
constexpr int kDotsPerMeter = 3780;

// Far beyond any picture, small enough that products of two stay well inside 128 bits
// and sums inside 64 bits.
constexpr double kCoordLimit = double(int64_t(1) << 40);

// A drawing coordinate as a whole pixel, ties to the even pixel like every other
// conversion in the editor; widened so that far-off line ends keep their direction.
int64_t roundCoord(double v) {
    v = std::clamp(v, -kCoordLimit, kCoordLimit);
    if (std::fabs(v) < 1e9) return roundHalfEven(v);
    return int64_t(std::nearbyint(v)); // the same rounding, beyond 32 bits
}

QImage blankImage(int w, int h, Colour back) {
    QImage img(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
    if (!img.isNull()) {
        img.fill(toPixel(back));
        img.setDotsPerMeterX(kDotsPerMeter);
        img.setDotsPerMeterY(kDotsPerMeter);
    }
    return img;
}

// Copies the overlapping top-left part of `from` into `to` (both RGB32).
void copyTopLeft(QImage& to, const QImage& from) {
    const int w = std::min(to.width(), from.width());
    const int h = std::min(to.height(), from.height());
    if (w <= 0 || h <= 0) return;
    uchar* dst = to.bits();
    const uchar* src = from.constBits();
    for (int y = 0; y < h; ++y)
        std::memcpy(rowOf(dst, to.bytesPerLine(), y), rowOf(src, from.bytesPerLine(), y), size_t(w) * 4);
}

// Fills [x1, x2] x [y1, y2], cut to the image; the corners may lie anywhere.
void fillBox(Picture& p, int64_t x1, int64_t y1, int64_t x2, int64_t y2, Colour c) {
    QImage& img = p.pixels();
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x1 = std::max<int64_t>(x1, 0);
    y1 = std::max<int64_t>(y1, 0);
    x2 = std::min<int64_t>(x2, img.width() - 1);
    y2 = std::min<int64_t>(y2, img.height() - 1);
    if (x1 > x2 || y1 > y2) return;
    p.aboutToChange(QRect(QPoint(int(x1), int(y1)), QPoint(int(x2), int(y2))));
    const uint32_t pixel = toPixel(c);
    uchar* bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    for (int64_t y = y1; y <= y2; ++y) {
        uint32_t* row = rowOf(bits, bpl, int(y));
        std::fill(row + x1, row + x2 + 1, pixel);
    }
}

// --- Block transfer kernels -------------------------------------------------------
// The brush stamp runs six of these per mouse move, so they work four pixels at a time.

// dst = dst AND src (And) or dst = dst OR src, four pixels at a time where SSE2 is there.
template <bool And> void combineRow(uint32_t* __restrict d, const uint32_t* __restrict s, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), And ? _mm_and_si128(a, b) : _mm_or_si128(a, b));
    }
#endif
    for (; i < n; ++i)
        d[i] = And ? d[i] & s[i] : d[i] | s[i];
}

// Circle rows: the columns [lo, hi] of row py whose centres lie within the radius.
struct Span {
    int64_t lo = 0, hi = -1;
    bool empty() const { return lo > hi; }
};

Span discRow(double cx, double cy, double r2, int64_t py) {
    const double dy = double(py) - cy;
    const double rest = r2 - dy * dy;
    if (!(rest >= 0)) return {};
    const double half = std::sqrt(rest);
    auto inside = [&](double px) { return (px - cx) * (px - cx) + dy * dy <= r2; };
    double lo = std::ceil(std::clamp(cx - half, -kCoordLimit, kCoordLimit));
    double hi = std::floor(std::clamp(cx + half, -kCoordLimit, kCoordLimit));
    // The square root may be off by a hair; settle the ends on the exact test.
    for (int k = 0; k < 2 && inside(lo - 1); ++k)
        lo -= 1;
    for (int k = 0; k < 2 && lo <= hi && !inside(lo); ++k)
        lo += 1;
    for (int k = 0; k < 2 && inside(hi + 1); ++k)
        hi += 1;
    for (int k = 0; k < 2 && hi >= lo && !inside(hi); ++k)
        hi -= 1;
    if (lo > hi) return {};
    return {int64_t(lo), int64_t(hi)};
}

void fillRowSpan(uint32_t* row, int width, int64_t lo, int64_t hi, uint32_t p) {
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, width - 1);
    if (lo <= hi) std::fill(row + lo, row + hi + 1, p);
}

} // namespace

// --- The picture ------------------------------------------------------------------

Picture::Picture(int width, int height, Colour background, Sizing sizing)
    : image_(blankImage(width, height, background)), background_(background), sizing_(sizing) {}

void Picture::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == image_.width() && height == image_.height()) return;
    QImage fresh = blankImage(width, height, background_);
    // Out of memory: keep the pixels the user has rather than losing them to an empty picture.
    if (fresh.isNull() && width > 0 && height > 0) return;
    if (kept_) {
        // What is cut off may have been background that clear() brings back.
        keepBackgroundUnder(QRect(width, 0, std::max(image_.width() - width, 0), image_.height()));
        keepBackgroundUnder(QRect(0, height, image_.width(), std::max(image_.height() - height, 0)));
    }
    copyTopLeft(fresh, image_);
    image_ = std::move(fresh);
}

void Picture::setBackgroundPicture(QImage picture) {
    if (picture.isNull()) {
        kept_.reset();
        return;
    }
    if (picture.format() != QImage::Format_RGB32) picture = picture.convertToFormat(QImage::Format_RGB32);
    const QRect area = picture.rect();
    tellWatcher(image_.rect());
    if (sizing_ == Sizing::FollowsPicture) {
        image_ = std::move(picture);
    } else {
        QImage fresh = blankImage(image_.width(), image_.height(), background_);
        copyTopLeft(fresh, picture);
        image_ = std::move(fresh);
    }
    keepBackground(area & image_.rect());
}

void Picture::takePixels(const QImage& pixels) {
    tellWatcher(image_.rect());
    kept_.reset();
    image_ = pixels.format() == QImage::Format_RGB32 ? pixels : pixels.convertToFormat(QImage::Format_RGB32);
}

void Picture::setPixel(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    aboutToChange({x, y, 1, 1});
    reinterpret_cast<uint32_t*>(image_.scanLine(y))[x] = toPixel(c);
}

Colour Picture::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return kNoColour;
    return fromPixel(reinterpret_cast<const uint32_t*>(image_.constScanLine(y))[x]);
}

void Picture::drawLine(float x1, float y1, float x2, float y2, Colour c) {
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
    const int width = image_.width(), height = image_.height();
    if (width == 0 || height == 0) return;
    const int64_t ax = roundCoord(x1), ay = roundCoord(y1);
    const int64_t bx = roundCoord(x2), by = roundCoord(y2);
    const bool steep = std::llabs(by - ay) > std::llabs(bx - ax);
    // Walk along the longer axis one pixel per step; the shorter axis follows the
    // rounded ideal line. Only the steps that land on the picture are visited.
    const int64_t m0 = steep ? ay : ax, n0 = steep ? ax : ay;
    const int64_t dm = steep ? by - ay : bx - ax, dn = steep ? bx - ax : by - ay;
    const int64_t steps = std::llabs(dm); // the end point is left out
    if (steps == 0) return;
    const int64_t sm = dm > 0 ? 1 : -1, sn = dn >= 0 ? 1 : -1;
    const int64_t a = std::llabs(dn), b = steps;
    const int64_t mSize = steep ? height : width, nSize = steep ? width : height;

    // Steps whose long-axis coordinate is on the picture.
    int64_t tLo = 0, tHi = steps - 1;
    if (sm > 0) {
        tLo = std::max(tLo, -m0);
        tHi = std::min(tHi, mSize - 1 - m0);
    } else {
        tLo = std::max(tLo, m0 - (mSize - 1));
        tHi = std::min(tHi, m0);
    }
    // The short-axis offset after t steps is floor((2ta + b) / 2b); keep it within
    // [oLo, oHi] so the short-axis coordinate is on the picture.
    const int64_t oLo = sn > 0 ? -n0 : n0 - (nSize - 1);
    const int64_t oHi = sn > 0 ? nSize - 1 - n0 : n0;
    if (oHi < 0) return;
    using Wide = __int128;
    auto ceilDiv = [](Wide p, Wide q) { return p >= 0 ? (p + q - 1) / q : -((-p) / q); };
    if (a == 0) {
        if (oLo > 0) return;
    } else {
        if (oLo > 0) tLo = std::max<int64_t>(tLo, int64_t(ceilDiv(Wide(2) * b * oLo - b, Wide(2) * a)));
        const Wide last = ceilDiv(Wide(2) * b * oHi + b, Wide(2) * a) - 1;
        if (last < tHi) tHi = int64_t(last);
    }
    if (tLo > tHi) return;

    {
        // The segment's bounding box on the picture.
        const int64_t mA = m0 + sm * tLo, mB = m0 + sm * tHi;
        const int64_t nA = std::clamp<int64_t>(std::min(n0, n0 + dn), 0, nSize - 1);
        const int64_t nB = std::clamp<int64_t>(std::max(n0, n0 + dn), 0, nSize - 1);
        const QPoint from(int(std::min(mA, mB)), int(nA)), to(int(std::max(mA, mB)), int(nB));
        aboutToChange(steep ? QRect(QPoint(from.y(), from.x()), QPoint(to.y(), to.x())) : QRect(from, to));
    }
    const Wide num0 = Wide(2) * tLo * a + b;
    int64_t offset = int64_t(num0 / (Wide(2) * b));
    int64_t rem = int64_t(num0 % (Wide(2) * b));
    const uint32_t p = toPixel(c);
    uchar* bits = image_.bits();
    const qsizetype bpl = image_.bytesPerLine();
    for (int64_t t = tLo; t <= tHi; ++t) {
        const int64_t m = m0 + sm * t, n = n0 + sn * offset;
        if (steep)
            rowOf(bits, bpl, int(m))[n] = p;
        else
            rowOf(bits, bpl, int(n))[m] = p;
        rem += 2 * a;
        if (rem >= 2 * b) {
            rem -= 2 * b;
            ++offset;
        }
    }
}

void Picture::fillRect(float x1, float y1, float x2, float y2, Colour c) {
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
    fillBox(*this, roundCoord(x1), roundCoord(y1), roundCoord(x2), roundCoord(y2), c);
}

void Picture::fillDisc(float x, float y, float radius, Colour c) {
    if (std::isnan(x) || std::isnan(y) || std::isnan(radius)) return;
    const int width = image_.width(), height = image_.height();
    if (width == 0 || height == 0) return;
    // The centre is a whole pixel like every drawing coordinate: a disc in an 85-pixel
    // brush lies around column 42, not between two columns.
    const double cx = double(roundCoord(x)), cy = double(roundCoord(y)), r = std::fabs(double(radius));
    const double r2 = r * r;
    const int64_t top =
        std::max<int64_t>(0, int64_t(std::ceil(std::clamp(cy - r, -kCoordLimit, kCoordLimit))));
    const int64_t bottom =
        std::min<int64_t>(height - 1, int64_t(std::floor(std::clamp(cy + r, -kCoordLimit, kCoordLimit))));
    if (top > bottom) return;
    const int left = int(std::clamp(std::floor(cx - r), 0.0, double(width - 1)));
    const int right = int(std::clamp(std::ceil(cx + r), 0.0, double(width - 1)));
    aboutToChange(QRect(QPoint(left, int(top)), QPoint(right, int(bottom))));
    const uint32_t p = toPixel(c);
    uchar* bits = image_.bits();
    const qsizetype bpl = image_.bytesPerLine();
    for (int64_t py = top; py <= bottom; ++py) {
        const Span here = discRow(cx, cy, r2, py);
        if (!here.empty()) fillRowSpan(rowOf(bits, bpl, int(py)), width, here.lo, here.hi, p);
    }
}

void Picture::drawText(float x, float y, const QString& text, Colour c) {
    if (image_.isNull() || std::isnan(x) || std::isnan(y)) return;
    aboutToChange(image_.rect());
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(QColor(redOf(c), greenOf(c), blueOf(c)));
    // Whole pixels, like every drawing position: centred names land on a half pixel.
    const int64_t left = roundCoord(x), top = roundCoord(y);
    const int ascent = QFontMetrics(font_, &image_).ascent();
    if (std::llabs(left) < INT32_MAX / 2 && std::llabs(top) < INT32_MAX / 2)
        painter.drawText(QPoint(int(left), int(top) + ascent), text);
}

namespace {
// Text is measured against a 96-dpi device even before the picture has any pixels.
const QPaintDevice* measuringDevice(const QImage& image) {
    if (!image.isNull()) return &image;
    static const QImage fallback = blankImage(1, 1, kBlack);
    return &fallback;
}
} // namespace

int Picture::textWidth(const QString& text) const {
    return QFontMetrics(font_, measuringDevice(image_)).horizontalAdvance(text);
}

int Picture::textHeight() const {
    return QFontMetrics(font_, measuringDevice(image_)).height();
}

// --- Raster calls -----------------------------------------------------------------

namespace {

enum class Combine { And, Or };

void combineRow(uint32_t* d, const uint32_t* s, int n, Combine how) {
    switch (how) {
    case Combine::And:
        combineRow<true>(d, s, n);
        break;
    case Combine::Or:
        combineRow<false>(d, s, n);
        break;
    }
}

void transfer(Picture& dst, int dx, int dy, int w, int h, const Picture& src, int sx, int sy, Combine how) {
    Q_ASSERT(&src != &dst);
    const QImage& from = src.image();
    QImage& to = dst.pixels();
    // Cut the rectangle to the part that lies on both pictures.
    int64_t x0 = dx, y0 = dy, u0 = sx, v0 = sy, cw = w, ch = h;
    const int64_t shiftX = std::max<int64_t>({0, -x0, -u0});
    const int64_t shiftY = std::max<int64_t>({0, -y0, -v0});
    x0 += shiftX, u0 += shiftX, cw -= shiftX;
    y0 += shiftY, v0 += shiftY, ch -= shiftY;
    cw = std::min({cw, int64_t(to.width()) - x0, int64_t(from.width()) - u0});
    ch = std::min({ch, int64_t(to.height()) - y0, int64_t(from.height()) - v0});
    if (cw <= 0 || ch <= 0) return;
    dst.aboutToChange(QRect(int(x0), int(y0), int(cw), int(ch)));
    const int n = int(cw);
    const uchar* srcBits = from.constBits();
    const qsizetype srcBpl = from.bytesPerLine();
    uchar* dstBits = to.bits();
    const qsizetype dstBpl = to.bytesPerLine();
    for (int64_t r = 0; r < ch; ++r)
        combineRow(rowOf(dstBits, dstBpl, int(y0 + r)) + x0, rowOf(srcBits, srcBpl, int(v0 + r)) + u0, n,
                   how);
}

} // namespace

void maskRect(Picture& dst, int dx, int dy, int w, int h, const Picture& src, int sx, int sy) {
    transfer(dst, dx, dy, w, h, src, sx, sy, Combine::And);
}
void paintRect(Picture& dst, int dx, int dy, int w, int h, const Picture& src, int sx, int sy) {
    transfer(dst, dx, dy, w, h, src, sx, sy, Combine::Or);
}

void enlargeRect(Picture& dst, int dx, int dy, int dw, int dh, const Picture& src, int sx, int sy, int sw,
                 int sh) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    // A shallow copy: if dst is src, writing detaches dst and this keeps the pixels as
    // they were before the transfer.
    const QImage from = src.image();
    QImage& to = dst.pixels();
    const int64_t srcW = from.width(), srcH = from.height();

    // Destination columns on the picture whose source column is on the source picture.
    // Destination column i (0 <= i < dw) shows source column sx + i * sw / dw.
    static thread_local std::vector<int32_t> columns;
    const int64_t i0 = std::max<int64_t>(0, -int64_t(dx));
    const int64_t i1 = std::min<int64_t>(dw, int64_t(to.width()) - dx);
    if (i0 >= i1) return;
    columns.clear();
    int64_t first = -1;
    for (int64_t i = i0; i < i1; ++i) {
        const int64_t u = sx + i * sw / dw;
        if (u < 0 || u >= srcW) {
            if (first >= 0) break; // past the right edge of the source
            continue;
        }
        if (first < 0) first = i;
        columns.push_back(int32_t(u));
    }
    if (columns.empty()) return;
    const int n = int(columns.size());
    dst.aboutToChange(
        QRect(int(dx + first), int(std::max<int64_t>(0, dy)), n, int(std::max<int64_t>(0, dh))));

    static thread_local std::vector<uint32_t> rowBuffer;
    rowBuffer.resize(size_t(n));
    const int64_t j0 = std::max<int64_t>(0, -int64_t(dy));
    const int64_t j1 = std::min<int64_t>(dh, int64_t(to.height()) - dy);
    uchar* dstBits = to.bits();
    const qsizetype dstBpl = to.bytesPerLine();
    int64_t builtFor = -1;
    for (int64_t j = j0; j < j1; ++j) {
        const int64_t v = sy + j * sh / dh;
        if (v < 0) continue;
        if (v >= srcH) break;
        // Enlarging repeats each source row; build it once and copy it for the repeats.
        if (v != builtFor) {
            const uint32_t* srow = reinterpret_cast<const uint32_t*>(from.constScanLine(int(v)));
            for (int k = 0; k < n; ++k)
                rowBuffer[size_t(k)] = srow[columns[size_t(k)]];
            builtFor = v;
        }
        std::memcpy(rowOf(dstBits, dstBpl, int(dy + j)) + dx + first, rowBuffer.data(), size_t(n) * 4);
    }
}

} // namespace vortan
