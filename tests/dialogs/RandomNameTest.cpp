#include "support/ScriptedRandom.h"
#include "support/TestEditor.h"

using namespace vortan;
using namespace vortan::test;

namespace {

// The name from these draws, and how many of them it took.
std::pair<QString, int> nameFrom(TestEditor& e, std::deque<float> draws) {
    auto* r = new ScriptedRandom(std::move(draws));
    e->random.reset(r);
    const QString name = e->randomName();
    EXPECT_TRUE(r->draws.empty()) << "draws left over";
    return {name, r->drawn};
}

} // namespace

TEST(RandomName, AnAdjectiveAndANounFromTwoDraws) {
    TestEditor e;
    EXPECT_EQ(nameFrom(e, {0.0f, 0.0f}), std::make_pair(QString("Magnificent Castle"), 2));
    // 0.4 * 15 = 6 and 0.7 * 15 = 10.5.
    EXPECT_EQ(nameFrom(e, {0.4f, 0.7f}), std::make_pair(QString("Scorched Dreamspace"), 2));
    // The largest draw stays on the last entry: the empty adjective, then Fjord.
    EXPECT_EQ(nameFrom(e, {0.99999994f, 0.93333f}), std::make_pair(QString(" Fjord"), 2));
}

TEST(RandomName, TheEmptyAdjectiveLeavesALeadingSpace) {
    TestEditor e;
    EXPECT_EQ(nameFrom(e, {0.95f, 0.1f}).first, " Cave");
}

TEST(RandomName, AnEmptyNounDrawsBothWordsAgain) {
    TestEditor e;
    // Magnificent and the empty noun, then Groovy Fjord.
    EXPECT_EQ(nameFrom(e, {0.0f, 0.99f, 0.2f, 0.9f}), std::make_pair(QString("Groovy Fjord"), 4));
    // Twice in a row.
    EXPECT_EQ(nameFrom(e, {0.6f, 0.95f, 0.6f, 0.95f, 0.6f, 0.5f}),
              std::make_pair(QString("Crazy Parish"), 6));
}

TEST(RandomName, WordsLoseTheirSurroundingSpaces) {
    TestEditor e;
    e->nameAdjectives[0] = "  Windy ";
    e->nameNouns[0] = " Pit  ";
    EXPECT_EQ(nameFrom(e, {0.0f, 0.0f}).first, "Windy Pit");
}
