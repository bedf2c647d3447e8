#include "view/View.h"
#include "support/ImageCompare.h"

#include <QPainter>

using namespace vortan::test;

// Zoomed, (width + 6) div 6 columns of 6 x 6 blocks; a narrower layer leaves some black.
TEST(Viewport, ScrollingClampsRoundsAndZooms) {
    // clang-format off
    for (auto [viewportWidth, viewportHeight, levelWidth, zoomed, x, y, xOffset, yOffset] : {
             std::tuple{237, 221, 821, false, -5.0f, -1.0f, 0, 0}, {237, 221, 821, false, 5000.0f, 5000.0f, 584, 448},
             {237, 221, 821, false, 2.5f, 4.5f, 2, 4}, {237, 221, 227, false, 0.0f, 0.0f, -10, 0},
             {240, 222, 821, true, 5000.0f, 5000.0f, 780, 631}, {239, 221, 821, true, 5000.0f, 5000.0f, 781, 632}}) {
        // clang-format on
        const auto index = [w = levelWidth](int x, int y) { return Colour(y * w + x); }; // each pixel: its index
        LevelDocument level;
        level.loadLayer(LevelDocument::kColourLayer, imageFrom(levelWidth, 669, index));
        View view;
        view.setViewportSize({viewportWidth, viewportHeight});
        view.setZoomed(zoomed);
        view.scrollTo(level, x, y);
        const int x0 = view.xOffset(), y0 = view.yOffset(), n = zoomed ? View::kZoomFactor : 1;
        EXPECT_EQ(QPoint(x0, y0), QPoint(xOffset, yOffset)) << viewportWidth << " " << x;
        EXPECT_TRUE(pixelsAre(pictureOf(view.viewportImage(level)), [&](int vx, int vy) {
            return x0 + vx / n < 0 ? kBlack : index(x0 + vx / n, y0 + vy / n);
        }));
    }
}

TEST(Thumbnail, FramesAMiniatureBelowTheName) {
    // The thumbnail: the name centred with its bottom at row 32, below it the level's miniature, framed.
    Picture name(192, 48, kWhite);
    QFont font("Liberation Serif");
    font.setPointSizeF(14.25);
    name.setFont(font);
    name.drawText(96 - name.textWidth("Deep") / 2.0f, float(32 - name.textHeight()), "Deep", kBlack);
    for (auto [w, h, x0, columns, rows] :
         {std::array{1000, 700, 18, 157, 110}, {4000, 100, 1, 191, 5}, {1000, 941, 29, 135, 126}}) {
        LevelDocument level;
        level.setName("Deep");
        level.loadLayer(LevelDocument::kColourLayer, filledImage(w, h, rgb(100, 100, 100)));
        level.loadLayer(LevelDocument::kMaterialMap, filledImage(w, h, h == 941 ? kWater : kBlack));
        View view;
        view.buildThumbnail(level, {});
        const Colour inside = h == 941 ? kWater : rgb(100, 100, 100); // water shows pure blue
        const QRect r(x0, 48, columns, rows);
        EXPECT_TRUE(pixelsAre(view.thumbnail(), [&](int x, int y) {
            if (y < 48) return name.pixelAt(x, y);
            if (!r.contains(x, y)) return kWhite;
            return x == r.left() || x == r.right() || y == r.top() || y == r.bottom() ? kBlack : inside;
        })) << w;
    }
}

// Zoomed out, a screen pixel is the mean of the level pixels under it, and follows their changes.
TEST(Viewport, ZoomedOutShowsTheMeanOfEachBlock) {
    LevelDocument level;
    level.loadLayer(LevelDocument::kColourLayer,
                    imageOf(4, 2,
                            {rgb(0, 8, 40), rgb(4, 8, 0), rgb(0, 0, 0), rgb(4, 4, 4), //
                             rgb(8, 8, 0), rgb(4, 0, 0), rgb(0, 0, 0), rgb(4, 4, 4)}));
    View view;
    view.setViewportSize({2, 1});
    view.setScaleStep(2); // 1/2
    auto shown = [&](int x) { return pictureOf(view.viewportImage(level)).pixelAt(x, 0); };
    // The first look samples the level while the copies are made.
    EXPECT_EQ(std::pair(shown(0), shown(1)), std::pair(rgb(4, 0, 0), rgb(4, 4, 4)));
    while (!view.makeReducedCopies(level, std::chrono::milliseconds(0))) {
    }
    EXPECT_EQ(std::pair(shown(0), shown(1)), std::pair(rgb(4, 6, 10), rgb(2, 2, 2)));
    level.draw([](Picture& colour, Picture&) { colour.setPixel(2, 1, rgb(8, 8, 8)); });
    view.levelChanged({2, 1, 1, 1});
    EXPECT_EQ(std::pair(shown(0), shown(1)), std::pair(rgb(4, 6, 10), rgb(4, 4, 4)));
    // At 8 the grid runs along the first column and row of each level pixel only.
    view.setScaleStep(8);
    view.setViewportSize({16, 8});
    view.setGridWanted(true);
    const Picture grid = pictureOf(view.viewportImage(level));
    EXPECT_EQ(std::tuple(grid.pixelAt(1, 1), grid.pixelAt(15, 7), grid.pixelAt(9, 1) == rgb(4, 8, 0)),
              std::tuple(rgb(0, 8, 40), rgb(4, 8, 0), true));
    EXPECT_TRUE(grid.pixelAt(8, 3) != rgb(4, 8, 0) && grid.pixelAt(3, 0) != rgb(0, 8, 40));
}

// Copies made in slices take the changes made between the slices, before and after the
// rows they reached.
TEST(Viewport, ReducedCopiesMadeInSlicesFollowChangesBetweenThem) {
    LevelDocument level;
    level.loadLayer(LevelDocument::kColourLayer, filledImage(1024, 1024, kBlack));
    View view;
    view.setViewportSize({128, 128});
    view.setScaleStep(0); // 1/8
    view.viewportImage(level);
    ASSERT_TRUE(view.makingReducedCopies());
    ASSERT_FALSE(view.makeReducedCopies(level, std::chrono::milliseconds(0)));
    level.draw([](Picture& colour, Picture&) {
        colour.setPixel(0, 0, rgb(128, 64, 192));
        colour.setPixel(1023, 1023, rgb(64, 128, 0));
    });
    view.levelChanged({0, 0, 1, 1});
    view.levelChanged({1023, 1023, 1, 1});
    while (!view.makeReducedCopies(level, std::chrono::milliseconds(0))) {
    }
    EXPECT_FALSE(view.makingReducedCopies());
    Picture shown;
    shown.takePixels(view.viewportImage(level));
    EXPECT_TRUE(pixelsAre(shown, [](int x, int y) {
        return x == 0 && y == 0 ? rgb(2, 1, 3) : x == 127 && y == 127 ? rgb(1, 2, 0) : kBlack;
    }));
}

// At 16 each level pixel is a 16 x 16 block, the first rows cut by the scroll, black
// beside a narrow level; the grid runs along each block's first column and row, and the
// brush's opaque pixels cover it.
TEST(Viewport, AtSixteenBlocksGridAndPreviewAreExact) {
    auto colourOf = [](int x, int y) { return rgb(40 * x, 50 * y, 7); };
    QImage layer(6, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            layer.setPixel(x, y, toPixel(colourOf(x, y)));
    LevelDocument level;
    level.loadLayer(LevelDocument::kColourLayer, layer);
    View view;
    view.setViewportSize({100, 70});
    view.setScaleStep(10);
    view.scrollTo(level, 0, 0.5f); // 4 black columns on the left, half of the first row above
    view.setGridWanted(true);
    QImage preview(3, 3, QImage::Format_ARGB32);
    preview.fill(0u);
    preview.setPixel(1, 0, qRgb(1, 2, 3));
    preview.setPixel(2, 1, qRgb(4, 5, 6));
    view.setPreview(preview, {2, 1});
    // The grid's pen over a colour, once or twice where the lines cross.
    auto lined = [](Colour c, int times) {
        QImage one(1, 1, QImage::Format_RGB32);
        one.setPixel(0, 0, toPixel(c));
        QPainter p(&one);
        p.setPen(QColor(128, 128, 128, 110));
        for (int i = 0; i < times; ++i)
            p.drawPoint(0, 0);
        p.end();
        Picture picture;
        picture.takePixels(one);
        return picture.pixelAt(0, 0);
    };
    Picture shown;
    shown.takePixels(view.viewportImage(level));
    EXPECT_TRUE(pixelsAre(shown, [&](int vx, int vy) {
        const int x = vx - 4, y = vy + 8, lx = x >= 0 ? x / 16 : -1, ly = y / 16;
        if (lx == 3 && ly == 1) return rgb(1, 2, 3);
        if (lx == 4 && ly == 2) return rgb(4, 5, 6);
        const Colour plain = lx < 0 ? kBlack : colourOf(lx, ly);
        return lined(plain, int(x % 16 == 0) + int(y % 16 == 0));
    }));
}
