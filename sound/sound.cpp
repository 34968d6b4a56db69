// The one mixer of the program, the events posted to it, and its start and stop.
#include "sound/sound.h"

#include "sound/audio_output.h"
#include "sound/mixer.h"
#include "sound/sound_bank.h"

namespace {

Mixer soundMixer;
bool outputRunning = false;

} // namespace

void (*soundListener)(const SoundEvent& event) = nullptr;
void (*taggedSoundListener)(const SoundEvent& event, std::uint32_t id) = nullptr;
void (*soundCutListener)(std::uint32_t id) = nullptr;

void raiseTaggedSound(SoundEffect effect, int side, int level, std::uint32_t id) {
    const SoundEvent event{effect, static_cast<std::int8_t>(side == 0 || side == 1 ? side : -1),
                           static_cast<std::uint8_t>(level < 0 ? 0 : (level > 255 ? 255 : level))};
    if (soundListener) soundListener(event);
    if (taggedSoundListener && id != 0) taggedSoundListener(event, id);
    // Without an output nothing would take the events from the queue.
    if (!outputRunning) return;
    serviceAudioOutput(); // a device that went away is replaced before it is needed
    soundMixer.post(event, id);
}

void raiseSound(SoundEffect effect, int side, int level) {
    raiseTaggedSound(effect, side, level, 0);
}

void cutSound(std::uint32_t id) {
    if (id == 0) return;
    if (soundCutListener) soundCutListener(id);
    if (!outputRunning) return;
    soundMixer.cut(id);
}

void setSoundVolume(int percent) {
    soundMixer.setVolume(percent);
}

int soundVolume() {
    return soundMixer.volume();
}

void startSound() {
    if (outputRunning) return;
    // Made once per process: the effects never change, and a new game or a test
    // that starts the game again reuses them.
    static const SoundBank bank = SoundBank::synthesise(Mixer::sampleRate);
    soundMixer.setBank(&bank);
    outputRunning = startAudioOutput(soundMixer);
}

void stopSound() {
    if (!outputRunning) return;
    stopAudioOutput();
    outputRunning = false;
    soundMixer.silence(); // no output pulls now; the next start begins quiet
}
