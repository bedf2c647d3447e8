#include "support/ImageCompare.h"

namespace vortan::test {

static QString hex(Colour c) {
    return QString("RGB(%1, %2, %3)").arg(redOf(c)).arg(greenOf(c)).arg(blueOf(c));
}

::testing::AssertionResult sameImage(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height()
                                             << ", expected " << expected.width() << "x" << expected.height();
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < e.height(); ++y) {
        auto* er = reinterpret_cast<const uint32_t*>(e.constScanLine(y));
        auto* ar = reinterpret_cast<const uint32_t*>(a.constScanLine(y));
        for (int x = 0; x < e.width(); ++x)
            if ((er[x] & 0xFFFFFF) != (ar[x] & 0xFFFFFF))
                return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y
                                                     << "): " << hex(fromPixel(ar[x])).toStdString()
                                                     << ", expected " << hex(fromPixel(er[x])).toStdString();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult pixelsAre(const PictureSurface& s,
                                     const std::function<Colour(int, int)>& expected) {
    for (int y = 0; y < s.ScaleHeight(); ++y)
        for (int x = 0; x < s.ScaleWidth(); ++x) {
            const Colour got = GetPixel(s, x, y), want = expected(x, y);
            if (got != want)
                return ::testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << "): " << hex(got).toStdString()
                       << ", expected " << hex(want).toStdString();
        }
    return ::testing::AssertionSuccess();
}

QImage filledImage(int w, int h, Colour c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toPixel(c));
    return img;
}

} // namespace vortan::test
