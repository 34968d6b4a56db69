// Numbers in commands: the one reader that BIND, SET and every other command use.
#pragma once

#include <string_view>

// Decimal conversions as the C library reads them: leading blanks, a sign and the
// digits up to the first other character; a word that is no number reads 0.
// Integers beyond the range of int are clamped to it (atoi's overflow is undefined).
int wordToInt(std::string_view word);

// True for a word that is a whole number written plainly: an optional sign and one or
// more digits, nothing else ("00", "-0", "40"; not "0.0", "0X" or "").
bool isWholeNumber(std::string_view word);

// May be infinite or not a number (the C library reads "1E999", "INF" and "NAN").
double wordToReal(std::string_view word);
