// Numbers in commands.
#include "command/numbers.h"

#include <climits>
#include <cstdlib>
#include <string>

int wordToInt(std::string_view word) {
    const std::string text(word); // strtoll needs a terminated text
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double wordToReal(std::string_view word) {
    const std::string text(word);
    return std::strtod(text.c_str(), nullptr);
}

bool isWholeNumber(std::string_view word) {
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) word.remove_prefix(1);
    if (word.empty()) return false;
    for (const char c : word)
        if (c < '0' || c > '9') return false;
    return true;
}
