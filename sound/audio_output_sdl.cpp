// The desktop audio output: SDL's audio device, whose callback (on SDL's audio
// thread) pulls the mixer. The game thread only posts events.
#include "sound/audio_output.h"
#include "sound/mixer.h"

#include <SDL.h>

namespace {

SDL_AudioDeviceID device = 0;
bool subsystemStarted = false;

void SDLCALL pull(void* userdata, Uint8* stream, int bytes) {
    const int frames = bytes / static_cast<int>(sizeof(Sint16) * Mixer::channels);
    static_cast<Mixer*>(userdata)->mix(reinterpret_cast<Sint16*>(stream), frames);
}

} // namespace

bool startAudioOutput(Mixer& mixer) {
    if (device != 0) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false; // no audio at all
    subsystemStarted = true;

    SDL_AudioSpec wanted{};
    wanted.freq = Mixer::sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Mixer::channels;
    // 512 frames (11.6 ms) a callback: an effect is heard within about 25 ms of
    // its frame, and the callback keeps well ahead of the device.
    wanted.samples = 512;
    wanted.callback = pull;
    wanted.userdata = &mixer;
    // SDL converts to whatever the device plays, so the mixer's format holds.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void stopAudioOutput() {
    if (device != 0) SDL_CloseAudioDevice(device); // waits for a callback under way
    device = 0;
    if (subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted = false;
}
