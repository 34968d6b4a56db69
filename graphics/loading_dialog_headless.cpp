// The headless loading dialog shows nothing; it keeps what a real one would show.
// The bars behave like progress-bar controls: positions stay within 0..range.
#include "graphics/loading_dialog_headless.h"
#include "graphics/loading_dialog.h"

#include <algorithm>

namespace loading_dialog {

namespace {

Record current;
bool stageStarted = false;

int clampToRange(long long position, int range) {
    return static_cast<int>(std::clamp<long long>(position, 0, std::max(range, 0)));
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
    current.overallRange = overallRange;
}

void setStatus(const char* text) {
    if (!current.open) return;
    finishStage();
    current.status = text ? text : "";
    stageStarted = true;
}

void setStageRange(int maximum) {
    if (!current.open) return;
    current.stageRange = maximum;
    current.stagePosition = clampToRange(current.stagePosition, maximum);
}

void setStagePosition(int position) {
    if (!current.open) return;
    current.stagePosition = clampToRange(position, current.stageRange);
}

void advance(int delta) {
    if (!current.open) return;
    current.stagePosition =
        clampToRange(static_cast<long long>(current.stagePosition) + delta, current.stageRange);
    current.overallPosition =
        clampToRange(static_cast<long long>(current.overallPosition) + delta, current.overallRange);
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
