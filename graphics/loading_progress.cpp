// The loading dialog's bars and pacing, kept apart from what draws them.
#include "graphics/loading_progress.h"

#include <algorithm>
#include <climits>

namespace {

int clamped(long long position, int range) {
    return static_cast<int>(std::clamp<long long>(position, 0, std::max(range, 0)));
}

// A delta added to a running count without overflowing it.
int saturatedSum(int count, int delta) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(count) + delta, INT_MIN, INT_MAX));
}

} // namespace

void LoadingProgress::open(int overallRange, std::uint32_t now) {
    stageRange_ = 0;
    stagePosition_ = 0;
    overallRange_ = overallRange;
    overallPosition_ = 0;
    pendingSteps_ = 0;
    lastShown_ = now;
    lastServed_ = now - updateMilliseconds;
}

void LoadingProgress::setStageRange(int maximum) {
    stageRange_ = maximum;
    stagePosition_ = clamped(stagePosition_, stageRange_);
}

void LoadingProgress::setStagePosition(int position) {
    stagePosition_ = clamped(position, stageRange_);
}

void LoadingProgress::advance(int delta) {
    stagePosition_ = clamped(static_cast<long long>(stagePosition_) + delta, stageRange_);
    overallPosition_ = clamped(static_cast<long long>(overallPosition_) + delta, overallRange_);
    pendingSteps_ = saturatedSum(pendingSteps_, delta);
}

bool LoadingProgress::barsDue(std::uint32_t now) const {
    return now - lastShown_ >= updateMilliseconds;
}

void LoadingProgress::barsShown(std::uint32_t now) {
    pendingSteps_ = 0;
    lastShown_ = now;
}

bool LoadingProgress::serveDue(std::uint32_t now) {
    if (now - lastServed_ < updateMilliseconds) return false;
    lastServed_ = now;
    return true;
}
