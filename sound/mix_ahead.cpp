// Mixing ahead of the output, and mixing again from a short lead for what is new.
#include "sound/mix_ahead.h"

#include <algorithm>

MixAhead::MixAhead(Mixer& mixer, int leadFrames, int depthFrames)
    : mixer(mixer), lead(std::max(0, leadFrames)),
      depth(std::max(depthFrames, std::max(0, leadFrames) + blockFrames)) {}

void MixAhead::restart() {
    streaming = false;
    marks.clear();
}

MixAhead::Span MixAhead::update(std::int64_t now) {
    Span span;
    // Marks that a new effect can no longer use: it starts `lead` ahead of now.
    while (!marks.empty() && marks.front().frame < now + lead) marks.pop_front();

    if (!streaming || end < now) {
        // The first update, or the output played everything it had: a gap was heard
        // (or nothing ever was), so the stream simply begins again a lead ahead.
        streaming = true;
        marks.clear();
        end = now + lead;
    } else if ((mixer.eventsWaiting() || mixer.volume() != mixedVolume) && !marks.empty()) {
        // Mixed again from the first block at least a lead ahead, with the mixer as
        // it was there; the new effects start (and the cut sounds end) at that block.
        mixer.restore(marks.front().state);
        end = marks.front().frame;
        marks.clear();
        span.replaces = true;
    }
    // (Otherwise new effects start, and cut sounds end, where the queue ends, which
    // is less than a lead away: sooner still.)

    span.start = end;
    const std::int64_t until = now + depth;
    mixed.clear();
    while (end < until) {
        // The commands are taken before the mark, so that its state holds what
        // starts at this block: mixing again from it must not lose them.
        mixer.takeQueued();
        marks.push_back({end, mixer.state()});
        mixedVolume = mixer.volume();
        const std::size_t at = mixed.size();
        mixed.resize(at + static_cast<std::size_t>(blockFrames) * Mixer::channels);
        mixer.mix(mixed.data() + at, blockFrames);
        end += blockFrames;
    }
    span.frames = static_cast<int>(end - span.start);
    if (span.frames == 0) span.replaces = false;
    return span;
}
