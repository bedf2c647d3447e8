#include "support/TestEditor.h"

using namespace vortan::test;

TEST(NavigatorAndThumbnail, ShowTheWholeLayerScrollOnClicksAndFollowTheLevel) {
    TestEditor e(808, 808); // 8 level pixels a navigator pixel
    e.colour().fillRect(400, 0, 807, 807, rgb(9, 9, 9));
    e.map().fillRect(0, 0, 807, 807, kWater);
    EXPECT_TRUE(e->view().navigatorStale()); // the level said it changed
    e->refreshNavigatorIfStale();
    EXPECT_FALSE(e->view().navigatorStale());
    const Picture& layer = e.colour();
    EXPECT_TRUE(pixelsAre(e->view().navigator(), [&](int x, int y) { return layer.pixelAt(8 * x, 8 * y); }));
    auto offset = [&] { return QPoint(e->view().xOffset(), e->view().yOffset()); };
    e->pressInNavigator({10, 5});
    e->moveInNavigator(Qt::NoButton, {99, 99});
    for (QPointF frame : {QPointF(-1, 5), QPointF(101, 5), QPointF(5, -1), QPointF(5, 100)})
        e->pressInNavigator(frame);
    EXPECT_EQ(offset(), QPoint(80, 40));
    e->moveInNavigator(Qt::LeftButton, {99, 99});
    EXPECT_EQ(offset(), QPoint(808 - 623, 808 - 516));
    e->pressInNavigator({0, 0});
    EXPECT_EQ(offset(), QPoint(0, 0));
    e->showView(View::Shown::Map);
    EXPECT_EQ(e->view().navigator().pixelAt(30, 10), kWater);
    for (bool changed : {false, true}) { // the Thumbnail view rebuilds it only after a change
        e->showView(View::Shown::Level);
        e.level().setModified(changed);
        e->showView(View::Shown::Thumbnail);
        EXPECT_EQ(e->view().thumbnail().pixelAt(33, 48), changed ? kBlack : kWhite); // framed from column 33
    }
}
