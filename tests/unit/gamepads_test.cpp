// Gamepads: their key names and codes, their levels in keyState through the real
// frame step, and the conversions the layers use.
#include "command_test_support.h"

#include "app/frame.h"
#include "app/gamepads.h"
#include "app/gamepads_headless.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "app/platform_headless.h"
#include "config/key_bindings.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string padName(int pad, int control) {
    return "PAD" + std::to_string(pad + 1) + std::string(padControlNames[control]);
}

std::uint8_t code(int pad, PadControl control) {
    return padKeyCodes[pad][control];
}

PadState& pad1 = headless_gamepads::pads[0];
PadState& pad2 = headless_gamepads::pads[1];

PadState holding(std::uint32_t buttons) {
    PadState pad;
    pad.connected = true;
    pad.buttons = buttons;
    return pad;
}

TEST(PadKeyNames, EveryNameGivesItsOwnCodeAndNoOtherNameGivesOne) {
    std::set<int> codes;
    for (int p = 0; p < padCount; ++p) {
        for (int c = 0; c < padControlCount; ++c) {
            const std::uint16_t got = KeyCodeFromName(padName(p, c));
            EXPECT_EQ(got, padKeyCodes[p][c]) << padName(p, c);
            codes.insert(got);
        }
    }
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(padCount * padControlCount));
    // Entry 0 is "unbound", 255 the layout's "no key", and the console key is its own.
    EXPECT_EQ(codes.count(0), 0u);
    EXPECT_EQ(codes.count(255), 0u);
    EXPECT_EQ(codes.count(keyForCharacter('`')), 0u);

    // No keyboard name reaches a pad code: every table name, every first character
    // (which covers every key the layout types) and names that only look like pads.
    std::vector<std::string> others = {
        "SHIFT", "CTRL",  "ALT",       "ENTER",        "BACKSPACE", "TAB",    "SPACE",  "UP",
        "DOWN",  "LEFT",  "RIGHT",     "NUM0",         "NUM9",      "F1",     "F12",    "PAD",
        "PAD1",  "PAD3A", "PAD0A",     "PAD1Z",        "PAD1AA",    "PAD1 A", "PAD12A", "PAD1a",
        "pad1a", "PADA",  "PAD1STICK", "PAD1STICKUPX", "PAD1LT ",   " PAD1A"};
    for (int c = 0; c < 256; ++c) others.push_back(std::string(1, static_cast<char>(c)));
    for (const std::string& name : others)
        EXPECT_EQ(codes.count(KeyCodeFromName(name)), 0u) << name;
    // A name that only starts like a pad still goes by its first character.
    EXPECT_EQ(KeyCodeFromName("PAD3A"), 'P');
    EXPECT_EQ(KeyCodeFromName("PAD1AA"), 'P');
}

using PadBindTest = CommandTest;

TEST_F(PadBindTest, EveryPadNameBindsInAnyCaseAndReplacesTheKeyboardKey) {
    startGame("BIND 1 JUMP SPACE\nBIND 2 SWORD NUM6\n");
    for (int p = 0; p < padCount; ++p) {
        for (int c = 0; c < padControlCount; ++c) {
            std::string name = padName(p, c);
            for (char& ch : name) ch = static_cast<char>(std::tolower(ch));
            run("bind " + std::to_string(2 - p) + " jump " + name + ";BIND 1 SWORD " +
                padName(p, c));
            EXPECT_EQ(KeyBindings[1 - p][ActionJump], padKeyCodes[p][c]) << name;
            EXPECT_EQ(KeyBindings[0][ActionSword], padKeyCodes[p][c]) << name;
        }
    }
    // Keys and pads side by side: the keyboard binding of another action stays.
    EXPECT_EQ(KeyBindings[1][ActionSword], 102);
}

// Through the real frame step, with the game's test keys and pad controls bound.
class PadPlayTest : public ::testing::Test {
  protected:
    PadPlayTest() {
        game().standOnFloor(1, 100.0f);
        game().standOnFloor(2, 600.0f);
    }
    HeadlessGame& game() { return arena.game(); }
    Player& player(int number) { return arena.player(number); }
    static void bind(const std::string& line) { ExecuteCommandLine(line); }

    Arena arena;
};

TEST_F(PadPlayTest, APadButtonBoundToJumpJumpsBesideTheKeyboard) {
    bind("BIND 1 JUMP PAD1A;BIND 2 JUMP PAD2A");
    pad1 = holding(padButton(PadA));
    pad2 = holding(padButton(PadB)); // pad 2 holds another button
    // Player 2's keyboard keys still work beside the pads.
    game().frame({player2Keys.right});
    EXPECT_EQ(player(1).vy, -7.0f);
    EXPECT_EQ(player(2).vy, 0.0f);
    EXPECT_GT(player(2).vx, 0.0f);
    EXPECT_EQ(keyState[code(0, PadA)], 1);
    EXPECT_EQ(keyState[code(1, PadB)], 1);
    EXPECT_EQ(keyState[code(1, PadA)], 0);
    EXPECT_EQ(headless_gamepads::reads, 1);
}

TEST_F(PadPlayTest, StickDirectionsArePastAQuarterOfTheTravel) {
    bind("BIND 1 LEFT PAD1STICKLEFT;BIND 1 RIGHT PAD1STICKRIGHT");
    struct Case {
        float x, y;
        bool left, right, up, down;
    };
    const Case cases[] = {
        {0.0f, 0.0f, false, false, false, false},
        {-0.2f, 0.2f, false, false, false, false},    // inside the dead zone
        {-0.25f, -0.25f, false, false, false, false}, // on its edge
        {-0.3f, 0.0f, true, false, false, false},
        {0.3f, 0.0f, false, true, false, false},
        {0.0f, 0.3f, false, false, true, false},
        {0.0f, -1.0f, false, false, false, true},
        {0.7f, 0.7f, false, true, true, false}, // a diagonal holds both directions
        {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(), false,
         false, false, true},
    };
    for (const Case& c : cases) {
        game().standOnFloor(1, 300.0f);
        pad1 = holding(0);
        pad1.stickX = c.x;
        pad1.stickY = c.y;
        game().frame();
        const std::string where = std::to_string(c.x) + ", " + std::to_string(c.y);
        EXPECT_EQ(keyState[code(0, PadStickLeft)], c.left) << where;
        EXPECT_EQ(keyState[code(0, PadStickRight)], c.right) << where;
        EXPECT_EQ(keyState[code(0, PadStickUp)], c.up) << where;
        EXPECT_EQ(keyState[code(0, PadStickDown)], c.down) << where;
        // The fighter walks exactly when a bound direction is held.
        const float vx = player(1).vx;
        EXPECT_EQ(vx < 0.0f, c.left) << where;
        EXPECT_EQ(vx > 0.0f, c.right) << where;
    }
}

TEST_F(PadPlayTest, ATriggerShootsPastHalfItsTravel) {
    bind("BIND 1 ATTACK PAD1RT;BIND 2 ATTACK PAD2LT");
    pad1 = holding(0);
    pad2 = holding(0);
    pad1.rightTrigger = 1.0f / 3.0f;
    pad2.leftTrigger = 1.0f / 3.0f;
    game().frames(30); // longer than the gun's cadence
    EXPECT_TRUE(bullets.empty());
    pad1.rightTrigger = 2.0f / 3.0f;
    game().frame();
    ASSERT_EQ(bullets.size(), 1u);
    EXPECT_EQ(bullets[0].shooter, 0);
    pad2.leftTrigger = 2.0f / 3.0f;
    pad1.rightTrigger = 0.0f;
    game().frame();
    ASSERT_EQ(bullets.size(), 2u);
    EXPECT_EQ(bullets[1].shooter, 1);
}

TEST_F(PadPlayTest, APadPulledOutWhileHeldCountsAsReleasedAndWorksWhenPluggedBackIn) {
    bind("BIND 1 RIGHT PAD1RIGHT;BIND 1 AIMUP PAD1LT");
    pad1 = holding(padButton(PadRight));
    pad1.leftTrigger = 1.0f;
    game().frames(20);
    EXPECT_EQ(player(1).vx, 3.0f);
    pad1.connected = false; // the rest of its state is stale
    game().frame();
    for (int c = 0; c < padControlCount; ++c) EXPECT_EQ(keyState[code(0, PadControl(c))], 0) << c;
    EXPECT_LT(player(1).vx, 3.0f); // friction: nothing holds the fighter's walk any more
    pad1.connected = true;         // plugged in again: held from the next frame on
    game().frame();
    EXPECT_EQ(keyState[code(0, PadRight)], 1);
    EXPECT_EQ(keyState[code(0, PadLT)], 1);
}

TEST_F(PadPlayTest, OpeningTheConsoleLetsGoOfThePadsForThatFrame) {
    bind("BIND 1 JUMP PAD1A");
    pad1 = holding(padButton(PadA));
    game().frame({keyForCharacter('`')});
    EXPECT_EQ(player(1).vy, 0.0f);
    EXPECT_EQ(keyState[code(0, PadA)], 0);
    // The next frame reads the pad again: its button is still held.
    game().frame();
    EXPECT_EQ(player(1).vy, -7.0f);
}

// The shipped config.cfg's pad binding, uncommented: its "// BIND ... PAD" lines.
std::string shippedPadBinding() {
    std::ifstream in(std::string(BRAWLEX_SOURCE_DIR) + "/data/config.cfg", std::ios::binary);
    std::string lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("// BIND ") && line.find(" PAD") != std::string::npos)
            lines += line.substr(3) + "\n";
    }
    return lines;
}

TEST_F(PadPlayTest, AWholeMatchOnPadsWithTheShippedPadBinding) {
    arena.folder().write("pads.cfg", shippedPadBinding());
    ExecuteCommandLine("EXEC pads.cfg");
    pad1 = holding(0);
    pad2 = holding(0);
    // Player 2 walks toward player 1 on his stick, then stands; player 1 fires on RT.
    pad2.stickX = -1.0f;
    game().frames(30);
    EXPECT_LT(player(2).x, 600.0f);
    pad2.stickX = 0.0f;
    pad1.rightTrigger = 1.0f;
    int frames = 0;
    while (headless_platform::messageBoxes.empty() && frames < 3000) {
        game().frame();
        ++frames;
    }
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u) << "after " << frames << " frames";
    EXPECT_EQ(headless_platform::messageBoxes[0].text, "Player 2 died.");
    // The new game cleared keyState; the pads are read again from the next frame on, so
    // player 2 plays on: his A jumps him off the floor once he has landed.
    pad1.rightTrigger = 0.0f;
    game().frames(200);
    EXPECT_TRUE(player(2).onGround);
    pad2.buttons = padButton(PadA);
    game().frame();
    EXPECT_EQ(player(2).vy, -7.0f);
}

TEST(PadLevels, WriteEveryPadEntryAndNoOther) {
    std::uint8_t keys[256];
    std::memset(keys, 7, sizeof keys);
    PadState pads[padCount];
    pads[0] = holding(~std::uint32_t{0}); // every button bit, the analog ones included
    pads[1] = holding(padButton(PadStart));
    pads[1].connected = false;
    writePadLevels(pads, keys);
    std::set<int> padCodes;
    for (int p = 0; p < padCount; ++p)
        for (int c = 0; c < padControlCount; ++c) padCodes.insert(padKeyCodes[p][c]);
    for (int k = 0; k < 256; ++k) {
        if (padCodes.count(k)) continue;
        EXPECT_EQ(keys[k], 7) << k;
    }
    // Buttons and d-pad from the bits; triggers and stick only from the analog values.
    for (int c = 0; c < padControlCount; ++c) {
        const bool analog = c == PadLT || c == PadRT || c >= PadStickUp;
        EXPECT_EQ(keys[padKeyCodes[0][c]], analog ? 0 : 1) << c;
        EXPECT_EQ(keys[padKeyCodes[1][c]], 0) << c;
    }
}

TEST(PadConversions, XInputButtonsTriggersAndStick) {
    // A, B, X, Y, LB, RB, BACK, START and the d-pad; the thumb buttons have no name.
    const PadState all = padFromXInput(0xF3FF, 128, 127, -32768, 32767);
    EXPECT_TRUE(all.connected);
    for (int c = 0; c < padControlCount; ++c) {
        const bool analog = c == PadLT || c == PadRT || c >= PadStickUp;
        EXPECT_EQ((all.buttons & padButton(PadControl(c))) != 0, !analog) << c;
    }
    std::uint8_t keys[256] = {};
    const PadState pads[padCount] = {all, padFromXInput(0x00C0, 0, 0, 8191, -8191)};
    writePadLevels(pads, keys);
    EXPECT_EQ(keys[code(0, PadLT)], 1); // 128 of 255 is past half
    EXPECT_EQ(keys[code(0, PadRT)], 0); // 127 is not
    EXPECT_EQ(keys[code(0, PadStickLeft)], 1);
    EXPECT_EQ(keys[code(0, PadStickUp)], 1);
    for (int c = 0; c < padControlCount; ++c) EXPECT_EQ(keys[padKeyCodes[1][c]], 0) << c;
    EXPECT_EQ(padFromXInput(0x0001, 0, 0, 0, 0).buttons, padButton(PadUp));
    EXPECT_EQ(padFromXInput(0x0020, 0, 0, 0, 0).buttons, padButton(PadBack));
    EXPECT_EQ(padFromXInput(0x8000, 0, 0, 0, 0).buttons, padButton(PadY));
}

TEST(PadConversions, StandardGamepadLayoutAndShortOrOddLists) {
    double values[17] = {};
    bool pressed[17] = {};
    const double axes[4] = {0.5, 0.5, -1.0, -1.0}; // right and down; the right stick is unread
    pressed[0] = pressed[9] = pressed[14] = pressed[16] = true;
    values[6] = 0.6;
    values[7] = 0.4;
    PadState pad = padFromStandardGamepad(axes, 4, values, pressed, 17);
    EXPECT_EQ(pad.buttons, padButton(PadA) | padButton(PadStart) | padButton(PadLeft));
    std::uint8_t keys[256] = {};
    PadState pads[padCount] = {pad, {}};
    writePadLevels(pads, keys);
    EXPECT_EQ(keys[code(0, PadStickRight)], 1);
    EXPECT_EQ(keys[code(0, PadStickDown)], 1);
    EXPECT_EQ(keys[code(0, PadStickUp)], 0);
    EXPECT_EQ(keys[code(0, PadLT)], 1);
    EXPECT_EQ(keys[code(0, PadRT)], 0);

    // A pad with fewer buttons and axes: nothing past the ends is read.
    pad = padFromStandardGamepad(axes, 1, values, pressed, 1);
    EXPECT_EQ(pad.buttons, padButton(PadA));
    EXPECT_EQ(pad.stickY, 0.0f);
    EXPECT_EQ(pad.leftTrigger, 0.0f);
    pad = padFromStandardGamepad(nullptr, 0, nullptr, nullptr, 0);
    EXPECT_TRUE(pad.connected);
    EXPECT_EQ(pad.buttons, 0u);

    // Values out of range or not numbers.
    const double odd[2] = {std::nan(""), 1e300};
    double oddValues[8] = {0, 0, 0, 0, 0, 0, -1e300, std::nan("")};
    pad = padFromStandardGamepad(odd, 2, oddValues, pressed, 8);
    EXPECT_EQ(pad.stickX, 0.0f);
    EXPECT_EQ(pad.stickY, -1.0f);
    EXPECT_EQ(pad.leftTrigger, 0.0f);
    EXPECT_EQ(pad.rightTrigger, 0.0f);
}

TEST(PadConversions, AxisStepsSpanMinusOneToOne) {
    EXPECT_EQ(padAxisFromSteps(-32768), -1.0f);
    EXPECT_EQ(padAxisFromSteps(32767), 1.0f);
    EXPECT_EQ(padAxisFromSteps(0), 0.0f);
    EXPECT_LE(padAxisFromSteps(8191), padStickDeadZone); // XInput's own dead zone is 7849
    EXPECT_GT(padAxisFromSteps(8193), padStickDeadZone);
}

TEST(PadSlotsTest, DevicesKeepTheirPadUntilRemoved) {
    PadSlots slots;
    EXPECT_EQ(slots.find(10), -1);
    EXPECT_EQ(slots.claim(10), 0);
    EXPECT_EQ(slots.claim(20), 1);
    EXPECT_EQ(slots.claim(10), 0);  // claiming again changes nothing
    EXPECT_EQ(slots.claim(30), -1); // a third pad plays no part
    slots.release(10);              // pad 1 pulled out: pad 2 stays pad 2
    EXPECT_FALSE(slots.taken(0));
    EXPECT_EQ(slots.find(20), 1);
    EXPECT_EQ(slots.claim(30), 0); // the next one takes the free pad 1
    EXPECT_EQ(slots.device(0), 30);
    slots.release(99); // not a pad: nothing
    slots.releasePad(1);
    slots.releasePad(-1);
    slots.releasePad(padCount);
    EXPECT_EQ(slots.find(20), -1);
    EXPECT_EQ(slots.device(1), -1);
    EXPECT_EQ(slots.device(5), -1);
}

// The shipped files: the pad binding config.cfg shows, and the listings' pad names.
class ShippedPadFilesTest : public CommandTest {};

TEST_F(ShippedPadFilesTest, ConfigShowsACompletePadBindingOfBothPlayers) {
    folder.copyGameFile("config.cfg");
    std::istringstream config(readFile("config.cfg"));
    std::string padLines;
    for (std::string line; std::getline(config, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("// BIND ") && line.find(" PAD") != std::string::npos) {
            EXPECT_LE(line.size() - 3, 127u) << line;
            padLines += line.substr(3) + "\n";
        }
    }
    folder.write("pads.cfg", padLines);
    startGame(nullptr);
    std::uint16_t keyboard[2][actionSlots];
    std::memcpy(keyboard, KeyBindings, sizeof keyboard);
    run("EXEC pads.cfg");
    const int actions[] = {ActionJump,  ActionLeft,    ActionRight,  ActionGrapple,
                           ActionAimUp, ActionAimDown, ActionAttack, ActionSword};
    for (int row = 0; row < 2; ++row) {
        std::set<int> used;
        for (int action : actions) {
            const std::uint16_t bound = KeyBindings[row][action];
            bool onOwnPad = false;
            for (int c = 0; c < padControlCount; ++c) onOwnPad |= bound == padKeyCodes[row][c];
            EXPECT_TRUE(onOwnPad) << "player " << row + 1 << " action " << action;
            used.insert(bound);
        }
        EXPECT_EQ(used.size(), 8u) << "player " << row + 1; // eight controls, none shared
    }
    // Commented out, so the shipped file itself binds the keyboard.
    EXPECT_NE(std::memcmp(keyboard, KeyBindings, sizeof keyboard), 0);
    EXPECT_EQ(keyboard[0][ActionJump], 32);
}

TEST_F(ShippedPadFilesTest, ListingsAndConfigNameEveryPadControl) {
    folder.copyGameFile("cmdlist.txt");
    folder.copyGameFile("config.cfg");
    folder.copyGameFile("autoexec.cfg");
    for (const char* file : {"cmdlist.txt", "config.cfg"}) {
        const std::string text = readFile(file);
        for (int c = 0; c < padControlCount; ++c)
            EXPECT_NE(text.find(padName(0, c)), std::string::npos) << file << " " << padName(0, c);
        EXPECT_NE(text.find("PAD2"), std::string::npos) << file;
    }
    EXPECT_NE(readFile("autoexec.cfg").find("PAD"), std::string::npos);
}

} // namespace
