// The headless audio output: no device; tests pull the mixer and read the events.
#include "sound/audio_output_headless.h"
#include "sound/audio_output.h"
#include "sound/mixer.h"

namespace headless_audio {

std::vector<SoundEvent> events;
std::vector<TaggedSound> tagged;
std::vector<std::uint32_t> cuts;
bool running = false;
bool noDevice = false;

namespace {

Mixer* pulled = nullptr;

void record(const SoundEvent& event) {
    events.push_back(event);
}

void recordTagged(const SoundEvent& event, std::uint32_t id) {
    tagged.push_back({event, id});
}

void recordCut(std::uint32_t id) {
    cuts.push_back(id);
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
    tagged.clear();
    cuts.clear();
}

} // namespace headless_audio

bool startAudioOutput(Mixer& mixer) {
    if (headless_audio::noDevice) return false;
    headless_audio::reset();
    headless_audio::pulled = &mixer;
    headless_audio::running = true;
    soundListener = headless_audio::record;
    taggedSoundListener = headless_audio::recordTagged;
    soundCutListener = headless_audio::recordCut;
    return true;
}

void stopAudioOutput() {
    soundListener = nullptr;
    taggedSoundListener = nullptr;
    soundCutListener = nullptr;
    headless_audio::running = false;
    headless_audio::pulled = nullptr;
}

void serviceAudioOutput() {}
