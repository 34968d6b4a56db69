// What the headless audio output records, for tests: the events raised and the
// sounds cut while it runs, and the mixer it would pull from.
#pragma once

#include "sound/sound.h"

#include <cstdint>
#include <vector>

namespace headless_audio {

// Every event raised since the output started, oldest first.
extern std::vector<SoundEvent> events;
// Of those, the ones raised with an id, with it; and every id cut, oldest first.
struct TaggedSound {
    SoundEvent event;
    std::uint32_t id;
    bool operator==(const TaggedSound&) const = default;
};
extern std::vector<TaggedSound> tagged;
extern std::vector<std::uint32_t> cuts;
// Whether the output is running (between startAudioOutput and stopAudioOutput).
extern bool running;
// When set, startAudioOutput fails, as on a machine without an audio device.
extern bool noDevice;

// Pulls `frames` stereo frames from the mixer, as a device would; empty when the
// output is not running.
std::vector<std::int16_t> pull(int frames);

// Forgets the recorded events and cuts (noDevice stays as the test set it).
void reset();

} // namespace headless_audio
