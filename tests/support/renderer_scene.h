// A fixed drawing that goes through every pixel path of a Renderer: masked sprites
// made by rotate, mirror and mask (whole, clipped at the edges, and a part of the
// source), lines of one and two pixels in every direction, and single pixels.
// The GDI and the software renderer must produce the same pixels from it.
#pragma once

#include <string>

class Renderer;

constexpr int rendererSceneWidth = 160;
constexpr int rendererSceneHeight = 120;

// The part of the scene where all the lines drawn with a two-pixel pen lie, and
// nothing else.
bool inWideLineArea(int x, int y);

// Writes the scene's sprite to `spriteFile`, then draws the scene into the back buffer
// of `renderer`, which is initialised over a window of rendererSceneWidth x
// rendererSceneHeight. Every bitmap and pen it makes is deleted again. False when the
// sprite could not be loaded back (nothing is drawn then).
bool drawRendererScene(Renderer& renderer, const std::string& spriteFile);
