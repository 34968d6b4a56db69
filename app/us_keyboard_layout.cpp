// The US English keyboard layout, for the layers that have no layout service of
// their own to ask.
#include "app/us_keyboard_layout.h"

std::uint8_t usLayoutKeyForCharacter(char character) {
    const auto c = static_cast<unsigned char>(character);
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    switch (c) {
    // Shifted digits type their digit's key.
    case ')':
        return '0';
    case '!':
        return '1';
    case '@':
        return '2';
    case '#':
        return '3';
    case '$':
        return '4';
    case '%':
        return '5';
    case '^':
        return '6';
    case '&':
        return '7';
    case '*':
        return '8';
    case '(':
        return '9';
    // The OEM punctuation keys of the US layout, unshifted and shifted.
    case ';':
    case ':':
        return 0xBA;
    case '=':
    case '+':
        return 0xBB;
    case ',':
    case '<':
        return 0xBC;
    case '-':
    case '_':
        return 0xBD;
    case '.':
    case '>':
        return 0xBE;
    case '/':
    case '?':
        return 0xBF;
    case '`':
    case '~':
        return 0xC0;
    case '[':
    case '{':
        return 0xDB;
    case '\\':
    case '|':
        return 0xDC;
    case ']':
    case '}':
        return 0xDD;
    case '\'':
    case '"':
        return 0xDE;
    // Control characters typed with Ctrl or a key of their own.
    case 0x03:
        return 0x03; // Ctrl+Break (VK_CANCEL)
    case '\b':
    case 0x7F: // Ctrl+Backspace
        return 0x08;
    case '\t':
        return 0x09;
    case '\n':
    case '\r':
        return 0x0D;
    case 0x1B:
        return 0x1B;
    case 0x1C: // Ctrl+backslash
        return 0xDC;
    case 0x1D: // Ctrl+]
        return 0xDD;
    case 0x1E: // Ctrl+Shift+6
        return '6';
    case 0x1F: // Ctrl+Shift+-
        return 0xBD;
    case 0x00:
        return '2'; // Ctrl+Shift+2 types NUL
    default:
        break;
    }
    if (c >= 0x01 && c <= 0x1A) return static_cast<std::uint8_t>('A' + c - 1); // Ctrl+letter
    return 255; // no key of the layout types it
}
