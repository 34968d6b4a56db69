// The software renderer's text font: fixed-width 5 x 7 glyphs for printable ASCII.
#pragma once

namespace bitmap_font {

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
// Each character takes one cell: its glyph at the cell's top-left, then one blank
// column and one blank row of spacing.
constexpr int cellWidth = glyphWidth + 1;
constexpr int cellHeight = glyphHeight + 1;

// True where the glyph of `c` has ink at column x, row y (from the top left).
// Characters outside printable ASCII are drawn as a hollow box.
bool inked(char c, int x, int y);

} // namespace bitmap_font
