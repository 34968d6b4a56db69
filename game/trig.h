// The game's own trigonometry: the same bits on every program, whatever C library
// the program links. The simulation only ever needs the cosine and sine of whole
// degrees and the whole-degree angle of a slope, so both are answered from tables
// instead of the C library, whose last bit differs between libraries.
#pragma once

// cos r and sin r in single precision, r = degrees x 0.01745329238474369f (the float
// nearest pi/180), as the Windows program's C library rounds them.
struct CosSin {
    float cos;
    float sin;
};
CosSin cosSinOfDegrees(int degrees);

// atan(slope) x 57.2957763671875 truncated toward zero, in -89..89: 0 for NaN, 89 for
// +infinity. The factor is one single-precision step below the float nearest 180/pi.
int atanWholeDegrees(double slope);
