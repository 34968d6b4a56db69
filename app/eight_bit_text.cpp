#include "app/eight_bit_text.h"

std::string eightBitText(const char* utf8) {
    std::string out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8 != nullptr ? utf8 : "");
    while (*s != 0) {
        unsigned code = 0;
        int more = 0;
        if (*s < 0x80) {
            code = *s;
        } else if ((*s & 0xE0) == 0xC0) {
            code = *s & 0x1Fu;
            more = 1;
        } else if ((*s & 0xF0) == 0xE0) {
            code = *s & 0x0Fu;
            more = 2;
        } else if ((*s & 0xF8) == 0xF0) {
            code = *s & 0x07u;
            more = 3;
        } else {
            ++s; // a continuation byte without its lead, or no UTF-8 lead byte at all
            continue;
        }
        ++s;
        bool whole = true;
        for (int i = 0; i < more; ++i, ++s) {
            if ((*s & 0xC0) != 0x80) {
                whole = false; // cut short: the byte that broke it starts afresh
                break;
            }
            code = (code << 6) | (*s & 0x3Fu);
        }
        // Overlong forms of ASCII (0xC0 0x80 and the like) would smuggle a NUL or a
        // control character in; only the shortest form counts.
        if (whole && code <= 0xFF && !(more == 1 && code < 0x80) && more <= 1)
            out += static_cast<char>(code);
    }
    return out;
}
