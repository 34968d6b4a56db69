// The desktop audio output: SDL's audio device, whose callback (on SDL's audio
// thread) pulls the mixer. The game thread only posts events. When the device goes
// away (SDL_AUDIODEVICEREMOVED for it, or its status turning stopped) the output
// closes it and opens the default device in its place, the next time the game
// raises a sound (that is when there is something to hear); an event watch notes
// the removal wherever SDL reports it, so the main loop needs nothing of its own.
#include "sound/audio_output.h"
#include "sound/device_keeper.h"
#include "sound/mixer.h"

#include <SDL.h>

#include <atomic>

namespace {

std::atomic<SDL_AudioDeviceID> device{0}; // read by the event watch, on any thread
Mixer* pulled = nullptr;
bool subsystemStarted = false;

void SDLCALL pull(void* userdata, Uint8* stream, int bytes) {
    const int frames = bytes / static_cast<int>(sizeof(Sint16) * Mixer::channels);
    static_cast<Mixer*>(userdata)->mix(reinterpret_cast<Sint16*>(stream), frames);
}

bool openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = Mixer::sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Mixer::channels;
    // 512 frames (11.6 ms) a callback: an effect is heard within about 25 ms of
    // its frame, and the callback keeps well ahead of the device.
    wanted.samples = 512;
    wanted.callback = pull;
    wanted.userdata = pulled;
    // SDL converts to whatever the device plays, so the mixer's format holds.
    const SDL_AudioDeviceID opened = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (opened == 0) return false;
    device.store(opened);
    SDL_PauseAudioDevice(opened, 0);
    return true;
}

void closeDevice() {
    const SDL_AudioDeviceID closing = device.exchange(0);
    if (closing != 0) SDL_CloseAudioDevice(closing); // waits for a callback under way
}

// SDL stops a device it lost (and only then: a paused one still counts as there).
bool devicePlaying() {
    return SDL_GetAudioDeviceStatus(device.load()) != SDL_AUDIO_STOPPED;
}

DeviceKeeper keeper{{openDevice, closeDevice, devicePlaying}};

// May run on SDL's audio or hot-plug thread: it only notes the removal.
int SDLCALL watchRemoval(void*, SDL_Event* event) {
    if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture &&
        event->adevice.which == device.load())
        keeper.gone();
    return 0;
}

} // namespace

bool startAudioOutput(Mixer& mixer) {
    if (keeper.isKept()) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false; // no audio at all
    subsystemStarted = true;
    pulled = &mixer;
    if (!keeper.start()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
        pulled = nullptr;
        return false;
    }
    SDL_AddEventWatch(watchRemoval, nullptr);
    return true;
}

void serviceAudioOutput() {
    // The mixer goes on with its voices and queue across the change of device; only
    // what the old device held in its buffer is lost.
    keeper.service(SDL_GetTicks());
}

void stopAudioOutput() {
    if (!subsystemStarted) return;
    SDL_DelEventWatch(watchRemoval, nullptr);
    keeper.stop();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted = false;
    pulled = nullptr;
}
