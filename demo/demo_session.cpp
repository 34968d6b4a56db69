#include "demo/demo_session.h"

#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "demo/demo_io.h"
#include "demo/demo_platform.h"
#include "demo/demo_replay.h"
#include "game/simulation.h"
#include "graphics/renderer.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

constexpr std::uint8_t escapeKey = 0x1B; // VK_ESCAPE

// The hooks that were in place before a demo took the frame over, called on by the
// recording and put back when it ends.
FrameHooks hooksBefore;

// ---- Recording ----

struct Recording {
    std::string path;
    std::optional<DemoWriter> writer; // made at the first frame, from the state then
    FrameInput input{};               // this frame's, recorded once it has run
    std::uint64_t checksum = 0;       // of the state after the last frame recorded
};
std::optional<Recording> recording;
bool quitting = false; // the game's objects may be gone: nothing of them is read

void recordBetweenFrames() {
    if (hooksBefore.betweenFrames) hooksBefore.betweenFrames();
    Recording& r = *recording;
    if (!r.writer) {
        const GameState state = saveGame();
        r.writer.emplace(encodeState(state));
        r.checksum = stateChecksum(state);
    } else if (stateChangedSince(r.checksum)) {
        // A console session or script changed the game: its effect is recorded, not
        // the lines, which may read files that only this machine has.
        r.writer->stateChange(encodeState(saveGame()));
    }
}

void recordInput(FrameInput& input) {
    if (hooksBefore.input) hooksBefore.input(input);
    recording->input = input;
}

void recordAfterFrame(const FrameEvents& events) {
    Recording& r = *recording;
    r.checksum = stateChecksum(saveGame());
    if (r.writer) r.writer->frame(r.input, r.checksum);
    if (hooksBefore.afterFrame) hooksBefore.afterFrame(events);
}

// Writes the file and ends the recording; the line to print.
std::string finishRecording() {
    Recording r = std::move(*recording);
    recording.reset();
    frameHooks = hooksBefore;
    if (!r.writer && quitting) return {}; // no frame recorded: the old file stays
    // A recording stopped before its first frame holds the state of the moment.
    DemoWriter writer = r.writer ? std::move(*r.writer) : DemoWriter(encodeState(saveGame()));
    if (!replaceFileWith(r.path, encodeDemo(writer.demo())))
        return "STOP: " + r.path + " could not be written";
    demoFileWritten(r.path);
    return "Recorded " + r.path + ": " + std::to_string(writer.demo().frames) + " frames";
}

// A normal quit ends the program with static objects destroyed: a recording still
// going is written then, whole.
struct FinishAtQuit {
    ~FinishAtQuit() {
        quitting = true;
        if (recording) finishRecording();
    }
} finishAtQuit;

// ---- Playing in the window ----

struct Playback {
    Demo demo;
    std::optional<DemoCursor> cursor;
    std::optional<GameState> before; // the game to give back, taken at the first frame
    bool escapeWasUp = false;        // Escape must be pressed during the demo to end it
};
std::optional<Playback> playback;

void endPlayback() {
    if (playback->before) loadGame(*playback->before);
    playback.reset();
    frameHooks = hooksBefore;
}

void playBetweenFrames() {
    Playback& p = *playback;
    if (!p.before) {
        p.before = saveGame();
        GameState start;
        decodeState(p.demo.start, start); // checked when the file was read
        loadGame(start);
        p.cursor.emplace(p.demo);
    }
    while (const DemoStateChange* change = p.cursor->nextChange()) {
        GameState state;
        if (decodeState(change->state, state)) loadGame(state);
    }
}

void playInput(FrameInput& input) {
    Playback& p = *playback;
    // The players' keys do nothing meanwhile; a new press of Escape ends the demo.
    if (keyState[escapeKey] == 0) p.escapeWasUp = true;
    input = p.cursor->input();
}

void showOutOfStep(std::uint32_t second) {
    const std::string text = "The demo is out of step at second " + std::to_string(second) +
                             ": this program does not play it as it was recorded.";
    showMessageBox(mainWindow, text.c_str(), "Demo", MessageBoxOk | MessageBoxIconExclamation);
}

void playAfterFrame(const FrameEvents&) {
    Playback& p = *playback;
    const std::uint64_t checksum = p.cursor->checkAfterFrame() ? stateChecksum(saveGame()) : 0;
    const std::uint32_t outOfStep = p.cursor->advance(checksum);
    const bool escape = p.escapeWasUp && keyState[escapeKey] != 0;
    if (outOfStep == 0 && !p.cursor->finished() && !escape) return;
    endPlayback();
    if (escape) clearKeyState(); // the press that ended the demo does nothing more
    if (outOfStep != 0) showOutOfStep(outOfStep);
}

// Reads a demo named in a command; the line to print when it cannot be used.
bool loadDemo(const char* command, const std::string& name, Demo& demo, std::string& path,
              std::string& line) {
    if (name.empty()) {
        line = std::string(command) + " <file>";
        return false;
    }
    path = findDemoFile(name);
    if (path.empty()) path = findDemoFile(demoFileName(name));
    std::string why;
    if (path.empty()) {
        line = std::string(command) + ": " + name + " was not found";
        return false;
    }
    if (!readDemoFile(path, demo, why)) {
        line = std::string(command) + ": " + path + " " + why;
        return false;
    }
    return true;
}

bool busy(const char* command, std::string& line) {
    if (recording) {
        line = std::string(command) + ": recording " + recording->path + "; STOP first";
        return true;
    }
    if (playback) {
        line = std::string(command) + ": a demo is playing";
        return true;
    }
    return false;
}

} // namespace

std::string startRecording(const std::string& name) {
    std::string line;
    if (busy("RECORD", line)) return line;
    if (name.empty()) return "RECORD <file>";
    // An existing file of that name, in whatever case, is the one replaced.
    std::string path = findDemoFile(demoFileName(name));
    if (path.empty()) path = demoFileName(name);
    if (!canWriteFile(path)) return "RECORD: " + path + " cannot be written";
    recording.emplace();
    recording->path = path;
    hooksBefore = frameHooks;
    frameHooks.betweenFrames = recordBetweenFrames;
    frameHooks.input = recordInput;
    frameHooks.afterFrame = recordAfterFrame;
    return "Recording " + path;
}

std::string stopRecording() {
    if (!recording) return "STOP: not recording";
    return finishRecording();
}

std::string playDemo(const std::string& name) {
    std::string line, path;
    if (busy("PLAYDEMO", line)) return line;
    Demo demo;
    if (!loadDemo("PLAYDEMO", name, demo, path, line)) return line;
    playback.emplace();
    playback->demo = std::move(demo);
    hooksBefore = frameHooks;
    frameHooks.betweenFrames = playBetweenFrames;
    frameHooks.input = playInput;
    frameHooks.afterFrame = playAfterFrame;
    frameHooks.showDeathBoxes = true; // exactly what was seen
    return "Playing " + path;
}

std::string timeDemo(const std::string& name) {
    std::string line, path;
    if (busy("TIMEDEMO", line)) return line;
    Demo demo;
    if (!loadDemo("TIMEDEMO", name, demo, path, line)) return line;

    const GameState before = saveGame();
    GameState state;
    decodeState(demo.start, state); // checked when the file was read
    loadGame(state);
    std::uint64_t checksum = stateChecksum(state);

    // As fast as the program can: every frame simulated and drawn, no death box
    // waited for and no sound played (at this pace they would be noise).
    DemoCursor cursor(demo);
    FrameEvents events;
    std::uint32_t outOfStep = 0;
    const auto startTime = std::chrono::steady_clock::now();
    while (!cursor.finished() && outOfStep == 0) {
        while (const DemoStateChange* change = cursor.nextChange())
            if (decodeState(change->state, state)) loadGame(state);
        simulateFrame(cursor.input(), events);
        drawFrame(events);
        renderer.present(1);
        if (cursor.checkAfterFrame()) checksum = stateChecksum(saveGame());
        outOfStep = cursor.advance(checksum);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    loadGame(before);

    if (outOfStep != 0) {
        showOutOfStep(outOfStep);
        return "TIMEDEMO: " + path + " is out of step at second " + std::to_string(outOfStep);
    }
    char text[160];
    std::snprintf(text, sizeof text, "%u frames, %.3f s, %.1f fps, checksum ", cursor.frame(),
                  seconds, seconds > 0.0 ? cursor.frame() / seconds : 0.0);
    return text + checksumText(checksum);
}

bool demoRecording() {
    return recording.has_value();
}

bool demoPlaying() {
    return playback.has_value();
}
