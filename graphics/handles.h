// Opaque handle types shared by the portable code and both platform layers.
//
// The portable core never includes <windows.h>. It carries bitmaps, pens, device
// contexts and windows as pointers to incomplete types; the Win32 layer casts them
// to and from the real GDI/USER handles, the software renderer defines the structs.
#pragma once

#include <cstdint>

struct BitmapObject;
struct PenObject;
struct BrushObject;
struct DeviceContextObject;
struct WindowObject;
struct InstanceObject;

using BitmapHandle = BitmapObject*;
using PenHandle = PenObject*;
using BrushHandle = BrushObject*;
using DeviceContext = DeviceContextObject*;
using WindowHandle = WindowObject*;
using InstanceHandle = InstanceObject*;

// A Windows COLORREF: 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

// Four signed 32-bit integers. Client rectangles and the play area use exclusive
// right/bottom (width and height); Renderer::bitmapBounds gives inclusive ones.
struct Bounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

inline bool operator==(const Bounds& a, const Bounds& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
