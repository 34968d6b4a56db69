// Mixing: events into voices, voices into saturated 16-bit stereo.
#include "sound/mixer.h"

#include "sound/sound_bank.h"

#include <algorithm>

namespace {

constexpr int chunkFrames = 256;      // mixed in pieces of this size, on the stack
constexpr int volumeRampFrames = 128; // about 3 ms from one volume to the next

// Pan of each side: player 1 a little to the left, player 2 a little to the right,
// never so far that an ear hears one player only.
constexpr std::int32_t panNear = 32767;
constexpr std::int32_t panFar = 19661; // 0.6

std::int16_t saturate(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

} // namespace

std::int32_t volumeGain(int percent) {
    percent = std::clamp(percent, 0, 100);
    return static_cast<std::int32_t>(32768LL * percent * percent / 10000);
}

bool Mixer::push(const Command& command) {
    const std::uint32_t head = queueHead.load(std::memory_order_relaxed);
    const std::uint32_t tail = queueTail.load(std::memory_order_acquire);
    if (head - tail >= queueCapacity) return false;
    queue[head % queueCapacity] = command;
    queueHead.store(head + 1, std::memory_order_release);
    return true;
}

bool Mixer::post(const SoundEvent& event, std::uint32_t id) {
    return push({event, id, false});
}

bool Mixer::cut(std::uint32_t id) {
    if (id == 0) return true; // untagged voices are never cut: nothing to queue
    return push({SoundEvent{}, id, true});
}

void Mixer::setVolume(int percent) {
    if (percent < 0 || percent > 100) return;
    volumePercent.store(percent, std::memory_order_relaxed);
}

int Mixer::activeVoices() const {
    int count = 0;
    for (const Voice& v : playing.voices) count += v.samples != nullptr;
    return count;
}

void Mixer::silence() {
    playing.voices = {};
    playing.fading = {};
    queueTail.store(queueHead.load(std::memory_order_acquire), std::memory_order_release);
}

bool Mixer::eventsWaiting() const {
    return queueHead.load(std::memory_order_acquire) != queueTail.load(std::memory_order_relaxed);
}

void Mixer::fadeOut(const Voice& stolen) {
    // A free tail, or else the one nearest its end (the least left to hear).
    Voice* tail = &playing.fading[0];
    for (Voice& t : playing.fading) {
        if (!t.samples) {
            tail = &t;
            break;
        }
        if (t.fadeLeft < tail->fadeLeft) tail = &t;
    }
    *tail = stolen;
    tail->fadeLeft = stealFadeFrames;
}

void Mixer::cutVoices(std::uint32_t id) {
    for (Voice& v : playing.voices) {
        if (!v.samples || v.id != id) continue;
        // Not heard yet (started by the same batch of commands): it never sounds.
        if (v.position > 0) fadeOut(v);
        v = Voice{};
    }
}

void Mixer::startVoice(const SoundEvent& event, std::uint32_t id) {
    const std::vector<std::int16_t>* clip = bank ? bank->find(event) : nullptr;
    if (!clip || clip->empty()) return;

    // A free voice, or else the one that has played longest (the quietest, since
    // every effect fades out).
    Voice* chosen = &playing.voices[0];
    for (Voice& v : playing.voices) {
        if (!v.samples) {
            chosen = &v;
            break;
        }
        if (v.started - chosen->started > 0x80000000u) chosen = &v; // older, with wrap
    }
    if (chosen->samples) fadeOut(*chosen);
    *chosen = Voice{};
    chosen->samples = clip->data();
    chosen->length = static_cast<std::uint32_t>(clip->size());
    chosen->position = 0;
    chosen->gainLeft = event.side == 1 ? panFar : panNear;
    chosen->gainRight = event.side == 0 ? panFar : panNear;
    if (event.side != 0 && event.side != 1) chosen->gainLeft = chosen->gainRight = panNear;
    chosen->started = playing.startCounter++;
    chosen->id = id;
}

void Mixer::takeQueued() {
    const std::uint32_t head = queueHead.load(std::memory_order_acquire);
    std::uint32_t tail = queueTail.load(std::memory_order_relaxed);
    for (; tail != head; ++tail) {
        const Command& c = queue[tail % queueCapacity];
        if (c.cut) {
            cutVoices(c.id);
        } else {
            startVoice(c.event, c.id);
        }
    }
    queueTail.store(tail, std::memory_order_release);
}

void Mixer::mix(std::int16_t* out, int frames) {
    if (frames <= 0) return;
    takeQueued();

    while (frames > 0) {
        const int n = std::min(frames, chunkFrames);
        mixChunk(out, n);
        out += n * channels;
        frames -= n;
    }
}

void Mixer::mixChunk(std::int16_t* out, int frames) {
    std::int32_t left[chunkFrames] = {};
    std::int32_t right[chunkFrames] = {};

    for (Voice& v : playing.voices) {
        if (!v.samples) continue;
        const int n = static_cast<int>(
            std::min<std::uint32_t>(static_cast<std::uint32_t>(frames), v.length - v.position));
        const std::int16_t* s = v.samples + v.position;
        const std::int32_t gl = v.gainLeft;
        const std::int32_t gr = v.gainRight;
        for (int i = 0; i < n; ++i) {
            left[i] += (s[i] * gl) >> 15;
            right[i] += (s[i] * gr) >> 15;
        }
        v.position += static_cast<std::uint32_t>(n);
        if (v.position >= v.length) v = Voice{};
    }
    // Stolen and cut voices go on where they were, their level falling in a
    // straight line to silence.
    for (Voice& t : playing.fading) {
        if (!t.samples) continue;
        const int n = static_cast<int>(std::min<std::uint32_t>(
            std::min(static_cast<std::uint32_t>(frames), static_cast<std::uint32_t>(t.fadeLeft)),
            t.length - t.position));
        const std::int16_t* s = t.samples + t.position;
        for (int i = 0; i < n; ++i) {
            const std::int32_t ramp = ((t.fadeLeft - i - 1) << 15) / stealFadeFrames; // Q15
            const std::int32_t sample = (s[i] * ramp) >> 15;
            left[i] += (sample * t.gainLeft) >> 15;
            right[i] += (sample * t.gainRight) >> 15;
        }
        t.position += static_cast<std::uint32_t>(n);
        t.fadeLeft -= n;
        if (t.fadeLeft <= 0 || t.position >= t.length) t = Voice{};
    }

    const std::int32_t target = volumeGain(volumePercent.load(std::memory_order_relaxed));
    std::int32_t& masterGain = playing.masterGain;
    if (masterGain < 0) masterGain = target;
    for (int i = 0; i < frames; ++i) {
        if (masterGain != target) {
            const std::int32_t step = 32768 / volumeRampFrames;
            masterGain = masterGain < target ? std::min(target, masterGain + step)
                                             : std::max(target, masterGain - step);
        }
        out[2 * i] = saturate((static_cast<std::int64_t>(left[i]) * masterGain) >> 15);
        out[2 * i + 1] = saturate((static_cast<std::int64_t>(right[i]) * masterGain) >> 15);
    }
}
