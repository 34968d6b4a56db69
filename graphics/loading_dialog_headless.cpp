// The headless loading dialog shows nothing; it keeps what a real one would show.
// The bars behave like progress-bar controls: positions stay within 0..range.
#include "graphics/loading_dialog_headless.h"
#include "graphics/loading_dialog.h"
#include "graphics/loading_progress.h"

namespace loading_dialog {

namespace {

Record current;
bool stageStarted = false;
LoadingProgress progress;

void keepBars() {
    current.stageRange = progress.stageRange();
    current.stagePosition = progress.stagePosition();
    current.overallRange = progress.overallRange();
    current.overallPosition = progress.overallPosition();
}

void finishStage() {
    if (stageStarted)
        current.stages.push_back({current.status, current.stageRange, current.stagePosition});
    stageStarted = false;
}

} // namespace

const Record& record() {
    return current;
}

void open(int overallRange) {
    current = Record{};
    stageStarted = false;
    current.open = true;
    current.opens = 1;
    current.status = templateStatus;
    progress.open(overallRange, 0);
    keepBars();
}

void setStatus(const char* text) {
    if (!current.open) return;
    finishStage();
    current.status = text ? text : "";
    stageStarted = true;
}

void setStageRange(int maximum) {
    if (!current.open) return;
    progress.setStageRange(maximum);
    keepBars();
}

void setStagePosition(int position) {
    if (!current.open) return;
    progress.setStagePosition(position);
    keepBars();
}

void advance(int delta) {
    if (!current.open) return;
    progress.advance(delta);
    keepBars();
}

void pump() {
    if (current.open) ++current.pumps;
}

void close() {
    if (!current.open) return;
    finishStage();
    current.open = false;
    ++current.closes;
}

} // namespace loading_dialog
