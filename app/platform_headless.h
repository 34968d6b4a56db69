// What the headless platform layer records, for tests and tools.
#pragma once

#include "graphics/handles.h"

#include <functional>
#include <string>
#include <vector>

struct RecordedMessageBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    unsigned style;
};

namespace headless_platform {

// Every message box shown, oldest first.
extern std::vector<RecordedMessageBox> messageBoxes;
// Called (when set) while a message box is "open", before showMessageBox returns.
extern std::function<void(const RecordedMessageBox&)> onMessageBox;
// Number of quit requests and the last exit code passed.
extern int quitRequests;
extern int lastExitCode;
// When set, tickCount() returns this instead of the monotonic clock.
extern std::function<std::uint32_t()> clockOverride;

// Forgets everything recorded and removes the hooks.
void reset();

} // namespace headless_platform
