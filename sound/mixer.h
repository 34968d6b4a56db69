// The portable mixer: a fixed set of voices playing the synthesised effects into
// 16-bit stereo at 44,100 Hz. The game thread posts events to start and ids to cut;
// the audio output pulls mixed samples, possibly from a thread of its own. The two
// meet only in a single-producer, single-consumer queue of commands and an atomic
// volume, so neither ever waits for the other.
#pragma once

#include "sound/sound.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

class SoundBank;

class Mixer {
  public:
    static constexpr int sampleRate = 44100;
    static constexpr int channels = 2; // interleaved left, right
    static constexpr int voiceCount = 24;
    static constexpr int queueCapacity = 64; // commands between two pulls
    // A stolen or cut voice fades out over this many frames (2.9 ms) instead of
    // stopping mid-wave, which clicks; a new effect starts at once beside it.
    static constexpr int stealFadeFrames = 128;

    // The bank must outlive the mixer's use and must not change while it plays.
    explicit Mixer(const SoundBank* bank = nullptr) : bank(bank) {}
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Before any output pulls.
    void setBank(const SoundBank* newBank) { bank = newBank; }

    // Game thread. Queues an effect to start at the next pull; false (and the
    // event dropped) when the queue is full, which only happens while nothing pulls.
    // `id`, when not 0, tags the voice so that cut() can end it; ids are the
    // caller's own, and several voices may share one.
    bool post(const SoundEvent& event, std::uint32_t id = 0);
    // Game thread. Queues a cut, after everything posted before it: at the next
    // pull every voice tagged `id` fades out over stealFadeFrames (one that has not
    // sounded yet never does). An id no voice has (ended, never started) is
    // harmless; 0 cuts nothing. False when the queue is full, as for post().
    bool cut(std::uint32_t id);
    // Any thread. 0 to 100; other values are ignored. Changes ramp over a few
    // milliseconds so that they never click.
    void setVolume(int percent);
    int volume() const { return volumePercent.load(std::memory_order_relaxed); }

    // Output thread. Takes the queued commands (takeQueued()) and writes `frames`
    // stereo frames (2 x frames samples) to `out`. Never clips beyond full scale: a
    // sum louder than that saturates.
    void mix(std::int16_t* out, int frames);
    // Output thread. Starts and cuts what was queued, in order, so that state()
    // holds it before the next mix.
    void takeQueued();
    // Output thread. Voices still sounding (stolen voices fading out not counted).
    int activeVoices() const;
    // Ends every voice and forgets queued events. On the output's own thread, or
    // while no output pulls (before it starts or after it stopped).
    void silence();
    // Output thread. Whether starts or cuts wait for the next pull.
    bool eventsWaiting() const;

  private:
    struct Voice {
        const std::int16_t* samples = nullptr; // null: free
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        std::int32_t gainLeft = 0; // Q15
        std::int32_t gainRight = 0;
        std::uint32_t started = 0; // start order, to steal the oldest voice
        std::int32_t fadeLeft = 0; // fading tails only: frames until silent
        std::uint32_t id = 0;      // the caller's tag; 0: none
    };
    struct Command {
        SoundEvent event{};
        std::uint32_t id = 0;
        bool cut = false; // end the voices tagged `id` instead of starting `event`
    };

  public:
    // Output thread. Everything that decides what the next pull plays, apart from
    // the queued commands and the volume setting: an output that mixes ahead keeps
    // these to mix again from an earlier point when a new effect should start (or a
    // sound end) sooner than the end of what it already mixed.
    struct State {
        std::array<Voice, voiceCount> voices{};
        std::array<Voice, voiceCount> fading{}; // stolen voices dying away
        std::uint32_t startCounter = 0;
        std::int32_t masterGain = -1; // Q15, -1 until the first pull takes the volume
    };
    const State& state() const { return playing; }
    void restore(const State& earlier) { playing = earlier; }

  private:
    bool push(const Command& command);
    void startVoice(const SoundEvent& event, std::uint32_t id);
    void cutVoices(std::uint32_t id);
    void fadeOut(const Voice& stolen);
    void mixChunk(std::int16_t* out, int frames);

    const SoundBank* bank;
    std::array<Command, queueCapacity> queue{};
    std::atomic<std::uint32_t> queueHead{0}; // written by the game thread
    std::atomic<std::uint32_t> queueTail{0}; // written by the output thread
    std::atomic<int> volumePercent{defaultSoundVolume};

    State playing; // output thread only
};

// Q15 gain of a volume percentage: loudness follows the square of the setting, so
// that each step of the volume sounds about as large as the next.
std::int32_t volumeGain(int percent);
