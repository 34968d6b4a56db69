// The Windows audio output: waveOut from winmm, a few short buffers kept queued and
// refilled from the mixer by a thread of its own, so that the game thread only posts
// events and a modal box or a busy frame never starves the device. A buffer the
// device refuses (waveOutWrite fails: the device was removed or closed under us) is
// never waited for: it stays the thread's, and the thread closes the device and opens
// the default one in its place, at once and then once a second while none opens. A
// device that stops handing buffers back is taken for gone the same way.
#include "sound/audio_output.h"
#include "sound/device_buffers.h"
#include "sound/device_keeper.h"
#include "sound/mixer.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {

// Four buffers of 256 frames (5.8 ms each): an effect posted by a frame is heard
// within about 23 ms, and a late refill still has three buffers in hand.
constexpr int bufferCount = DeviceBuffers::count;
constexpr int bufferFrames = 256;

struct Output {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device for every finished buffer
    HANDLE thread = nullptr;
    Mixer* mixer = nullptr;
    std::atomic<bool> stopping{false};
    DeviceBuffers buffers; // which the device holds; the feeding thread's after the start
    WAVEHDR headers[bufferCount]{};
    std::int16_t samples[bufferCount][bufferFrames * Mixer::channels]{};
};

Output output;

// False when the device refused the buffer, which then stays ours.
bool refill(int index) {
    WAVEHDR& header = output.headers[index];
    output.mixer->mix(output.samples[index], bufferFrames);
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    return waveOutWrite(output.device, &header, sizeof header) == MMSYSERR_NOERROR;
}

bool returned(int index) {
    return (output.headers[index].dwFlags & WHDR_DONE) != 0;
}

void closeDevice() {
    waveOutReset(output.device); // hands every queued buffer back
    for (WAVEHDR& header : output.headers)
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(output.device, &header, sizeof header);
    waveOutClose(output.device);
    output.device = nullptr;
}

bool openDevice() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = Mixer::channels;
    format.nSamplesPerSec = Mixer::sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    // No device (or none that plays this format): the game stays silent.
    if (waveOutOpen(&output.device, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(output.bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        output.device = nullptr;
        return false;
    }
    for (int i = 0; i < bufferCount; ++i) {
        WAVEHDR& header = output.headers[i];
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(output.samples[i]);
        header.dwBufferLength = sizeof output.samples[i];
        if (waveOutPrepareHeader(output.device, &header, sizeof header) != MMSYSERR_NOERROR) {
            closeDevice();
            return false;
        }
    }
    output.buffers.reset(GetTickCount());
    output.buffers.feed(GetTickCount(), refill, returned);
    if (!output.buffers.playing(GetTickCount())) {
        closeDevice();
        return false;
    }
    return true;
}

bool devicePlaying() {
    return output.buffers.playing(GetTickCount());
}

DeviceKeeper keeper{{openDevice, closeDevice, devicePlaying}};

DWORD WINAPI feedDevice(LPVOID) {
    while (!output.stopping.load()) {
        WaitForSingleObject(output.bufferDone, 100);
        if (output.stopping.load()) break;
        if (keeper.isOpen()) output.buffers.feed(GetTickCount(), refill, returned);
        keeper.service(GetTickCount());
    }
    return 0;
}

} // namespace

bool startAudioOutput(Mixer& mixer) {
    if (keeper.isKept()) return true;
    output.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!output.bufferDone) return false;
    output.mixer = &mixer;
    output.stopping.store(false);
    if (!keeper.start()) {
        CloseHandle(output.bufferDone);
        output.bufferDone = nullptr;
        output.mixer = nullptr;
        return false;
    }

    output.thread = CreateThread(nullptr, 0, feedDevice, nullptr, 0, nullptr);
    if (!output.thread) {
        keeper.stop();
        CloseHandle(output.bufferDone);
        output.bufferDone = nullptr;
        output.mixer = nullptr;
        return false;
    }
    SetThreadPriority(output.thread, THREAD_PRIORITY_HIGHEST);
    return true;
}

// The feeding thread replaces a device that went away.
void serviceAudioOutput() {}

void stopAudioOutput() {
    if (!keeper.isKept()) return;
    output.stopping.store(true);
    SetEvent(output.bufferDone);
    WaitForSingleObject(output.thread, INFINITE);
    CloseHandle(output.thread);
    output.thread = nullptr;
    keeper.stop();
    CloseHandle(output.bufferDone);
    output.bufferDone = nullptr;
    output.mixer = nullptr;
}
