// The loading dialog on the web page: a panel over the canvas with the status line,
// the stage bar and the overall bar (drawn by page.js). The work runs on the page's
// own thread, so the panel can only repaint when the work lets the page have its turn:
// after each status (so that every stage is seen) and otherwise as often as the
// Windows dialog moves its bars.
#include "graphics/loading_dialog.h"

#include "graphics/loading_progress.h"

#include <emscripten.h>

#include <cstdint>

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

bool shown = false;
// A status set since the page last repainted. A stage may take less than a turn of
// the page: without a repaint of its own its status could be replaced unseen.
bool statusUnseen = false;
LoadingProgress progress;

std::uint32_t now() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now()));
}

void showBars() {
    loadingStage(progress.stageRange(), progress.stagePosition());
    loadingOverall(progress.overallPosition());
}

// Shows the bars as they stand and lets the page repaint them.
void repaintPanel() {
    showBars();
    loadingYield();
    progress.barsShown(now());
    statusUnseen = false;
}

} // namespace

void open(int range) {
    shown = true;
    progress.open(range < 0 ? 0 : range, now());
    loadingOpen(progress.overallRange());
    repaintPanel(); // the panel shows before the work begins
}

void setStatus(const char* text) {
    if (!shown) return;
    loadingStatus(text ? text : "");
    // Repainted at the next pump, once the stage bar is set for the new stage.
    statusUnseen = true;
}

void setStageRange(int maximum) {
    if (!shown) return;
    progress.setStageRange(maximum);
    loadingStage(progress.stageRange(), progress.stagePosition());
}

void setStagePosition(int position) {
    if (!shown) return;
    progress.setStagePosition(position);
    loadingStage(progress.stageRange(), progress.stagePosition());
}

void advance(int delta) {
    if (shown) progress.advance(delta);
}

void pump() {
    if (shown && (statusUnseen || progress.barsDue(now()))) repaintPanel();
}

void close() {
    if (!shown) return;
    showBars();
    loadingClose();
    shown = false;
}

} // namespace loading_dialog
