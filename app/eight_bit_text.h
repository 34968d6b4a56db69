// Text typed on a keyboard arrives as UTF-8 (SDL, the browser); the game's text is
// 8-bit characters.
#pragma once

#include <string>

// The characters of `utf8` whose code points are 0 to 255, one byte each (Latin-1);
// the others, and malformed sequences, are left out.
std::string eightBitText(const char* utf8);
