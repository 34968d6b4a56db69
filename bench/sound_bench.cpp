// CPU time of the mixer for one 10 ms game frame (441 stereo frames) with a given
// number of voices sounding, of the web page's mixing ahead (a frame's update, with a
// new effect mixed into the 200 ms queue again or without), and of synthesising every
// effect at start-up.
#include "sound/mix_ahead.h"
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

// One update of the page's feed per game frame, as the page makes them: with a new
// effect each time (the queue mixed again from a lead ahead) or with none (only the
// queue's end).
void BM_MixAheadOneGameFrame(benchmark::State& state) {
    Mixer mixer(&bank());
    const int voices = static_cast<int>(state.range(0));
    const bool newEffect = state.range(1) != 0;
    MixAhead ahead(mixer, 661, Mixer::sampleRate / 5); // 15 ms lead, 200 ms queue
    std::int64_t now = 0;
    int frames = 0;
    for (auto _ : state) {
        if (frames % 20 == 0) {
            mixer.silence();
            for (int v = 0; v < voices; ++v)
                mixer.post({SoundEffect::Death, static_cast<std::int8_t>(v & 1), 0});
        } else if (newEffect) {
            mixer.post({SoundEffect::Shot, 0, 0}); // takes the oldest voice when all sound
        }
        ++frames;
        benchmark::DoNotOptimize(ahead.update(now));
        now += framesPerGameFrame;
    }
    state.counters["voices"] = voices;
}
BENCHMARK(BM_MixAheadOneGameFrame)
    ->Args({0, 0})
    ->Args({Mixer::voiceCount, 0})
    ->Args({0, 1})
    ->Args({Mixer::voiceCount, 1});

void BM_SynthesiseEffects(benchmark::State& state) {
    for (auto _ : state) {
        SoundBank b = SoundBank::synthesise(Mixer::sampleRate);
        benchmark::DoNotOptimize(&b);
    }
}
BENCHMARK(BM_SynthesiseEffects)->Unit(benchmark::kMillisecond);

} // namespace
