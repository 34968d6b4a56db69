// The web layer's pads: the browser's Gamepad API, sampled once a frame. Only gamepads
// the browser lays out in its "standard" mapping are read (the others' buttons could
// be anywhere). Pad 1 is the first such gamepad the page sees and pad 2 the second;
// each keeps its number until it is pulled out, and one plugged in plays from the next
// frame. (Browsers show a page its gamepads only after a button has been pressed.)
#include "app/gamepads.h"

#include <emscripten/em_js.h>
#include <emscripten/html5.h>

#include <cstring>

namespace {

constexpr int eventSlots = 64; // the length of each list of EmscriptenGamepadEvent

PadSlots slots; // by the browser's gamepad index

// emscripten_get_gamepad_status copies every axis and button a gamepad has into the
// fixed lists of its event record; a gamepad with more than those hold would be copied
// past its end, so such a gamepad is never asked for.
EM_JS(int, gamepadFitsEvent, (int index, int limit), {
    var pads = navigator.getGamepads ? navigator.getGamepads() : null;
    var pad = pads ? pads[index] : null;
    return pad && pad.axes.length <= limit && pad.buttons.length <= limit ? 1 : 0;
});

// Whether the page may read gamepads at all: in a frame that the embedding page has not
// allowed them, getGamepads throws instead of answering, which would stop the game.
EM_JS(int, gamepadApiUsable, (), {
    try {
        return navigator.getGamepads && navigator.getGamepads() ? 1 : 0;
    } catch (error) {
        return 0;
    }
});

// The gamepad at a browser index when it is connected and laid out as standard.
bool standardGamepad(int index, EmscriptenGamepadEvent& event) {
    if (!gamepadFitsEvent(index, eventSlots)) return false;
    if (emscripten_get_gamepad_status(index, &event) != EMSCRIPTEN_RESULT_SUCCESS) return false;
    return event.connected && std::strcmp(event.mapping, "standard") == 0;
}

} // namespace

void readGamepads(PadState pads[padCount]) {
    static const bool usable = gamepadApiUsable() != 0; // asked once
    if (!usable) return;
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return; // no Gamepad API
    const int count = emscripten_get_num_gamepads();
    EmscriptenGamepadEvent event;
    // Pads whose gamepad has gone free their number first.
    for (int p = 0; p < padCount; ++p) {
        const long long index = slots.device(p);
        if (index >= 0 && (index >= count || !standardGamepad(static_cast<int>(index), event)))
            slots.releasePad(p);
    }
    for (int index = 0; index < count; ++index) {
        if (!standardGamepad(index, event)) continue;
        const int pad = slots.claim(index);
        if (pad < 0) continue; // a third gamepad plays no part
        const int buttons = event.numButtons < eventSlots ? event.numButtons : eventSlots;
        const int axes = event.numAxes < eventSlots ? event.numAxes : eventSlots;
        bool pressed[eventSlots] = {};
        for (int b = 0; b < buttons; ++b) pressed[b] = event.digitalButton[b] != 0;
        pads[pad] = padFromStandardGamepad(event.axis, axes < 0 ? 0 : axes, event.analogButton,
                                           pressed, buttons < 0 ? 0 : buttons);
    }
}
