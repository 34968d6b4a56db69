// The game's own trigonometry against the C library this test runs on. The tables
// hold the Windows program's values; glibc rounds a handful of them the other way,
// and those are listed here so that any other difference fails.
#include "game/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>

namespace {

std::uint32_t bitsOf(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

double doubleOf(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// Distance in units of the last place between two finite floats of the same sign.
std::int64_t ulpsApart(float a, float b) {
    return std::llabs(static_cast<std::int64_t>(bitsOf(a)) - static_cast<std::int64_t>(bitsOf(b)));
}

// What the game computed before it had tables: the C library on the float argument.
// The multiplier is volatile so that the compiler cannot fold the call at build time.
volatile float radiansPerDegree = 0.01745329238474369f;

int libraryAtanDegrees(double slope) {
    const double v = std::atan(slope) * 57.2957763671875;
    return std::isnan(v) ? 0 : static_cast<int>(v);
}

// Where the Windows program's C library and glibc round the last bit differently.
const std::set<int> windowsRoundsOtherwise = {-188, -103, -22, -19, -13, 13, 19, 22, 103, 188};
const std::set<int> windowsAtanBoundaryOtherwise = {57, 68, 71, 75, 76, 79, 80, 82, 88};

} // namespace

TEST(Trig, EveryWholeDegreeMatchesTheCLibrary) {
    for (int d = -360; d <= 360; ++d) {
        const float r = static_cast<float>(d) * radiansPerDegree;
        const float c = std::cos(r), s = std::sin(r);
        const CosSin t = cosSinOfDegrees(d);
        const bool same = bitsOf(c) == bitsOf(t.cos) && bitsOf(s) == bitsOf(t.sin);
        EXPECT_LE(ulpsApart(c, t.cos), 1) << d;
        EXPECT_LE(ulpsApart(s, t.sin), 1) << d;
#ifdef __GLIBC__
        EXPECT_EQ(same, !windowsRoundsOtherwise.contains(d)) << d;
#else
        (void)same;
#endif
    }
}

TEST(Trig, AnglesBeyondATurnComeBackByWholeTurns) {
    const int cases[][2] = {{361, 1},
                            {-361, -1},
                            {720, 0},
                            {1000, 280},
                            {INT32_MAX, INT32_MAX % 360},
                            {INT32_MIN, INT32_MIN % 360}};
    for (const auto& c : cases) {
        EXPECT_EQ(bitsOf(cosSinOfDegrees(c[0]).cos), bitsOf(cosSinOfDegrees(c[1]).cos)) << c[0];
        EXPECT_EQ(bitsOf(cosSinOfDegrees(c[0]).sin), bitsOf(cosSinOfDegrees(c[1]).sin)) << c[0];
    }
}

TEST(Trig, AtanMatchesTheCLibraryOnEitherSideOfEveryDegree) {
    for (int n = 1; n <= 89; ++n) {
        // The least slope the table gives n for, by bisection over the bits of the
        // non-negative doubles (ordered as their values are).
        std::uint64_t lo = 0, hi = 0x7ff0000000000000u; // 0 and +infinity
        while (hi - lo > 1) {
            const std::uint64_t mid = lo + (hi - lo) / 2;
            (atanWholeDegrees(doubleOf(mid)) >= n ? hi : lo) = mid;
        }
        const double first = doubleOf(hi);
        const double below = doubleOf(lo);
        ASSERT_EQ(atanWholeDegrees(first), n);
        ASSERT_EQ(atanWholeDegrees(below), n - 1);
        EXPECT_EQ(atanWholeDegrees(-first), -n);
        EXPECT_EQ(atanWholeDegrees(-below), 1 - n);
        if (windowsAtanBoundaryOtherwise.contains(n)) {
            // The two libraries place this boundary within two steps of each other.
            const double lowest = std::nextafter(std::nextafter(below, 0.0), 0.0);
            const double highest = std::nextafter(std::nextafter(first, 100.0), 100.0);
            EXPECT_EQ(libraryAtanDegrees(lowest), n - 1) << n;
            EXPECT_EQ(libraryAtanDegrees(highest), n) << n;
#ifdef __GLIBC__
            EXPECT_NE(libraryAtanDegrees(first) * 1000 + libraryAtanDegrees(below),
                      n * 1000 + n - 1)
                << n;
#endif
        } else {
            EXPECT_EQ(libraryAtanDegrees(first), n) << n;
            EXPECT_EQ(libraryAtanDegrees(below), n - 1) << n;
            EXPECT_EQ(libraryAtanDegrees(-first), -n) << n;
            EXPECT_EQ(libraryAtanDegrees(-below), 1 - n) << n;
        }
    }
}

TEST(Trig, AtanMatchesTheCLibraryOnARandomSample) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> near(-60.0, 60.0);
    for (int i = 0; i < 200000; ++i) {
        double slope = near(random);
        if (i % 2) {
            // Any finite double at all, sign, exponent and mantissa drawn at random.
            std::uint64_t bits = random();
            std::memcpy(&slope, &bits, sizeof slope);
            if (!std::isfinite(slope)) continue;
        }
        ASSERT_EQ(atanWholeDegrees(slope), libraryAtanDegrees(slope)) << slope;
    }
}

TEST(Trig, AtanOfTheSpecialSlopes) {
    EXPECT_EQ(atanWholeDegrees(std::nan("")), 0);
    EXPECT_EQ(atanWholeDegrees(INFINITY), 89);
    EXPECT_EQ(atanWholeDegrees(-INFINITY), -89);
    EXPECT_EQ(atanWholeDegrees(0.0), 0);
    EXPECT_EQ(atanWholeDegrees(-0.0), 0);
    EXPECT_EQ(atanWholeDegrees(1.0), 44); // an exact diagonal comes out one degree short
}
