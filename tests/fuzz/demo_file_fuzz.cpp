// Reads arbitrary bytes as a demo. A file the reader takes must write back to bytes
// that read as the same demo, and be one it could replay: every state in it loads.
#include "demo/demo_file.h"
#include "game/simulation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Demo demo;
    if (decodeDemo({data, size}, demo) != DemoError::None) return 0;

    GameState state;
    if (!decodeState(demo.start, state)) std::abort();
    for (const DemoStateChange& change : demo.changes)
        if (change.frame >= demo.frames || !decodeState(change.state, state)) std::abort();
    std::uint64_t frames = 0;
    for (const DemoInputRun& run : demo.runs) frames += run.frames;
    if (frames != demo.frames || demo.checksums.size() != demo.frames / demoFramesPerCheck)
        std::abort();

    Demo again;
    if (decodeDemo(encodeDemo(demo), again) != DemoError::None) std::abort();
    if (again.frames != demo.frames || again.start != demo.start ||
        again.checksums != demo.checksums || again.finalChecksum != demo.finalChecksum ||
        again.changes.size() != demo.changes.size() || again.runs.size() != demo.runs.size())
        std::abort();
    return 0;
}
