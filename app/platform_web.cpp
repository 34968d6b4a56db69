// The platform services on the web page: the page's own modal message box, the quit
// request the main loop takes, the US keyboard layout (the page translates every key
// into its virtual-key codes) and the page's clock.
#include "app/platform.h"

#include "app/page_web.h"
#include "app/us_keyboard_layout.h"

void showMessageBox(WindowHandle, const char* text, const char* caption, unsigned style) {
    page::messageBox(text, caption, style);
}

void requestQuit(int) {
    page::requestQuit();
}

std::uint8_t keyForCharacter(char character) {
    return usLayoutKeyForCharacter(character);
}

std::uint32_t tickCount() {
    return page::milliseconds();
}
