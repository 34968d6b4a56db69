// The bookkeeping every loading dialog keeps, whatever draws it: where its two bars
// stand, the steps not yet shown on them, and when the bars were last shown and the
// dialog last served. The layers' dialogs (loading_dialog_*.cpp) keep one each.
#pragma once

#include <cstdint>

// Positions behave as a progress-bar control keeps them: within 0..range (0..0 for a
// negative range). Times are milliseconds of any clock that wraps at 2^32, such as
// a tick count; only differences between them are used.
class LoadingProgress {
  public:
    // How often, at most, the bars are shown again and the dialog served: about thirty
    // times a second, a smooth movement for bars that fill in a fraction of a second,
    // while showing each of the 1,440 steps would cost far more than the step itself.
    static constexpr std::uint32_t updateMilliseconds = 30;

    // A fresh dialog: the overall bar 0..overallRange, the stage bar 0..0 at 0, the
    // bars just shown and the first serve due at once.
    void open(int overallRange, std::uint32_t now);

    void setStageRange(int maximum);
    void setStagePosition(int position);
    // Advances both bars by `delta` steps.
    void advance(int delta);

    int stageRange() const { return stageRange_; }
    int stagePosition() const { return stagePosition_; }
    int overallRange() const { return overallRange_; }
    int overallPosition() const { return overallPosition_; }

    // The steps advanced since the bars were last shown (as given, unclamped: a
    // control that takes a delta clamps it itself).
    int pendingSteps() const { return pendingSteps_; }
    // True once updateMilliseconds have passed since the bars were last shown.
    bool barsDue(std::uint32_t now) const;
    // The bars were shown as they stand: nothing is pending from `now` on.
    void barsShown(std::uint32_t now);

    // True at most once per updateMilliseconds (the first time at once after open):
    // the dialog is to be served now.
    bool serveDue(std::uint32_t now);

  private:
    int stageRange_ = 0;
    int stagePosition_ = 0;
    int overallRange_ = 0;
    int overallPosition_ = 0;
    int pendingSteps_ = 0;
    std::uint32_t lastShown_ = 0;
    std::uint32_t lastServed_ = 0;
};
