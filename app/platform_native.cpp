// STUB: replaced by the native platform layer.
#include "app/platform_native.h"
#include "app/platform.h"
namespace native_platform {
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
} // namespace native_platform
void showMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    native_platform::messageBoxes.push_back({owner, text, caption, style});
}
void requestQuit(int exitCode) {
    ++native_platform::quitRequests;
    native_platform::lastExitCode = exitCode;
}
std::uint8_t keyForCharacter(char) {
    return 255;
}
std::uint32_t tickCount() {
    return 0;
}
