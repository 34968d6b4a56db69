// The web audio output: a Web Audio context whose audio worklet (audio_worklet.js,
// on the browser's audio thread) plays what the game mixes on the page's thread.
// The page's one thread also runs the frames, the repaints and every wait, so the
// mixer works ahead of the worklet: MixAhead keeps 200 ms queued there, and
// mixes a new effect in again a short lead ahead of what plays. A timer of the page
// feeds it between frames. Browsers let a page make sound only after the player has
// done something, so the context is made on the first key press (or click) on the
// page, and made again on a later one when the browser closed it.
#include "sound/audio_output.h"
#include "sound/mix_ahead.h"
#include "sound/mixer.h"

#include <emscripten.h>

#include <cstdint>
#include <memory>

namespace {

Mixer* pulled = nullptr;
std::unique_ptr<MixAhead> ahead;
MixAhead::Span lastSpan;

// The queue's depth: a frame that takes its whole slice, a long SHOWFILE, a garbage
// collection of the browser, or a busy machine that gives the page no turn for a
// while, holds the page for tens of milliseconds and sometimes more; the queue
// outlasts them. Depth costs no latency (new effects start a lead ahead), only the
// mixing of the queue again when an effect starts (70 blocks: under 0.1 ms natively
// with every voice sounding).
constexpr int queueMilliseconds = 200;

} // namespace

// Called by the page when a new audio context starts: what was raised before (before
// the player's first key press, or while the last context was gone) is not played all
// at once, and the stream begins anew. `leadFrames` is how far ahead of the context's
// clock a new effect is mixed in: time for its samples to reach the audio thread.
extern "C" EMSCRIPTEN_KEEPALIVE void brawlexAudioBegin(int leadFrames) {
    if (!pulled) return;
    pulled->silence();
    ahead = std::make_unique<MixAhead>(*pulled, leadFrames,
                                       Mixer::sampleRate * queueMilliseconds / 1000);
}

// Called by the page's audio timer with the context's clock in frames; mixes what the
// worklet should have next and returns how many stereo frames (0: nothing to send).
// After the output stopped it does nothing (a timer already queued may still call).
extern "C" EMSCRIPTEN_KEEPALIVE int brawlexAudioMix(double now) {
    if (!pulled || !ahead) return 0;
    lastSpan = ahead->update(static_cast<std::int64_t>(now));
    return lastSpan.frames;
}
// Where the last mixed frames go in the stream, whether they replace what was sent
// from there on, and the samples themselves (interleaved 16-bit stereo).
extern "C" EMSCRIPTEN_KEEPALIVE double brawlexAudioStart() {
    return static_cast<double>(lastSpan.start);
}
extern "C" EMSCRIPTEN_KEEPALIVE int brawlexAudioReplaces() {
    return lastSpan.replaces ? 1 : 0;
}
extern "C" EMSCRIPTEN_KEEPALIVE const std::int16_t* brawlexAudioSamples() {
    return ahead ? ahead->samples() : nullptr;
}

// clang-format off
EM_JS(int, brawlexAudioOpen, (int sampleRate), {
    var Context = typeof window != "undefined" && (window.AudioContext || window.webkitAudioContext);
    if (!Context) return 0;
    // A test of the page reads contexts (how many were made) and what the current one
    // played: callbacks (render quanta), loudest (the largest sample, out of 32768),
    // gapFrames (frames the worklet had nothing for once it began), onsets (context
    // frames where sounds began, the last few) and longestWait (the longest time in
    // milliseconds the page's thread left the worklet unfed while it played).
    var audio = Module.brawlexAudio = { context: null, node: null, stopped: false, timer: 0,
                                        lead: 0, contexts: 0, callbacks: 0, fedAt: 0,
                                        longestWait: 0, loudest: 0, gapFrames: 0, onsets: [],
                                        unsupported: false };
    function forget(context) {
        if (audio.context !== context) return;
        if (audio.node) {
            audio.node.port.onmessage = null;
            audio.node.disconnect();
        }
        audio.node = null;
        audio.context = null;
        audio.schedule();
        if (context.state !== "closed") context.close().catch(function() {});
    }
    audio.begin = function() {
        if (audio.stopped || audio.unsupported) return;
        var old = audio.context;
        if (old && old.state !== "closed" && !old.failed) {
            // Suspended by the browser (not by the page going inactive: a key was just
            // pressed on it): it plays again.
            if (old.state !== "running" && document.hasFocus()) old.resume().catch(function() {});
            return;
        }
        if (old) forget(old);
        var context;
        try {
            context = new Context({ sampleRate: sampleRate, latencyHint: "interactive" });
        } catch (e) {
            return; // no audio: the page plays silently
        }
        if (!context.audioWorklet) {
            // No audio worklet in this browser: silent, as without Web Audio.
            audio.unsupported = true;
            context.close().catch(function() {});
            return;
        }
        audio.context = context;
        audio.contexts++;
        audio.callbacks = audio.loudest = audio.gapFrames = audio.longestWait = 0; // this one's
        audio.onsets = [];
        // A new effect starts this far ahead of the context's clock: the clock moves
        // a hardware buffer (baseLatency) at a time, and the samples must cross to the
        // audio thread; at least 8 ms.
        audio.lead = Math.ceil(sampleRate * Math.max(0.008, (context.baseLatency || 0) + 0.005));
        _brawlexAudioBegin(audio.lead);
        context.onstatechange = function() {
            if (context.state === "closed") forget(context);
            audio.schedule();
        };
        // The device went away under a running context: the next key press makes a
        // new one on the device the system now offers.
        context.onerror = function() { context.failed = true; };
        context.audioWorklet.addModule("audio_worklet.js").then(function() {
            if (audio.context !== context || audio.stopped) return;
            var node = new AudioWorkletNode(context, "brawlex-output",
                { numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2] });
            node.port.onmessage = function(event) {
                var report = event.data;
                audio.callbacks = report.quanta;
                audio.gapFrames = report.gapFrames;
                audio.loudest = report.loudest;
                audio.onsets = report.onsets;
            };
            node.connect(context.destination);
            audio.node = node;
            audio.schedule();
            audio.update();
        }).catch(function() { forget(context); });
        context.resume().catch(function() {});
    };
    // Feeds the worklet what the game mixed: between frames, every few milliseconds.
    audio.update = function() {
        if (audio.stopped || !audio.node || audio.context.state !== "running") return;
        var at = performance.now();
        if (audio.fedAt) audio.longestWait = Math.max(audio.longestWait, at - audio.fedAt);
        audio.fedAt = at;
        var frames = _brawlexAudioMix(Math.round(audio.context.currentTime * sampleRate));
        if (!frames) return;
        var from = _brawlexAudioSamples() >> 1;
        var samples = new Float32Array(2 * frames);
        for (var i = 0; i < 2 * frames; ++i) samples[i] = HEAP16[from + i] / 32768;
        audio.node.port.postMessage({ start: _brawlexAudioStart(), replaces: _brawlexAudioReplaces() != 0,
                                      samples: samples }, [samples.buffer]);
    };
    // The feed runs only while the context plays: a page paused or hidden (its
    // context suspended) spends no time on it.
    audio.schedule = function() {
        var playing = !audio.stopped && audio.context && audio.context.state === "running";
        if (playing && !audio.timer) {
            audio.fedAt = 0; // not fed while it was not playing, and rightly so
            audio.timer = setInterval(audio.update, 4);
        }
        if (!playing && audio.timer) {
            clearInterval(audio.timer);
            audio.timer = 0;
        }
    };
    window.addEventListener("keydown", audio.begin, true);
    window.addEventListener("pointerdown", audio.begin, true);
    return 1;
});

EM_JS(void, brawlexAudioClose, (), {
    var audio = Module.brawlexAudio;
    if (!audio) return;
    audio.stopped = true;
    clearInterval(audio.timer);
    window.removeEventListener("keydown", audio.begin, true);
    window.removeEventListener("pointerdown", audio.begin, true);
    if (audio.node) {
        audio.node.port.onmessage = null;
        audio.node.disconnect();
    }
    if (audio.context) audio.context.close().catch(function() {});
    audio.node = null;
    audio.context = null;
    Module.brawlexAudio = null;
});
// clang-format on

bool startAudioOutput(Mixer& mixer) {
    if (pulled) return true;
    if (!brawlexAudioOpen(Mixer::sampleRate)) return false;
    pulled = &mixer;
    return true;
}

void stopAudioOutput() {
    if (!pulled) return;
    brawlexAudioClose();
    pulled = nullptr;
    ahead.reset();
}

// A context that the browser closed is made again by the page on the next key press.
void serviceAudioOutput() {}
