// The Windows audio output: waveOut from winmm, a few short buffers kept queued and
// refilled from the mixer by a thread of its own, so that the game thread only posts
// events and a modal box or a busy frame never starves the device.
#include "sound/audio_output.h"
#include "sound/mixer.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {

// Four buffers of 256 frames (5.8 ms each): an effect posted by a frame is heard
// within about 23 ms, and a late refill still has three buffers in hand.
constexpr int bufferCount = 4;
constexpr int bufferFrames = 256;

struct Output {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device for every finished buffer
    HANDLE thread = nullptr;
    Mixer* mixer = nullptr;
    std::atomic<bool> stopping{false};
    WAVEHDR headers[bufferCount]{};
    std::int16_t samples[bufferCount][bufferFrames * Mixer::channels]{};
};

Output output;

void refill(int index) {
    WAVEHDR& header = output.headers[index];
    output.mixer->mix(output.samples[index], bufferFrames);
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(output.device, &header, sizeof header);
}

DWORD WINAPI feedDevice(LPVOID) {
    int next = 0; // buffers finish in the order they were written
    while (!output.stopping.load()) {
        WaitForSingleObject(output.bufferDone, 100);
        while (!output.stopping.load() && (output.headers[next].dwFlags & WHDR_DONE)) {
            refill(next);
            next = (next + 1) % bufferCount;
        }
    }
    return 0;
}

void closeDevice() {
    waveOutReset(output.device); // hands every queued buffer back
    for (WAVEHDR& header : output.headers)
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(output.device, &header, sizeof header);
    waveOutClose(output.device);
    output.device = nullptr;
    if (output.bufferDone) CloseHandle(output.bufferDone);
    output.bufferDone = nullptr;
}

} // namespace

bool startAudioOutput(Mixer& mixer) {
    if (output.device) return true;
    output.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!output.bufferDone) return false;

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
        CloseHandle(output.bufferDone);
        output.bufferDone = nullptr;
        return false;
    }

    output.mixer = &mixer;
    output.stopping.store(false);
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
    for (int i = 0; i < bufferCount; ++i) refill(i);

    output.thread = CreateThread(nullptr, 0, feedDevice, nullptr, 0, nullptr);
    if (!output.thread) {
        closeDevice();
        return false;
    }
    SetThreadPriority(output.thread, THREAD_PRIORITY_HIGHEST);
    return true;
}

void stopAudioOutput() {
    if (!output.device) return;
    output.stopping.store(true);
    SetEvent(output.bufferDone);
    WaitForSingleObject(output.thread, INFINITE);
    CloseHandle(output.thread);
    output.thread = nullptr;
    closeDevice();
    output.mixer = nullptr;
}
