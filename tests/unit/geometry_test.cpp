#include "game/geometry.h"

#include <gtest/gtest.h>

TEST(AngleTo, TruncatesLikeTheGameExpects) {
    struct Case {
        PointF to;
        int degrees;
    };
    const Case cases[] = {
        {{10, 0}, 0},     {{10, 10}, 44}, {{-10, 10}, 136}, {{-10, 0}, 180},     {{-10, -10}, 224},
        {{10, -10}, 316}, {{0, 10}, 89},  {{0, -10}, 271},  {{10, -0.01f}, 360},
    };
    for (const Case& c : cases)
        EXPECT_EQ(angleTo({0, 0}, c.to), c.degrees) << c.to.x << "," << c.to.y;
}

TEST(AngleTo, EqualPointsGiveZeroNearAndFar) {
    // Far out the nudge of the equal x is lost: the quotient is 0 / 0 there.
    const PointF points[] = {{0, 0}, {100, 50}, {2.0e6f, 5}, {-3.0e7f, 1.0e9f}};
    for (const PointF& p : points) EXPECT_EQ(angleTo(p, p), 0) << p.x << "," << p.y;
    // Straight up and down keep their angles far out too.
    EXPECT_EQ(angleTo({2.0e6f, 5}, {2.0e6f, 15}), 89);
    EXPECT_EQ(angleTo({2.0e6f, 15}, {2.0e6f, 5}), 271);
}

TEST(BoxesOverlap, TouchingIsNotOverlapping) {
    EXPECT_FALSE(boxesOverlap({0, 0, 10, 10}, {10, 0, 20, 10}));
    EXPECT_TRUE(boxesOverlap({0, 0, 10, 10}, {9, 9, 20, 20}));
}

TEST(ClampToBox, NearestPointOfTheBox) {
    const PointF p = clampToBox({-5, 50}, {0, 0, 10, 20});
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 20.0f);
}
