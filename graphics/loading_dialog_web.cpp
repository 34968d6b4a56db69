// The loading dialog on the web page: a panel over the canvas with the status line,
// the stage bar and the overall bar (drawn by page.js). The work runs on the page's
// own thread, so the panel can only repaint when the work lets the page have its turn.
#include "graphics/loading_dialog.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, loadingOpen, (int overallRange), { BrawlexPage.loading.open(overallRange); });
EM_JS(void, loadingStatus, (const char* text), {
    BrawlexPage.loading.status(BrawlexPage.text(HEAPU8, text));
});
EM_JS(void, loadingStage, (int range, int position), {
    BrawlexPage.loading.stage(range, position);
});
EM_JS(void, loadingOverall, (int position), { BrawlexPage.loading.overall(position); });
EM_JS(void, loadingClose, (), { BrawlexPage.loading.close(); });
EM_ASYNC_JS(void, loadingYield, (), { await BrawlexPage.loading.yieldToPage(); });
// clang-format on

namespace loading_dialog {

namespace {

// The bars as a progress-bar control keeps them: positions within 0..range.
bool shown = false;
int stageRange = 0;
int stagePosition = 0;
int overallRange = 0;
int overallPosition = 0;
double lastYield = 0.0;

// How long the work runs between two turns of the page: long enough that the turns
// cost little, short enough that the bars move smoothly (about 30 times a second).
constexpr double yieldMilliseconds = 33.0;

int clamped(long long position, int range) {
    if (position < 0) return 0;
    if (range < 0) range = 0;
    return position > range ? range : static_cast<int>(position);
}

} // namespace

void open(int range) {
    shown = true;
    stageRange = 0;
    stagePosition = 0;
    overallRange = range < 0 ? 0 : range;
    overallPosition = 0;
    loadingOpen(overallRange);
    lastYield = emscripten_get_now();
    loadingYield(); // the panel shows before the work begins
}

void setStatus(const char* text) {
    if (shown) loadingStatus(text ? text : "");
}

void setStageRange(int maximum) {
    if (!shown) return;
    stageRange = maximum;
    stagePosition = clamped(stagePosition, stageRange);
    loadingStage(stageRange, stagePosition);
}

void setStagePosition(int position) {
    if (!shown) return;
    stagePosition = clamped(position, stageRange);
    loadingStage(stageRange, stagePosition);
}

void advance(int delta) {
    if (!shown) return;
    stagePosition = clamped(static_cast<long long>(stagePosition) + delta, stageRange);
    overallPosition = clamped(static_cast<long long>(overallPosition) + delta, overallRange);
}

void pump() {
    if (!shown) return;
    const double now = emscripten_get_now();
    if (now - lastYield < yieldMilliseconds) return;
    loadingStage(stageRange, stagePosition);
    loadingOverall(overallPosition);
    loadingYield();
    lastYield = emscripten_get_now();
}

void close() {
    if (!shown) return;
    loadingStage(stageRange, stagePosition);
    loadingOverall(overallPosition);
    loadingClose();
    shown = false;
}

} // namespace loading_dialog
