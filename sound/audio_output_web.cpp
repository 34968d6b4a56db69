// The web audio output: a Web Audio context whose script processor pulls the
// mixer. Browsers let a page make sound only after the player has done something,
// so the context is created on the first key press (or click) on the page.
#include "sound/audio_output.h"
#include "sound/mixer.h"

#include <emscripten.h>

#include <cstdint>

namespace {

Mixer* pulled = nullptr;
bool firstPull = true;

// 512 frames (11.6 ms) a callback; the browser keeps about two of them queued.
constexpr int bufferFrames = 512;

} // namespace

// Called by the page's audio callback, between frames of the game (the page has
// one thread), with room for `frames` stereo frames at `out`.
extern "C" EMSCRIPTEN_KEEPALIVE void brawlexAudioPull(std::int16_t* out, int frames) {
    if (!pulled) {
        for (int i = 0; i < frames * Mixer::channels; ++i) out[i] = 0;
        return;
    }
    // What was raised before the player's first key press is not played all at once.
    if (firstPull) pulled->silence();
    firstPull = false;
    pulled->mix(out, frames);
}

// clang-format off
EM_JS(int, brawlexAudioOpen, (int sampleRate, int frames), {
    var Context = typeof window != "undefined" && (window.AudioContext || window.webkitAudioContext);
    if (!Context) return 0;
    // callbacks and loudest (the largest sample played, out of 32768) let a test of
    // the page see what was heard.
    var audio = Module.brawlexAudio = { context: null, node: null, stopped: false,
                                        buffer: _malloc(frames * 4), callbacks: 0, loudest: 0 };
    if (!audio.buffer) return 0;
    audio.begin = function() {
        if (audio.context || audio.stopped) return;
        try {
            audio.context = new Context({ sampleRate: sampleRate });
        } catch (e) {
            return; // no audio: the page plays silently
        }
        var node = audio.context.createScriptProcessor(frames, 0, 2);
        node.onaudioprocess = function(event) {
            var left = event.outputBuffer.getChannelData(0);
            var right = event.outputBuffer.getChannelData(1);
            _brawlexAudioPull(audio.buffer, frames);
            var at = audio.buffer >> 1;
            var loudest = audio.loudest;
            for (var i = 0; i < frames; ++i) {
                var l = HEAP16[at + 2 * i], r = HEAP16[at + 2 * i + 1];
                left[i] = l / 32768;
                right[i] = r / 32768;
                loudest = Math.max(loudest, l < 0 ? -l : l, r < 0 ? -r : r);
            }
            audio.loudest = loudest;
            audio.callbacks++;
        };
        node.connect(audio.context.destination);
        audio.node = node;
        if (audio.context.resume) audio.context.resume();
    };
    window.addEventListener("keydown", audio.begin, true);
    window.addEventListener("pointerdown", audio.begin, true);
    return 1;
});

EM_JS(void, brawlexAudioClose, (), {
    var audio = Module.brawlexAudio;
    if (!audio) return;
    audio.stopped = true;
    window.removeEventListener("keydown", audio.begin, true);
    window.removeEventListener("pointerdown", audio.begin, true);
    if (audio.node) audio.node.disconnect();
    if (audio.context) audio.context.close();
    _free(audio.buffer);
    Module.brawlexAudio = null;
});
// clang-format on

bool startAudioOutput(Mixer& mixer) {
    if (pulled) return true;
    if (!brawlexAudioOpen(Mixer::sampleRate, bufferFrames)) return false;
    pulled = &mixer;
    firstPull = true;
    return true;
}

void stopAudioOutput() {
    if (!pulled) return;
    brawlexAudioClose();
    pulled = nullptr;
}
