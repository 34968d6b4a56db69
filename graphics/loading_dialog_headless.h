// What the headless loading dialog recorded, so tests can check the stages that
// the sprite generation showed.
#pragma once

#include <string>
#include <vector>

namespace loading_dialog {

// One stage: from one status text to the next (or to the close).
struct RecordedStage {
    std::string status;
    int range = 0;    // the stage bar's maximum when the stage ended
    int position = 0; // the stage bar's position when the stage ended
};

struct Record {
    bool open = false; // between open() and close()
    int opens = 0;
    int closes = 0;
    std::string status; // the status line now; the template text until the first status
    int stageRange = 0;
    int stagePosition = 0;
    int overallRange = 0;
    int overallPosition = 0;
    int pumps = 0;
    std::vector<RecordedStage> stages; // finished stages, in order
};

// open() starts a fresh record; it stays readable after close().
const Record& record();

// The text the dialog template shows until the first status message.
inline constexpr const char* templateStatus = "asdf";

} // namespace loading_dialog
