#include "dialogs/Forms.h"
#include "core/History.h"
#include "core/Memory.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRandom.h"

#include <gtest/gtest.h>

using namespace vortan::test;

const float kLargestDraw = std::nextafter(1.0f, 0.0f); // 0.99999994
struct NewLevelDialog : ::testing::Test {
    ScriptedDialogs ui;
    ScriptedRandom random;
    NewLevelForm form{ui, random, 24ll << 30}; // this machine's 24 GiB
};

TEST_F(NewLevelDialog, SizeWarnsOfLevelsTheGameWillNotLoad) {
    ui.answers = {MsgAnswer::Cancel};
    // The message shows once for each change that reaches 2 MB; the fields keep what was typed.
    // clang-format off
    for (auto [w, h, size, background, messages] : {std::tuple{"1280", "768", " 983040", rgb(255, 255, 0), 0u},
             {"1500", "600", " 900000", kWhite, 0u}, {"1500", "601", " 901500", rgb(255, 255, 0), 0u},
             {"2048", "1024", " 2097152", rgb(255, 0, 0), 1u}, {"2048", "1024", " 2097152", rgb(255, 0, 0), 1u}}) {
        // clang-format on
        form.setWidthText(w);
        form.setHeightText(h);
        EXPECT_EQ(std::tuple(form.sizeText().toStdString(), form.sizeBackground(), ui.messages.size()),
                  std::tuple(size, background, messages));
    }
    const ScriptedDialogs::Message& m = ui.messages[0];
    EXPECT_EQ(m.title + "|" + m.text, "Level to large!|VORTAN will not load levels larger than 2MB!");
    EXPECT_TRUE(m.buttons == MsgButtons::OKCancel && m.icon == MsgIcon::None && form.widthText() == "2048");
}

TEST_F(NewLevelDialog, RandomNamesAndSizes) {
    // Sizes of 1952 x 1080 and of exactly 2000 x 1000 are drawn again; the largest draws give 1119 and 2039.
    random.draws = {0.4f, 0.99f, kLargestDraw, 0.9f}; // the empty noun again, the empty adjective and Fjord
    form.pickRandomName();
    random.draws = {0.9375f, 0.9375f, 0.0f, kLargestDraw, 0.9715f, 0.8125f, kLargestDraw, 0.0f};
    ui.answers = {MsgAnswer::OK, MsgAnswer::OK};
    for (auto [w, h] : {std::pair{" 640", " 1119"}, {" 2039", " 480"}}) {
        form.pickRandomSize();
        EXPECT_EQ(std::pair(form.widthText(), form.heightText()), std::pair(QString(w), QString(h)));
    }
    EXPECT_TRUE(random.draws.empty() && ui.messages.size() == 2);
    EXPECT_EQ(std::pair(form.name(), form.chosenName()), std::pair(QString(" Fjord"), QString("Fjord")));
}

// Numbers go to the nearest pixel, a tie to the even one. The memory bounds the level too:
// two layers and one more beside the history's 256 MB.
TEST_F(NewLevelDialog, OkRefusesSizesThatMakeNoLevel) {
    // clang-format off
    for (auto [w, h, ok, size] : {std::tuple{"0", "100", false, QSize()}, {"0.4", "100", false, QSize()},
             {"12abc", "100", false, QSize()}, {"100", "-4", false, QSize()}, {"nan", "100", false, QSize()},
             {"inf", "100", false, QSize()}, {"3e9", "1", false, QSize()}, {"100000", "100000", false, QSize()},
             {"8193", "8192", false, QSize()}, {"1280.6", "1e3", true, QSize(1281, 1000)},
             {"12.5", "13.5", true, QSize(12, 14)}, {" 1 ", "+1", true, QSize(1, 1)},
             {"8192", "8192", true, QSize(8192, 8192)}}) {
        // clang-format on
        ui.messages.clear();
        ui.answers = {MsgAnswer::OK, MsgAnswer::OK, MsgAnswer::OK};
        form.setWidthText(w);
        form.setHeightText(h);
        const bool accepted = form.accept();
        EXPECT_EQ(std::tuple(accepted, form.accepted(), ok ? form.chosenSize() : QSize()),
                  std::tuple(ok, ok, size))
            << w << " x " << h;
        EXPECT_EQ(!ui.messages.empty() && ui.messages.back().title == "New Level", !ok) << w << " x " << h;
    }
    NewLevelForm small{ui, random, History::kDefaultLimit + 12 * 1000 * 1000};
    ui.messages.clear();
    ui.answers = {MsgAnswer::OK};
    for (auto [w, ok] : {std::pair{"1001", false}, {"1000", true}}) {
        small.setWidthText(w);
        small.setHeightText("1000");
        EXPECT_EQ(small.accept(), ok) << w;
    }
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(largestLevel(24ll << 30, History::kDefaultLimit), kMaxPicturePixels); // 8192 x 8192 here
}

// Resize Level starts from the level's size without a warning, warns and refuses as New
// does, and places the level by its anchor: halves towards zero, the odd pixel right and down.
TEST(ResizeLevelForm, StartsAtTheLevelsSizeAndPlacesItByTheAnchor) {
    ScriptedDialogs ui;
    ui.answers = {MsgAnswer::OK, MsgAnswer::OK};
    ResizeLevelForm form{ui, 24ll << 30};
    form.begin({3000, 1000});
    EXPECT_EQ(std::tuple(form.widthText(), form.heightText(), form.sizeBackground(), ui.messages.size(),
                         form.anchor()),
              std::tuple(QString("3000"), QString("1000"), rgb(255, 0, 0), size_t(0), 4));
    form.setHeightText("1001");
    form.setWidthText("0");
    EXPECT_FALSE(form.accept() || form.accepted());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].title, "Level to large!");
    EXPECT_EQ(ui.messages[1].title + "|" + ui.messages[1].text,
              "Resize Level|The width must be a number of pixels, 1 or more.");
    form.begin({30, 20});
    for (auto [w, h, shifts] : {std::tuple{"37", "25", std::array{QPoint(0, 0), QPoint(3, 2), QPoint(7, 5)}},
                                {"23", "14", std::array{QPoint(0, 0), QPoint(-3, -3), QPoint(-7, -6)}}}) {
        form.setWidthText(w);
        form.setHeightText(h);
        ASSERT_TRUE(form.accept());
        for (int anchor = 0; anchor < 9; ++anchor) {
            form.setAnchor(anchor);
            EXPECT_EQ(form.shift(), QPoint(shifts[size_t(anchor % 3)].x(), shifts[size_t(anchor / 3)].y()))
                << w;
        }
    }
}
