// Damage, death, the death message and the new game after it.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "app/platform_headless.h"
#include "game/damage.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(DeathMessage, TextCaptionAndStyleByCause) {
    struct Case {
        int side, cause;
        unsigned phrase;
        const char* text;
        const char* caption;
        unsigned style;
    };
    const Case cases[] = {
        {1, CauseHeadshot, 0, "Player 2 died with a bullet through his head!", "Headshot",
         MessageBoxIconHand},
        {1, CauseHeadshot, 1, "Player 2 died headless...", "Headshot", MessageBoxIconHand},
        {0, CauseHeadshot, 2, "Player 1 died of scrambled brains.", "Headshot", MessageBoxIconHand},
        {0, CauseSword, 0, "Player 1 died by his enemy's sword.", "Swordkill",
         MessageBoxIconExclamation},
        {1, CauseSword, 1, "Player 2 died in two pieces...", "Swordkill",
         MessageBoxIconExclamation},
        {1, CauseSword, 5, "Player 2 died from a split skull.", "Swordkill",
         MessageBoxIconExclamation},
        {0, CauseBullet, 1, "Player 1 died.", "Game Over", MessageBoxOk},
        {1, 77, 0, "Player 2 died.", "Game Over", MessageBoxOk},
    };
    for (const Case& c : cases) {
        const DeathMessage m = composeDeathMessage(c.side, c.cause, c.phrase);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(m.style, c.style);
    }
}

TEST(DeathMessage, EveryPhraseCanBePicked) {
    std::set<unsigned> seen;
    for (int i = 0; i < 200; ++i) seen.insert(randomPhrase());
    EXPECT_EQ(seen, (std::set<unsigned>{0, 1, 2}));
}

TEST(Damage, LowersHitPointsAndTheFirstLethalCauseCounts) {
    Arena arena;
    Player& p = arena.player(2);
    p.hp = 3;
    p.damage(2, CauseBullet);
    EXPECT_EQ(p.hp, 1);
    EXPECT_FALSE(p.dead);
    p.damage(1, CauseBullet);
    EXPECT_TRUE(p.dead);
    EXPECT_EQ(p.deathCause, CauseBullet);
    p.damage(3, CauseHeadshot); // a dead player takes no more
    p.damage(30, CauseSword);
    EXPECT_EQ(p.hp, 0);
    EXPECT_EQ(p.deathCause, CauseBullet);
}

TEST(Damage, ASwordBlowDropsTheHookAndOnlyDamageKills) {
    Arena arena;
    Player& p = arena.player(1);
    p.grappleState = GrappleOpponent;
    p.grappleCharge = 7;
    p.damage(12, CauseSword);
    EXPECT_EQ(p.hp, 38);
    EXPECT_EQ(p.grappleState, GrappleNone);
    EXPECT_EQ(p.grappleCharge, 0);
    EXPECT_FALSE(p.dead);

    p.setHp(0); // shows 0 but lives...
    arena.game().frames(10);
    EXPECT_FALSE(p.dead);
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
    p.damage(1, CauseBullet); // ...until the next damage of any amount
    EXPECT_TRUE(p.dead);
}

TEST(Damage, HitPointsSaturateInsteadOfWrapping) {
    Arena arena;
    Player& p = arena.player(1);
    p.setHp(-2147483647 - 1 + 5);
    p.dead = 0;
    // Already at or below zero: this damage kills; the sum must not wrap around.
    p.damage(30, CauseSword);
    EXPECT_TRUE(p.dead);
    EXPECT_LE(p.hp, 0);
}

// Player 2 stands still in the air at (400, 300); a still bullet of player 1 is
// put in his head so that it hits in the next frame step.
void headShot(Arena& arena) {
    Player& target = arena.player(2);
    target.x = 400.0f;
    target.y = 300.0f;
    target.vx = target.vy = 0.0f;
    Bullet bullet(415.0f, 305.0f, 0, 0);
    bullet.dx = bullet.dy = 0.0f;
    bullets.push_back(bullet);
}

TEST(Death, SevenUpdatesAfterAHeadShotTheMessageAndANewGame) {
    Arena arena;
    const float restartX = static_cast<float>(playArea.right - 30); // player 2's start
    arena.player(2).hp = 3;
    arena.player(1).setMaxHp(80);
    headShot(arena);
    arena.game().frame();
    ASSERT_TRUE(arena.player(2).dead);
    EXPECT_EQ(arena.player(2).deathCause, CauseHeadshot);
    EXPECT_EQ(arena.player(2).hp, 0);

    // A bullet that stays where player 2 will stand after the restart: in flight
    // through the restart frame, it hits him there once, then is gone.
    Bullet waiting(restartX + 15.0f, 10.0f, 0, 0);
    waiting.dx = waiting.dy = 0.0f;
    bullets.push_back(waiting);

    arena.game().frames(6, {player1Keys.right});
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
    EXPECT_EQ(arena.player(2).deathTimer, 6);

    int bulletsWhileShown = -1;
    headless_platform::onMessageBox = [&](const RecordedMessageBox&) {
        bulletsWhileShown = static_cast<int>(bullets.size());
    };
    arena.game().frame({player1Keys.right});
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
    const RecordedMessageBox& box = headless_platform::messageBoxes[0];
    EXPECT_EQ(box.caption, "Headshot");
    EXPECT_EQ(box.style, MessageBoxIconHand);
    EXPECT_EQ(box.owner, mainWindow);
    const std::set<std::string> texts = {"Player 2 died with a bullet through his head!",
                                         "Player 2 died headless...",
                                         "Player 2 died of scrambled brains."};
    EXPECT_TRUE(texts.count(box.text)) << box.text;
    EXPECT_EQ(bulletsWhileShown, 1);

    // The new game: both players fresh at their starting places, no key held,
    // the waiting bullet spent on the restarted player 2, the list emptied.
    Player& p2 = arena.player(2);
    EXPECT_FALSE(p2.dead);
    EXPECT_EQ(p2.deathTimer, 0);
    EXPECT_EQ(p2.x, restartX);
    EXPECT_EQ(p2.y, 0.0f);
    EXPECT_EQ(p2.hp, 47);
    EXPECT_EQ(arena.player(1).hp, 80);
    EXPECT_EQ(arena.player(1).x, 0.0f);
    EXPECT_EQ(arena.player(1).gunCooldown, 0u);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(keyState[k], 0) << k;
    EXPECT_TRUE(bullets.empty());
    EXPECT_EQ(clearBulletsRequested, 0);

    arena.game().frames(10);
    EXPECT_EQ(headless_platform::messageBoxes.size(), 1u);
}

TEST(Death, ABodyThenALegsShotIsGameOver) {
    Arena arena;
    Player& target = arena.player(2);
    target.hp = 3;
    target.damage(2, CauseBullet);
    target.damage(1, CauseBullet);
    arena.game().frames(7);
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
    EXPECT_EQ(headless_platform::messageBoxes[0].text, "Player 2 died.");
    EXPECT_EQ(headless_platform::messageBoxes[0].caption, "Game Over");
    EXPECT_EQ(headless_platform::messageBoxes[0].style, MessageBoxOk);
}

TEST(Death, WhenBothDieTheFirstToDieIsAnnouncedAndTheRestartRevivesBoth) {
    Arena arena;
    arena.player(2).damage(100, CauseSword);
    arena.game().frame();
    arena.player(1).damage(100, CauseBullet);
    arena.game().frames(6);
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u); // player 2's, who died first
    EXPECT_EQ(headless_platform::messageBoxes[0].caption, "Swordkill");
    EXPECT_FALSE(arena.player(1).dead);
    EXPECT_FALSE(arena.player(2).dead);
    arena.game().frames(10);
    EXPECT_EQ(headless_platform::messageBoxes.size(), 1u);
}

TEST(Death, SameFrameDeathsAnnounceOnlyPlayerOne) {
    Arena arena;
    arena.player(1).damage(100, CauseBullet);
    arena.player(2).damage(100, CauseHeadshot);
    arena.game().frames(7);
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
    EXPECT_EQ(headless_platform::messageBoxes[0].text, "Player 1 died.");
    arena.game().frames(10);
    EXPECT_EQ(headless_platform::messageBoxes.size(), 1u);
}

} // namespace
