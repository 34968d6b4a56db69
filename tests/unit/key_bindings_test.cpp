#include "command_test_support.h"

#include "config/key_bindings.h"

#include <cstring>

TEST(KeyCodeFromName, NamesFirstCharactersAndTheLayout) {
    struct Case {
        const char* name;
        std::uint16_t code;
    };
    const Case cases[] = {
        {"SPACE", 32},
        {"SHIFT", 16},
        {"CTRL", 17},
        {"ALT", 18},
        {"ENTER", 13},
        {"BACKSPACE", 8},
        {"TAB", 9},
        {"UP", 38},
        {"DOWN", 40},
        {"LEFT", 37},
        {"RIGHT", 39},
        {"NUM0", 96},
        {"NUM9", 105},
        {"F1", 112},
        {"F10", 121},
        {"F12", 123},
        // Not in the table: the first character decides.
        {"SPACEBAR", 83},
        {"SPACE BAR", 83},
        {"F13", 70},
        {"NUM10", 78},
        {"space", 83},
        {"A", 65},
        {"7", 55},
        {"1 JUMP", 49},
        {"+", 107},
        {"+ABC", 107},
        {"-", 109},
        {"*", 106},
        {"/", 111},
        {"`", 0},
        {"`X", 0},
        {";", 0xBA},
        {"=", 0xBB},
        {"[", 0xDB},
        {"\xe9", 255},
        {"", 50}, // an empty name is NUL, which the layout types as Ctrl+2
    };
    for (const Case& c : cases) EXPECT_EQ(KeyCodeFromName(c.name), c.code) << c.name;
}

TEST(ActionFromName, ExactUpperCaseNamesOnly) {
    EXPECT_EQ(ActionFromName("JUMP"), 0);
    EXPECT_EQ(ActionFromName("GRAPPLE"), 3);
    EXPECT_EQ(ActionFromName("AIMUP"), 6);
    EXPECT_EQ(ActionFromName("SWORD"), 9);
    for (const char* name : {"", "jump", "FIRE", "JUMP ", "JUMPS"})
        EXPECT_EQ(ActionFromName(name), -1) << name;
}

TEST(ParseBindArguments, SplitsAtSingleSpaces) {
    struct Case {
        const char* text;
        int row;
        int action;
        std::uint16_t key;
    };
    const Case cases[] = {
        {"2 JUMP NUM0", 1, 0, 96},
        {"1 JUMP SPACE BAR", 0, 0, 83},
        {"1  JUMP SPACE", 0, -1, 74}, // an empty action word
        {"1 JUMP", 0, 0, 49},         // no key name: the whole text is the key name
        {"JUMP", -1, 0, 74},          // no space: everything is every word
        {"X JUMP SPACE", -1, 0, 32},
        {"+3 JUMP A", 2, 0, 65},
        {" 2 JUMP A", -1, -1, 74}, // the player word is empty
        {"-2147483648 JUMP A", -2147483647 - 1, 0, 65},
        {"99999999999 JUMP A", 2147483646, 0, 65},
    };
    for (const Case& c : cases) {
        const BindRequest request = ParseBindArguments(c.text);
        EXPECT_EQ(request.row, c.row) << c.text;
        EXPECT_EQ(request.action, c.action) << c.text;
        if (c.action >= 0) {
            EXPECT_EQ(request.keyCode, c.key) << c.text;
        }
    }
}

class KeyBindingsTest : public CommandTest {
  protected:
    KeyBindingsTest() { std::memset(KeyBindings, 0, sizeof KeyBindings); }
    static std::uint16_t slot(int player, int action) { return KeyBindings[player - 1][action]; }
};

TEST_F(KeyBindingsTest, BindLines) {
    struct Case {
        const char* line;
        int player; // 0 when nothing may be stored
        int action;
        std::uint16_t code;
    };
    const Case cases[] = {
        {"bind 2 jump num0", 2, ActionJump, 96},
        {"BIND 1 JUMP SPACEBAR", 1, ActionJump, 83},
        {"BIND 1 JUMP F13", 1, ActionJump, 70},
        {"BIND 1 AIMUP +", 1, ActionAimUp, 107},
        {"BIND 1 AIMUP +PLUS", 1, ActionAimUp, 107},
        {"BIND 1 JUMP", 1, ActionJump, 49},
        {"BIND 1 JUMP SPACE BAR", 1, ActionJump, 83},
        {"BIND 2 SWORD ALT", 2, ActionSword, 18},
        {"BIND 1 JUMP `", 0, 0, 0},
        {"BIND 1  JUMP SPACE", 0, 0, 0},
        {"BIND 1 FIRE SPACE", 0, 0, 0},
        // Player numbers that name no row store nothing.
        {"BIND X JUMP SPACE", 0, 0, 0},
        {"BIND 0 JUMP SPACE", 0, 0, 0},
        {"BIND 3 JUMP SPACE", 0, 0, 0},
        {"BIND -1 JUMP SPACE", 0, 0, 0},
        {"BIND -2147483648 JUMP SPACE", 0, 0, 0},
        {"BIND 99999999999 JUMP SPACE", 0, 0, 0},
        {"BIND", 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::memset(KeyBindings, 0, sizeof KeyBindings);
        consoleText.clear();
        commandHistory.clear();
        run(c.line);
        std::uint16_t expected[2][actionSlots] = {};
        if (c.player) expected[c.player - 1][c.action] = c.code;
        EXPECT_EQ(std::memcmp(KeyBindings, expected, sizeof expected), 0) << c.line;
        // A refused BIND leaves no trace of its line.
        EXPECT_EQ(commandHistory.empty(), c.player == 0) << c.line;
    }
}

TEST_F(KeyBindingsTest, RefusedBindAbandonsTheLine) {
    run("BIND 1 FIRE SPACE; BIND 1 JUMP W");
    run("BIND 3 JUMP W;BIND 1 LEFT A");
    for (int action = 0; action < actionSlots; ++action) EXPECT_EQ(slot(1, action), 0);
    run("BIND 1 LEFT A;BIND 1 LEFT Q;ECHO DONE");
    EXPECT_EQ(slot(1, ActionLeft), 'Q');
    EXPECT_EQ(consoleText, "'DONE\r\n");
}

TEST_F(KeyBindingsTest, OneKeyMayDriveSeveralActions) {
    run({"BIND 1 LEFT A", "BIND 2 LEFT A", "BIND 2 RIGHT A"});
    EXPECT_EQ(slot(1, ActionLeft), 65);
    EXPECT_EQ(slot(2, ActionLeft), 65);
    EXPECT_EQ(slot(2, ActionRight), 65);
}

TEST_F(KeyBindingsTest, DefaultsFillTheNamedSlotsOnly) {
    KeyBindings[0][4] = 77; // an unnamed slot keeps what it had
    StoreDefaultBindings();
    const std::uint16_t player1[] = {32, 65, 68, 72, 77, 0, 87, 83, 71, 74};
    const std::uint16_t player2[] = {96, 37, 39, 101, 0, 0, 38, 40, 100, 102};
    for (int action = 0; action < 10; ++action) {
        EXPECT_EQ(slot(1, action), player1[action]) << action;
        EXPECT_EQ(slot(2, action), player2[action]) << action;
    }
    for (int action = 10; action < actionSlots; ++action) EXPECT_EQ(slot(1, action), 0);
}
