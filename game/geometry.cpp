#include "game/geometry.h"

#include "game/trig.h"

#include <algorithm>
#include <cmath>

float distance(PointF a, PointF b) {
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

int angleTo(PointF from, PointF to) {
    // atanWholeDegrees scales by one single-precision step below the float nearest
    // 180/pi: exact diagonals truncate to one degree short, which the sword's cone is
    // tuned to.
    double toX = to.x;
    if (to.x == from.x) toX += 1e-10; // held in double so the nudge is not lost
    const double dx = toX - from.x;
    const float dy = to.y - from.y;
    // Far out (beyond about a million pixels) the nudge is lost in the sum, and two
    // equal points give 0 / 0; atanWholeDegrees reads that NaN as 0, the angle equal
    // points get nearer the origin.
    const int t = atanWholeDegrees(dy / dx);
    if (toX < from.x) return t + 180;
    if (to.y < from.y) return t + 360;
    return t;
}

PointF unitVector(int degrees) {
    const CosSin cs = cosSinOfDegrees(degrees);
    return {cs.cos, cs.sin};
}

bool boxesOverlap(const Bounds& a, const Bounds& b) {
    return a.right > b.left && a.left < b.right && a.top < b.bottom && a.bottom > b.top;
}

PointF clampToBox(PointF p, const Bounds& b) {
    return {std::min(std::max(p.x, static_cast<float>(b.left)), static_cast<float>(b.right)),
            std::min(std::max(p.y, static_cast<float>(b.top)), static_cast<float>(b.bottom))};
}
