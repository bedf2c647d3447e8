#include "support/ImageCompare.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {
// A picture with n different colours in reading order, then repeats.
QImage manyColours(int w, int h, int n) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0, i = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, ++i)
            img.setPixel(x, y, toPixel(RGB(i % n, (i % n) / 2, 7)));
    return img;
}
} // namespace

TEST(Palette, LevelImageStopsAtTheLimitAndWarns) {
    TestEditor e;
    e->Level[0].setPicture(manyColours(50, 10, 300));
    e->progressSum = 0;
    e->progressPhases = 1;
    int yields = 0;
    e->yieldHook = [&] { ++yields; };
    e.ui.answers = {MsgAnswer::OK};
    e->clut.clearClut();
    e->fillClut(Editor::ClutSource::LevelImage);
    EXPECT_EQ(e->clut.count, 192);
    EXPECT_EQ(e->clut.red[191], 191); // the 192nd new colour in reading order
    EXPECT_EQ(yields, 4);             // row 3 holds the 192nd colour: the scan stops after it
    EXPECT_EQ(e->controls.rValue, "100%"); // the rows left unscanned count as done
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0].title, " WARNING! ");
    EXPECT_EQ(e.ui.messages[0].text,
              " To many colors! (192) Try to keep below 192. \n\r Your level may look strange. ");
    EXPECT_EQ(e.ui.messages[0].buttons, MsgButtons::OK);
    EXPECT_EQ(e.ui.messages[0].icon, MsgIcon::Critical);
}

TEST(Palette, FewColoursAndTheThumbnailGiveNoWarning) {
    TestEditor e;
    e->Level[0].setPicture(filledImage(30, 20, RGB(4, 5, 6)));
    e->progressPhases = 1;
    e->clut.clearClut();
    e->fillClut(Editor::ClutSource::LevelImage);
    EXPECT_EQ(e->clut.count, 1);
    EXPECT_EQ(e->clut.genPal(), QByteArray("\x00\x04\x05\x06", 4));

    e->thumbNail.setPicture(manyColours(192, 177, 1000));
    e->clut.clearClut();
    e->fillClut(Editor::ClutSource::Thumbnail);
    EXPECT_EQ(e->clut.count, 128);
    EXPECT_TRUE(e.ui.messages.empty());
}
