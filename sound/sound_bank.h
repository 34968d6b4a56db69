// The effects as samples: synthesised once from the description in sound_bank.cpp.
#pragma once

#include "sound/sound.h"

#include <cstdint>
#include <vector>

class SoundBank {
  public:
    // Mono 16-bit samples at the mixer's rate; empty when nothing is to be heard.
    const std::vector<std::int16_t>* find(const SoundEvent& event) const;

    // Every effect, synthesised from the description (a few milliseconds' work).
    static SoundBank synthesise(int sampleRate);

    // The sword charge has one blip per charge point, its pitch rising with it.
    static constexpr int chargeLevels = 30;

  private:
    std::vector<std::int16_t> effects[soundEffectCount];
    std::vector<std::int16_t> chargeBlips[chargeLevels];
};
