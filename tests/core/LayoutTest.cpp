#include "core/Layout.h"
#include "core/Numbers.h"
#include "support/TestEditor.h"

#include <gtest/gtest.h>

using namespace vortan;

TEST(Numbers, MinMaxAndRounding) {
    EXPECT_EQ(minOf(5, 5), 5);
    EXPECT_EQ(minOf(7, 3), 3);
    EXPECT_EQ(maxOf(-1, 0), 0);
    EXPECT_EQ(maxOf(4, 4), 4);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(0.5f), 0);
    EXPECT_EQ(roundHalfEven(2.51), 3);
}

TEST(LayoutRule, FillsTheWindowLessTheMarginButNeverPastTheLayer) {
    // 13500 units of window (900 px) and a layer of 12375 (825 px): 11500 units, 766.7 px.
    EXPECT_EQ(viewPortExtent(900, 825, 2000), 767);
    // A layer of 9000 units (600 px) is smaller than the room: the layer's size.
    EXPECT_EQ(viewPortExtent(900, 600, 2000), 600);
    // Narrower than 2010 units: 10 units, which is less than a pixel.
    EXPECT_EQ(viewPortExtent(130, 825, 2000), 1);
    EXPECT_EQ(viewPortExtent(0, 825, 2000), 1);
    // The start window: 760 x 573 client.
    EXPECT_EQ(layoutViewPort({760, 573}, {825, 673}), QSize(627, 520));
}

TEST(LayoutRule, NavigatorHeightFollowsTheLevelsProportions) {
    EXPECT_EQ(navigatorOuterHeight(673, 821.0f / 101.0f), 85);
    EXPECT_EQ(navigatorOuterHeight(1123, 1639.0f / 101.0f), 71);
    EXPECT_EQ(navigatorOuterHeight(5, 0.0f), 2);
}

TEST(LayoutRule, EditorSizesTheViewPortOnResize) {
    test::TestEditor e;
    e->Form_Resize({900, 700});
    EXPECT_EQ(e->controls.viewPortOuter, QSize(767, 647));
    EXPECT_EQ(e->viewPort.ScaleWidth(), 763);
    EXPECT_EQ(e->viewPort.ScaleHeight(), 643);
    // Larger than the level: the viewport stops at the level's outer size.
    e->Form_Resize({2000, 1500});
    EXPECT_EQ(e->controls.viewPortOuter, QSize(825, 673));
    EXPECT_EQ(e->viewPort.ScaleWidth(), 821);
    // A tiny window keeps the editor running with an empty viewport.
    e->Form_Resize({50, 20});
    EXPECT_EQ(e->viewPort.ScaleWidth(), 0);
    e->updateViewPort(5, 5);
    EXPECT_EQ(e->viewPortXoff, 5);
}
