// The platform services of app/platform.h on user32 and kernel32.
#include "app/platform.h"

#include <windows.h>

void showMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    MessageBoxA(reinterpret_cast<HWND>(owner), text ? text : "", caption ? caption : "", style);
}

void requestQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

std::uint8_t keyForCharacter(char character) {
    // The low byte of the result is the virtual-key code; -1 (no key types the
    // character) gives 255.
    const SHORT scan = VkKeyScanA(character);
    return static_cast<std::uint8_t>(static_cast<unsigned short>(scan) & 0xFF);
}

std::uint32_t tickCount() {
    return static_cast<std::uint32_t>(GetTickCount());
}
