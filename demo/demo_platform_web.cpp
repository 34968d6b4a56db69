// The page's files live in its memory only: a finished recording is offered as a
// download, so that it outlives the page.
#include "demo/demo_platform.h"

#include <emscripten.h>

namespace {

EM_JS(void, pageOfferDemo, (const char* path), {
    if (window.BrawlexDemos) BrawlexDemos.offerDownload(UTF8ToString(path));
});

} // namespace

void demoFileWritten(const std::string& path) {
    pageOfferDemo(path.c_str());
}
