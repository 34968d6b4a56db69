// The headless audio output: no device; tests pull the mixer and read the events.
#include "sound/audio_output_headless.h"
#include "sound/audio_output.h"
#include "sound/mixer.h"

namespace headless_audio {

std::vector<SoundEvent> events;
bool running = false;
bool noDevice = false;

namespace {

Mixer* pulled = nullptr;

void record(const SoundEvent& event) {
    events.push_back(event);
}

} // namespace

std::vector<std::int16_t> pull(int frames) {
    if (!running || !pulled || frames <= 0) return {};
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * Mixer::channels);
    pulled->mix(out.data(), frames);
    return out;
}

void reset() {
    events.clear();
}

} // namespace headless_audio

bool startAudioOutput(Mixer& mixer) {
    if (headless_audio::noDevice) return false;
    headless_audio::events.clear();
    headless_audio::pulled = &mixer;
    headless_audio::running = true;
    soundListener = headless_audio::record;
    return true;
}

void stopAudioOutput() {
    soundListener = nullptr;
    headless_audio::running = false;
    headless_audio::pulled = nullptr;
}

void serviceAudioOutput() {}
