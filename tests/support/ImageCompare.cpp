#include "support/ImageCompare.h"

namespace vortan::test {

namespace {
std::string named(Colour c) {
    return QString("rgb(%1, %2, %3)").arg(redOf(c)).arg(greenOf(c)).arg(blueOf(c)).toStdString();
}
::testing::AssertionResult differs(int x, int y, Colour got, Colour want) {
    return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << "): " << named(got)
                                         << ", expected " << named(want);
}
} // namespace

::testing::AssertionResult sameImage(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height()
                                             << ", expected " << expected.width() << "x" << expected.height();
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < e.height(); ++y)
        for (int x = 0; x < e.width(); ++x)
            if ((e.pixel(x, y) & 0xFFFFFF) != (a.pixel(x, y) & 0xFFFFFF))
                return differs(x, y, fromPixel(a.pixel(x, y)), fromPixel(e.pixel(x, y)));
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult pixelsAre(const Picture& p, const std::function<Colour(int, int)>& expected) {
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.pixelAt(x, y) != expected(x, y)) return differs(x, y, p.pixelAt(x, y), expected(x, y));
    return ::testing::AssertionSuccess();
}

QImage filledImage(int w, int h, Colour c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toPixel(c));
    return img;
}

Picture pictureOf(const QImage& pixels) {
    Picture p;
    p.takePixels(pixels);
    return p;
}

QImage imageOf(int w, int h, std::initializer_list<Colour> colours) {
    auto c = colours.begin();
    return imageFrom(w, h, [&](int, int) { return *c++; });
}

QImage imageFrom(int w, int h, const std::function<Colour(int, int)>& colour) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, toPixel(colour(x, y)));
    return img;
}

Layers layersOf(const LevelDocument& level) {
    return {level.colourLayer().image().copy(), level.materialMap().image().copy()};
}

::testing::AssertionResult hasLayers(const LevelDocument& level, const Layers& expected) {
    const auto colour = sameImage(expected.first, level.colourLayer().image());
    return colour ? sameImage(expected.second, level.materialMap().image()) << " in the map" : colour;
}

} // namespace vortan::test
