#include "app/platform.h"

#include <gtest/gtest.h>

namespace {

// The headless layer stands in for the US English layout: each character gives the
// virtual key that VkKeyScanA reports for it there (its low byte).
TEST(KeyForCharacter, MatchesTheUsLayout) {
    struct Case {
        int character;
        int key;
    };
    const Case cases[] = {
        {'a', 'A'},
        {'Z', 'Z'},
        {'5', '5'},
        {'%', '5'},
        {' ', ' '},
        {'`', 0xC0},
        {'~', 0xC0},
        {';', 0xBA},
        {'"', 0xDE},
        {'|', 0xDC},
        {'\b', 0x08},
        {'\t', 0x09},
        {'\n', 0x0D},
        {'\r', 0x0D},
        {0x1B, 0x1B},
        {0x00, '2'},
        {0x01, 'A'},
        {0x1A, 'Z'},
        // Control characters typed with Ctrl on a key that is not a letter.
        {0x03, 0x03},
        {0x1C, 0xDC},
        {0x1D, 0xDD},
        {0x1E, '6'},
        {0x1F, 0xBD},
        {0x7F, 0x08},
        // No key of the layout types these.
        {0x80, 255},
        {0xE9, 255},
        {0xFF, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyForCharacter(static_cast<char>(c.character)), c.key)
            << "character " << c.character;
    }
}

} // namespace
