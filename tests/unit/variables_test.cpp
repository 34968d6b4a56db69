#include "command_test_support.h"

#include "game/game_state.h"

class VariablesTest : public CommandTest {
  protected:
    VariablesTest() { startGame(); }
};

TEST_F(VariablesTest, StartsFromTheConstructedPlayers) {
    for (int number : {1, 2}) {
        EXPECT_EQ(game->player(number).maxHp, 50);
        EXPECT_EQ(game->player(number).hp, 50);
        EXPECT_EQ(game->player(number).jumpVelocity, -7.0f);
    }
    EXPECT_EQ(gravity, 0.25f);
}

TEST_F(VariablesTest, HitPoints) {
    struct Case {
        const char* line;
        int hp1, maxHp1, hp2, maxHp2;
    };
    const Case cases[] = {
        {"SET HP 1 30", 30, 50, 50, 50},
        {"SET HP 1 500", 500, 50, 50, 50}, // above the maximum is allowed
        {"SET HP 1 0", 50, 50, 50, 50},
        {"SET HP 1 -5", 50, 50, 50, 50},
        {"SET HP 1 X", 50, 50, 50, 50},
        {"SET MAXHP 2 150", 50, 50, 150, 150},
        {"SET MAXHP 2 0", 50, 50, 50, 50},
        {"SET MAXHP 2 -1", 50, 50, 50, 50},
        {"SET MAXHP 1 99999999999", 2147483647, 2147483647, 50, 50}, // clamped, not UB
        {"set hp 2 7", 50, 50, 7, 50},
        // Player numbers that name no player change nothing.
        {"SET HP 0 30", 50, 50, 50, 50},
        {"SET HP 3 30", 50, 50, 50, 50},
        {"SET HP -1 30", 50, 50, 50, 50},
        {"SET HP X 30", 50, 50, 50, 50},
        {"SET MAXHP 4294967297 80", 50, 50, 50, 50},
        {"SET HP", 50, 50, 50, 50},
    };
    for (const Case& c : cases) {
        for (Player& p : players) {
            p.setMaxHp(50);
            p.refillHp();
        }
        run(c.line);
        EXPECT_EQ(game->player(1).hp, c.hp1) << c.line;
        EXPECT_EQ(game->player(1).maxHp, c.maxHp1) << c.line;
        EXPECT_EQ(game->player(2).hp, c.hp2) << c.line;
        EXPECT_EQ(game->player(2).maxHp, c.maxHp2) << c.line;
    }
    run({"SET HP 1 3", "SET HP 1 MAX"});
    EXPECT_EQ(game->player(1).hp, 50);
}

TEST_F(VariablesTest, AimAngleRangeAndTheAbandonedLine) {
    struct Case {
        const char* line;
        float aim1;  // absolute, player 1 faces right
        bool echoed; // false when the line was abandoned
    };
    const Case cases[] = {
        {"SET AIMANGLE 1 89", 89.0f, true},  {"SET AIMANGLE 1 -89", -89.0f, true},
        {"SET AIMANGLE 1 90", 10.0f, true},  {"SET AIMANGLE 1 -90", 10.0f, true},
        {"SET AIMANGLE 1 500", 10.0f, true}, {"SET AIMANGLE 1 0", 0.0f, true},
        {"SET AIMANGLE 1 X", 10.0f, false},  {"SET AIMANGLE 1 0.0", 10.0f, false},
        {"SET AIMANGLE 1 -0", 10.0f, false}, {"SET AIMANGLE 1 30X", 30.0f, true},
        {"SET AIMANGLE 1", 10.0f, false},  // the missing value reads "SET"
        {"SET AIMANGLE 3 X", 10.0f, true}, // no such player: nothing, line goes on
    };
    for (const Case& c : cases) {
        game->player(1).setAimAngle(10);
        consoleText.clear();
        run(std::string(c.line) + ";ECHO AFTER");
        EXPECT_EQ(game->player(1).aimAngle, c.aim1) << c.line;
        EXPECT_EQ(consoleText.find("'AFTER") != std::string::npos, c.echoed) << c.line;
    }
    // Facing left, a relative angle is mirrored.
    run({"SET DIR 2 LEFT", "SET AIMANGLE 2 30"});
    EXPECT_EQ(game->player(2).aimAngle, 150.0f);
    EXPECT_EQ(game->player(2).relativeAimAngle(), 30);
}

TEST_F(VariablesTest, DirectionAndPosition) {
    run("SET DIR 1 LEFT");
    EXPECT_EQ(game->player(1).facing, 1);
    run("SET DIRECTION 1 UP");
    EXPECT_EQ(game->player(1).facing, 1);
    run("set direction 1 right");
    EXPECT_EQ(game->player(1).facing, 0);
    run("SET DIR LEFT 1"); // LEFT is no player number
    EXPECT_EQ(game->player(1).facing, 0);

    run("SET POS 1 100 200");
    EXPECT_EQ(game->player(1).position().x, 100.0f);
    EXPECT_EQ(game->player(1).position().y, 200.0f);
    run("SET POSITION 2 -40 7");
    EXPECT_EQ(game->player(2).position().x, -40.0f);
    EXPECT_EQ(game->player(2).position().y, 7.0f);
    run("SET POS 1 100"); // y reads the word "SET": 0
    EXPECT_EQ(game->player(1).position().y, 0.0f);
    run("SET POS 9 1 1");
    EXPECT_EQ(game->player(1).position().x, 100.0f);
    EXPECT_EQ(game->player(2).position().x, -40.0f);
}

TEST_F(VariablesTest, Gravity) {
    struct Case {
        const char* line;
        float gravity;
    };
    const Case cases[] = {
        {"SET GRAV VERYLOW", 0.05f},
        {"SET GRAV LOW", 0.1f},
        {"SET GRAVITY NORMAL", 0.25f},
        {"SET GRAV HIGH", 0.45f},
        {"SET GRAV VERYHIGH", 1.0f},
        {"SET GRAV 0", 0.0f},
        {"SET GRAV -0.5", -0.5f},
        {"set grav 2", 2.0f},
        {"SET GRAV ZERO", 0.3f},
        {"SET GRAV 0.0", 0.3f},
        {"SET GRAV -0", 0.3f},
        {"SET GRAV", 0.3f},
        {"SET GRAV 1 HIGH", 1.0f}, // no player number: the level word is "1"
        // Values no float can hold are not stored.
        {"SET GRAV 1E999", 0.3f},
        {"SET GRAV -1E999", 0.3f},
        {"SET GRAV 1E39", 0.3f},
        {"SET GRAV INF", 0.3f},
        {"SET GRAV NAN", 0.3f},
    };
    for (const Case& c : cases) {
        gravity = 0.3f;
        run(c.line);
        EXPECT_EQ(gravity, c.gravity) << c.line;
    }
}

TEST_F(VariablesTest, JumpVelocity) {
    struct Case {
        const char* line;
        float velocity2;
    };
    const Case cases[] = {
        {"SET JUMPVEL 2 NORMAL", -7.0f}, {"SET JUMPVELOCITY 2 9", -9.0f},
        {"SET JUMPVEL 2 -4.5", -4.5f},   {"SET JUMPVEL 2 0", 0.0f},
        {"SET JUMPVEL 2 HIGH", -3.0f},   {"SET JUMPVEL 2 0.0", -3.0f},
        {"SET JUMPVEL 2 1E999", -3.0f},  {"SET JUMPVEL 2 NAN", -3.0f},
        {"SET JUMPVEL 2 -INF", -3.0f},   {"SET JUMPVEL 0 5", -3.0f},
    };
    for (const Case& c : cases) {
        game->player(2).setJumpVelocity(-3.0f);
        run(c.line);
        EXPECT_EQ(game->player(2).jumpVelocity, c.velocity2) << c.line;
        EXPECT_EQ(game->player(1).jumpVelocity, -7.0f) << c.line;
    }
}

TEST_F(VariablesTest, UnknownOrMissingNamesDoNothing) {
    run({"SET", "SET SPEED 1 5", "SET  HP 1 5"});
    EXPECT_EQ(game->player(1).hp, 50);
    EXPECT_EQ(gravity, 0.25f);
    // The last word read decides the echo: the value word, here "ECHO".
    run("SET DIR 1 ECHO");
    EXPECT_EQ(commandHistory.front(), "SET  HP 1 5"); // the ECHO line was not recorded
}
