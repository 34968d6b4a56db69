// Which buffers an output may fill, and whether its device still plays them.
#include "sound/device_buffers.h"

void DeviceBuffers::reset(std::uint32_t now) {
    for (bool& h : held) h = false;
    next = 0;
    refused = false;
    lastReturned = now;
}

void DeviceBuffers::feed(std::uint32_t now, const std::function<bool(int)>& write,
                         const std::function<bool(int)>& returned) {
    for (int n = 0; n < count && !refused; ++n) {
        if (held[next]) {
            if (!returned(next)) return;
            lastReturned = now;
        }
        held[next] = write(next);
        refused = !held[next];
        if (!refused) next = (next + 1) % count;
    }
}

bool DeviceBuffers::playing(std::uint32_t now) const {
    if (refused) return false;
    for (bool h : held)
        if (h) return now - lastReturned < stalledMilliseconds;
    return true;
}
