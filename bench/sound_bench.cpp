// CPU time of the mixer for one 10 ms game frame (441 stereo frames) with a given
// number of voices sounding, and of synthesising every effect at start-up.
#include "sound/mixer.h"
#include "sound/sound_bank.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int framesPerGameFrame = Mixer::sampleRate / 100;

const SoundBank& bank() {
    static const SoundBank b = SoundBank::synthesise(Mixer::sampleRate);
    return b;
}

// The death is the longest effect: its voices keep sounding through many pulls.
void BM_MixOneGameFrame(benchmark::State& state) {
    Mixer mixer(&bank());
    const int voices = static_cast<int>(state.range(0));
    std::vector<std::int16_t> out(framesPerGameFrame * Mixer::channels);
    int pulls = 0;
    for (auto _ : state) {
        // Started again well before they end; posting costs a few nanoseconds a
        // voice, counted with the mixing (pausing the timer would cost more).
        if (pulls++ % 20 == 0) {
            mixer.silence();
            for (int v = 0; v < voices; ++v)
                mixer.post({SoundEffect::Death, static_cast<std::int8_t>(v & 1), 0});
        }
        mixer.mix(out.data(), framesPerGameFrame);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voices"] = voices;
}
BENCHMARK(BM_MixOneGameFrame)->Arg(0)->Arg(1)->Arg(8)->Arg(Mixer::voiceCount);

void BM_SynthesiseEffects(benchmark::State& state) {
    for (auto _ : state) {
        SoundBank b = SoundBank::synthesise(Mixer::sampleRate);
        benchmark::DoNotOptimize(&b);
    }
}
BENCHMARK(BM_SynthesiseEffects)->Unit(benchmark::kMillisecond);

} // namespace
