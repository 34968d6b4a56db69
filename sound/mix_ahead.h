// Mixing ahead for an output that the game's own thread must feed (the web page's
// audio worklet): the mixer runs on the game's thread and its samples wait in the
// output's queue, so that a busy frame or a long command leaves no gap. A deep queue
// would delay every new effect by its whole depth; instead the mixer's state is kept
// at each block of what was queued, and a new effect (or a cut, or a new volume) is
// mixed in again from a short lead ahead of what the output plays, replacing what
// was sent from there on.
#pragma once

#include "sound/mixer.h"

#include <cstdint>
#include <deque>
#include <vector>

class MixAhead {
  public:
    static constexpr int blockFrames = 128; // the step at which it can mix again

    // `leadFrames`: how far ahead of the playing frame a new effect starts (time
    // for the samples to reach the output); `depthFrames`: how far ahead it keeps
    // the queue filled.
    MixAhead(Mixer& mixer, int leadFrames, int depthFrames);

    // What one update sends to the output: stereo frames from the stream frame
    // `start` on, in samples(). With `replaces`, they take the place of everything
    // sent before from `start` on; otherwise they follow it.
    struct Span {
        std::int64_t start = 0;
        int frames = 0; // 0: nothing to send
        bool replaces = false;
    };

    // Given the stream frame the output plays now, mixes what it should have next.
    // A stream that ran dry (the game's thread held up past the queue's depth)
    // begins again `lead` frames ahead of now.
    Span update(std::int64_t now);
    const std::int16_t* samples() const { return mixed.data(); }

    // Forgets everything queued: the next update begins a new stream.
    void restart();

  private:
    struct Mark {
        std::int64_t frame;
        Mixer::State state; // the mixer as it was before mixing from `frame` on, with
                            // what starts there
    };

    Mixer& mixer;
    int lead;
    int depth;
    bool streaming = false;
    std::int64_t end = 0; // the first frame not mixed yet
    std::deque<Mark> marks;
    int mixedVolume = -1; // the volume setting of what is queued
    std::vector<std::int16_t> mixed;
};
