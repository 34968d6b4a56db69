// Points, boxes and angles of the game code. All game state is single precision;
// conversions to integers truncate toward zero.
#pragma once

#include "graphics/handles.h"

struct PointF {
    float x = 0.0f;
    float y = 0.0f;
};

// Euclidean distance between two points.
float distance(PointF a, PointF b);

// Direction from a to b in whole degrees, clockwise on screen (90 is straight down),
// in 0..360. Exact diagonals come out one degree short (45 gives 44).
int angleTo(PointF from, PointF to);

// {cos, sin} of a whole-degree angle, converted with the single-precision pi/180
// (game/trig.h: the same bits on every program).
PointF unitVector(int degrees);

// Strict overlap: boxes that only touch do not overlap.
bool boxesOverlap(const Bounds& a, const Bounds& b);

// The point of box b nearest to p.
PointF clampToBox(PointF p, const Bounds& b);

// Float to integer by dropping the fraction, as every conversion in the game does.
// Values far beyond any play area saturate at +-2^30 (NaN gives 0), so a position
// flung out of range still gives a box whose sums (frame sizes, hit-zone offsets)
// cannot overflow.
inline int truncateToInt(double value) {
    constexpr double limit = 1073741824.0; // 2^30
    if (!(value == value)) return 0;
    if (value >= limit) return static_cast<int>(limit);
    if (value <= -limit) return -static_cast<int>(limit);
    return static_cast<int>(value);
}
inline int truncateToInt(float value) {
    return truncateToInt(static_cast<double>(value));
}
