// The headless platform layer: message boxes and quit requests are recorded (and
// printed when a tool asks for it), the keyboard layout is US English, and the
// clock is the monotonic steady clock.
#include "app/platform_headless.h"
#include "app/platform.h"
#include "app/us_keyboard_layout.h"

#include <chrono>

namespace headless_platform {

std::vector<RecordedMessageBox> messageBoxes;
std::function<void(const RecordedMessageBox&)> onMessageBox;
int quitRequests = 0;
int lastExitCode = 0;
std::function<std::uint32_t()> clockOverride;

void reset() {
    messageBoxes.clear();
    onMessageBox = nullptr;
    quitRequests = 0;
    lastExitCode = 0;
    clockOverride = nullptr;
}

} // namespace headless_platform

void showMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    headless_platform::messageBoxes.push_back(
        {owner, text ? text : "", caption ? caption : "", style});
    if (headless_platform::onMessageBox)
        headless_platform::onMessageBox(headless_platform::messageBoxes.back());
}

void requestQuit(int exitCode) {
    ++headless_platform::quitRequests;
    headless_platform::lastExitCode = exitCode;
}

std::uint8_t keyForCharacter(char character) {
    return usLayoutKeyForCharacter(character);
}

std::uint32_t tickCount() {
    if (headless_platform::clockOverride) return headless_platform::clockOverride();
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
