#include "command_test_support.h"

#include "command/numbers.h"
#include "config/key_bindings.h"
#include "sound/sound.h"

#include <climits>
#include <cmath>

TEST(WordToInt, ReadsLikeTheCLibraryClampedToInt) {
    struct Case {
        const char* word;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"-3", -3},
        {"+2", 2},
        {"007", 7},
        {"12AB", 12},
        {"1.9", 1},
        {"X", 0},
        {"", 0},
        {" 5", 5},
        {"--5", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"4294967297", INT_MAX},
        {"0X10", 0}, // decimal only
    };
    for (const Case& c : cases) EXPECT_EQ(wordToInt(c.word), c.value) << c.word;
}

// SET VOLUME takes a word reading 0 as silence only when it is a whole number.
TEST_F(CommandTest, VolumeZeroIsAnyWholeNumberSpellingOfIt) {
    startGame();
    struct Case {
        const char* word;
        bool whole;
        int volume; // after SET VOLUME 40, then SET VOLUME <word>
    };
    const Case cases[] = {
        {"0", true, 0},     {"00", true, 0},     {"000", true, 0},   {"-0", true, 0},
        {"+0", true, 0},    {"-00", true, 0},    {"100", true, 100}, {"007", true, 7},
        {"0.0", false, 40}, {"0X", false, 40},   {"-", false, 40},   {"", false, 40},
        {"+-0", false, 40}, {"LOUD", false, 40}, {"-1", true, 40},   {"101", true, 40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isWholeNumber(c.word), c.whole) << c.word;
        run("SET VOLUME 40");
        run(std::string("SET VOLUME ") + c.word);
        EXPECT_EQ(soundVolume(), c.volume) << c.word;
    }
}

TEST(WordToReal, ReadsLikeTheCLibrary) {
    EXPECT_EQ(wordToReal("0.5"), 0.5);
    EXPECT_EQ(wordToReal("-2E1X"), -20.0);
    EXPECT_EQ(wordToReal("GRAVITY"), 0.0);
    EXPECT_TRUE(std::isinf(wordToReal("1E999")));
    EXPECT_TRUE(std::isnan(wordToReal("NAN")));
}

// BIND and SET read a player number with the same reader: a word names player 1 in
// one exactly when it does in the other.
TEST_F(CommandTest, BindAndSetReadPlayerNumbersAlike) {
    startGame();
    for (const char* word : {"1", "+1", "01", "1X", "2", "0", "3", "-1", "X", "4294967297"}) {
        for (Player& p : players) p.setMaxHp(50);
        KeyBindings[0][ActionJump] = KeyBindings[1][ActionJump] = 0;
        run(std::string("BIND ") + word + " JUMP K");
        run(std::string("SET MAXHP ") + word + " 80");
        for (int row : {0, 1}) {
            const bool bound = KeyBindings[row][ActionJump] == 'K';
            const bool set = players[row].maxHp == 80;
            EXPECT_EQ(bound, set) << word << " player " << row + 1;
        }
    }
}
