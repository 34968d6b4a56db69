// The buffers an output hands its device in turn (waveOut's), and which of them it
// may fill: those the device handed back, and those it refused. A buffer the device
// refused is never waited for, and a device that stops handing buffers back is seen
// to have stopped, so that the feeding thread replaces it instead of waiting forever.
#pragma once

#include <cstdint>
#include <functional>

class DeviceBuffers {
  public:
    static constexpr int count = 4;
    // No buffer back for this long while the device holds some: it no longer plays.
    static constexpr std::uint32_t stalledMilliseconds = 1000;

    // A new device: every buffer is the output's, and the next to write is the first.
    void reset(std::uint32_t now);
    // Fills and writes, in order, every buffer the device does not hold: `write(i)`
    // fills buffer i and gives it to the device, false when the device refuses it;
    // `returned(i)` says whether the device handed buffer i back. Stops at the
    // first buffer the device still holds or at the first refusal; never waits.
    void feed(std::uint32_t now, const std::function<bool(int)>& write,
              const std::function<bool(int)>& returned);
    // False once the device refused a buffer, or held buffers too long.
    bool playing(std::uint32_t now) const;

  private:
    bool held[count]{}; // given to the device and not handed back yet
    int next = 0;       // buffers finish in the order they were written
    bool refused = false;
    std::uint32_t lastReturned = 0;
};
