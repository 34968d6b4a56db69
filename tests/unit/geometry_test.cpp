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

TEST(BoxesOverlap, TouchingIsNotOverlapping) {
    EXPECT_FALSE(boxesOverlap({0, 0, 10, 10}, {10, 0, 20, 10}));
    EXPECT_TRUE(boxesOverlap({0, 0, 10, 10}, {9, 9, 20, 20}));
}

TEST(ClampToBox, NearestPointOfTheBox) {
    const PointF p = clampToBox({-5, 50}, {0, 0, 10, 20});
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 20.0f);
}
