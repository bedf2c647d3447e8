#include "support/TestEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

using namespace vortan::test;

constexpr Colour kInk = rgb(55, 100, 120); // the brush's first colour, Wall its material

// A level as New makes it; each shape is checked against both layers as they were, with
// exactly the pixels it should change.
struct Shapes : ::testing::Test {
    TestEditor e{300, 200}; // framed in the brush's colour and wall, 17 pixels wide at the top and left
    const QImage fresh = e.colour().image().copy(), freshMap = e.map().image().copy();
    QImage colour = fresh, map = freshMap;
    void drag(QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton) {
        e->pressInViewport(b, {}, from);
        e->moveInViewport(b, {}, to);
        e->releaseInViewport();
    }
    void expect(const QRect& r, Colour c, Colour m, const char* pattern = nullptr) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (!pattern || pattern[(y - r.top()) * r.width() + x - r.left()] == '#') {
                    colour.setPixel(x, y, toPixel(c));
                    map.setPixel(x, y, toPixel(m));
                }
    }
    ::testing::AssertionResult asExpected() {
        if (auto r = sameImage(colour, e.colour().image()); !r) return r << " (colour layer)";
        return sameImage(map, e.map().image()) << " (map)";
    }
};

TEST_F(Shapes, FilledShapesCoverTheirBoxInBothLayersEachAsOneStep) {
    e.key(Qt::Key_R, Qt::ShiftModifier);
    EXPECT_EQ(e->chosenTool(), "Filled rectangle");
    e->pressInViewport(Qt::LeftButton, {}, {60, 50});
    e->moveInViewport(Qt::LeftButton, {}, {54, 45});
    EXPECT_TRUE(asExpected()) << "the drag only shows the shape";
    EXPECT_EQ(e.viewport().pixelAt(57, 47), kInk);
    e->releaseInViewport();
    expect({54, 45, 7, 6}, kInk, kWall);
    EXPECT_TRUE(asExpected());
    drag({56, 40}, {58, 47}, Qt::RightButton); // the right button erases
    expect({56, 40, 3, 8}, kBlack, kBlack);
    drag({290, 190}, {400, 300}, Qt::RightButton); // cut at the level's edge, in the frame
    expect({290, 190, 10, 10}, kBlack, kBlack);
    e.key(Qt::Key_O, Qt::ShiftModifier);
    drag({100, 100}, {106, 104});
    expect({100, 100, 7, 5}, kInk, kWall,
           " ##### "
           "#######"
           "#######"
           "#######"
           " ##### ");
    EXPECT_TRUE(asExpected());
    for (int i = 0; i < 4; ++i)
        e.key(Qt::Key_Z, Qt::ControlModifier);
    colour = fresh, map = freshMap;
    EXPECT_TRUE(asExpected()) << "each shape was one step";

    // Zoomed in to 2, the shape covers the level pixels under the pointer.
    e.key(Qt::Key_R, Qt::ShiftModifier);
    e.key('+');
    const QPoint from = e->view().pixelUnder({20, 20}), to = e->view().pixelUnder({31, 31});
    EXPECT_EQ(to - from, QPoint(5, 5));
    drag({20, 20}, {31, 31});
    expect(QRect(from, to), kInk, kWall);
    EXPECT_TRUE(asExpected());
}

TEST_F(Shapes, OutlinesAreStampedWithTheBrushAlongTheShape) {
    e.key('1'); // a disc of radius 2
    e.key(Qt::Key_L);
    drag({100, 100}, {160, 100});
    drag({200, 150}, {200, 150}); // a line of one pixel: one stamp
    // Unbroken: the middle three rows all along, the outer two at the stamps' middles.
    expect({98, 100, 65, 1}, kInk, kWall);
    expect({99, 99, 63, 3}, kInk, kWall);
    expect({100, 98, 1, 5}, kInk, kWall);
    expect({160, 98, 1, 5}, kInk, kWall);
    for (int y : {98, 102})
        for (int x = 101; x < 160; ++x) {
            ASSERT_TRUE(e.colour().pixelAt(x, y) == kInk || e.colour().pixelAt(x, y) == kBlack);
            expect({x, y, 1, 1}, e.colour().pixelAt(x, y), e.map().pixelAt(x, y));
        }
    expect({198, 148, 5, 5}, kInk, kWall,
           "  #  "
           " ### "
           "#####"
           " ### "
           "  #  ");
    EXPECT_TRUE(asExpected());

    e.key(Qt::Key_O);
    drag({150, 40}, {190, 80});
    for (QPoint edge : {QPoint(150, 60), QPoint(190, 60), QPoint(170, 40), QPoint(170, 80)})
        EXPECT_EQ(e.map().pixelAt(edge.x(), edge.y()), kWall) << edge.x() << "," << edge.y();
    EXPECT_EQ(e.colour().pixelAt(170, 60), kBlack);
    e.key(Qt::Key_R, Qt::ShiftModifier);
    drag({30, 30}, {90, 80});
    e.key(Qt::Key_R);
    drag({40, 40}, {80, 70}, Qt::RightButton); // erases along the outline
    for (QPoint p : {QPoint(40, 40), QPoint(80, 70), QPoint(60, 40), QPoint(80, 55), QPoint(40, 38)})
        EXPECT_EQ(e.colour().pixelAt(p.x(), p.y()) | e.map().pixelAt(p.x(), p.y()), kBlack)
            << p.x() << "," << p.y();
    for (QPoint p : {QPoint(60, 55), QPoint(40, 37), QPoint(83, 55)})
        EXPECT_EQ(e.map().pixelAt(p.x(), p.y()), kWall) << p.x() << "," << p.y();
}

TEST_F(Shapes, CopyCutPasteAndDeleteCarryBothLayers) {
    for (int i = 0; i < 80; ++i)
        e.colour().setPixel(50 + i % 10, 40 + i / 10, rgb(i, 2 * i, 3)),
            e.map().setPixel(50 + i % 10, 40 + i / 10, i % 3 ? kWater : kBlack);
    colour = e.colour().image().copy(), map = e.map().image().copy();
    const QImage pieceColour = colour.copy(50, 40, 10, 8), pieceMap = map.copy(50, 40, 10, 8);
    e.key(Qt::Key_M);
    drag({50, 40}, {59, 47});
    EXPECT_EQ(e->selection(), QRect(50, 40, 10, 8));
    e.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(
        sameImage(pieceColour, QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32)));
    e.key(Qt::Key_V, Qt::ControlModifier);
    e->moveInViewport(Qt::NoButton, {}, {150, 100});
    EXPECT_TRUE(asExpected()) << "the paste floats";
    e.click({150, 100}); // its middle on the pointer
    EXPECT_EQ(e->chosenTool(), "Select");
    e.key(Qt::Key_V, Qt::ControlModifier);
    e.click({297, 198}); // cut at the level's edges
    e.key(Qt::Key_X, Qt::ControlModifier);
    expect({50, 40, 10, 8}, kBlack, kBlack);
    for (QPoint corner : {QPoint(145, 96), QPoint(292, 194)}) {
        QPainter(&colour).drawImage(corner, pieceColour);
        QPainter(&map).drawImage(corner, pieceMap);
    }
    EXPECT_TRUE(asExpected());
    drag({145, 96}, {146, 97});
    e.key(Qt::Key_Delete);
    expect({145, 96, 2, 2}, kBlack, kBlack);
    EXPECT_TRUE(asExpected());
    drag({10, 10}, {10, 10});
    EXPECT_TRUE(e->selection().isEmpty()) << "a click selects nothing, even with a move";
    e.key(Qt::Key_Z, Qt::ControlModifier); // Delete
    e.key(Qt::Key_Z, Qt::ControlModifier); // Cut
    EXPECT_TRUE(sameImage(pieceColour, e.colour().image().copy(50, 40, 10, 8)));
    EXPECT_TRUE(sameImage(pieceMap, e.map().image().copy(50, 40, 10, 8)));

    // Escape drops a floating paste; the brush is back.
    e.key(Qt::Key_V, Qt::ControlModifier);
    e.key(Qt::Key_Escape);
    e.click({200, 150});
    EXPECT_EQ(e->chosenTool(), "Brush");
    EXPECT_EQ(e.map().pixelAt(205, 150), kWall);

    // A picture from another program pastes as colour over black, wall where not black.
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 128));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 0));
    QGuiApplication::clipboard()->setImage(picture);
    e.key(Qt::Key_V, Qt::ControlModifier);
    e.click({100, 30});
    EXPECT_EQ(std::pair(e.colour().pixelAt(99, 30), e.map().pixelAt(99, 30)),
              std::pair(rgb(128, 0, 0), kWall));
    EXPECT_EQ(std::pair(e.colour().pixelAt(100, 30), e.map().pixelAt(100, 30)), std::pair(kBlack, kBlack));
}
