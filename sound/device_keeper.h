// Keeps an audio output on a device: when the device goes away (a headset pulled
// out, a driver that stops), the output closes it and opens the system's default
// device in its place, at once and then once a second while none opens, so the
// sound comes back without the player doing anything. The platform's calls are
// given as functions, so the decisions run the same under a test's fake device.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

class DeviceKeeper {
  public:
    static constexpr std::uint32_t retryMilliseconds = 1000;

    struct Device {
        std::function<bool()> open;    // opens the default device and starts it
        std::function<void()> close;   // stops and closes it
        std::function<bool()> playing; // whether the open device still plays
    };

    explicit DeviceKeeper(Device device) : device(std::move(device)) {}

    // Opens the device; false when there is none. An output that never had a device
    // stays silent and looks for none later (as a machine without sound expects).
    bool start();
    // Closes the device; nothing is reopened after it.
    void stop();
    // Any thread, also the device's own: the platform says the device went away.
    void gone() { reportedGone.store(true, std::memory_order_release); }
    // The thread that opens and closes: closes a device that went away or stopped
    // playing, and opens one again when it is time. `now` in milliseconds.
    void service(std::uint32_t now);

    bool isOpen() const { return open; }
    bool isKept() const { return kept; }

  private:
    Device device;
    bool kept = false; // started and not stopped
    bool open = false;
    std::uint32_t nextTry = 0;
    std::atomic<bool> reportedGone{false};
};
