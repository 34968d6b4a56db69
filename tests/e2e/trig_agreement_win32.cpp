// The game's trigonometry tables against the Windows program's own C library, run
// under Wine by test_demos.py: every whole degree from -360 to 360, and both sides of
// every whole-degree boundary of the truncated arc tangent. Prints each difference
// and exits 1 if there is any.
#include "game/trig.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

volatile float radiansPerDegree = 0.01745329238474369f; // not folded at build time

int libraryAtanDegrees(double slope) {
    const double v = std::atan(slope) * 57.2957763671875;
    return std::isnan(v) ? 0 : static_cast<int>(v);
}

double doubleOf(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

int main() {
    int differences = 0;
    for (int d = -360; d <= 360; ++d) {
        const float r = static_cast<float>(d) * radiansPerDegree;
        const float c = std::cos(r), s = std::sin(r);
        const CosSin t = cosSinOfDegrees(d);
        if (std::memcmp(&c, &t.cos, sizeof c) != 0 || std::memcmp(&s, &t.sin, sizeof s) != 0) {
            std::printf("degree %d: library %a %a, table %a %a\n", d, c, s, t.cos, t.sin);
            ++differences;
        }
    }
    for (int n = 1; n <= 89; ++n) {
        std::uint64_t lo = 0, hi = 0x7ff0000000000000u; // 0 and +infinity
        while (hi - lo > 1) {
            const std::uint64_t mid = lo + (hi - lo) / 2;
            (atanWholeDegrees(doubleOf(mid)) >= n ? hi : lo) = mid;
        }
        for (const double q : {doubleOf(lo), doubleOf(hi), -doubleOf(lo), -doubleOf(hi)}) {
            if (libraryAtanDegrees(q) != atanWholeDegrees(q)) {
                std::printf("slope %a: library %d, table %d\n", q, libraryAtanDegrees(q),
                            atanWholeDegrees(q));
                ++differences;
            }
        }
    }
    std::printf("%d differences\n", differences);
    return differences == 0 ? 0 : 1;
}
