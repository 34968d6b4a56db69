// The page's files live in its memory only: a finished recording is offered as a
// download so that it outlives the page, and a demo the player gives the page
// (dropped on it or picked with its file chooser) is written into the program's
// folder, where PLAYDEMO finds it by its name.
#include "demo/demo_platform.h"

#include <emscripten.h>

namespace {

// clang-format off
EM_JS(void, pageOfferDemo, (const char* path), {
    const name = UTF8ToString(path);
    if (window.BrawlexDemos) BrawlexDemos.offerDownload(name.split("/").pop(), FS.readFile(name));
});

// page.js calls Module.brawlexWriteDemo(name, bytes) with the player's file; the name
// is the file's own, without any folder, so nothing lands outside the game's folder,
// and it must end in ".dem". Returns the name written, or "" for a name refused.
EM_JS(void, pageInstallDemoWriter, (), {
    Module.brawlexWriteDemo = function(name, bytes) {
        // (Characters 92 and 0, the backslash and NUL, by number: the build's tools
        // do not carry escapes through an EM_JS body.)
        const plain = String(name).split("/").pop().split(String.fromCharCode(92)).pop()
                                  .split(String.fromCharCode(0)).join("");
        // Only demo files: a dropped "config.cfg" must not replace the game's own.
        if (!plain.toLowerCase().endsWith(".dem") || plain.length <= 4) return "";
        FS.writeFile("/" + plain, bytes);
        return plain;
    };
});
// clang-format on

struct InstallDemoWriter {
    InstallDemoWriter() { pageInstallDemoWriter(); }
} installDemoWriter;

} // namespace

void demoFileWritten(const std::string& path) {
    pageOfferDemo(path.c_str());
}
