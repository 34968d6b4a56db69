// When an output that had a device closes it and opens one again.
#include "sound/device_keeper.h"

bool DeviceKeeper::start() {
    if (kept) return open;
    reportedGone.store(false, std::memory_order_relaxed);
    open = device.open();
    kept = open;
    return open;
}

void DeviceKeeper::stop() {
    if (open) device.close();
    open = false;
    kept = false;
}

void DeviceKeeper::service(std::uint32_t now) {
    if (!kept) return;
    const bool wentAway = reportedGone.exchange(false, std::memory_order_acq_rel);
    if (open && (wentAway || !device.playing())) {
        device.close();
        open = false;
        nextTry = now; // at once: another device (or the same one back) may be there
    }
    if (open || static_cast<std::int32_t>(now - nextTry) < 0) return;
    open = device.open();
    if (!open) nextTry = now + retryMilliseconds;
}
