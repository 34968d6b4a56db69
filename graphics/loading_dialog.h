// The small progress dialog shown while the weapon sprites are generated.
// loading_dialog_win32.cpp shows dialog 102; loading_dialog_headless.cpp records
// what would be shown, for tests.
#pragma once

namespace loading_dialog {

// Creates and shows the dialog; the overall bar runs 0..overallRange.
void open(int overallRange);
void setStatus(const char* text);
void setStageRange(int maximum);
void setStagePosition(int position);
// Advances both bars.
void advance(int delta);
// Handles the dialog's waiting messages so it repaints while the work goes on.
void pump();
void close();

} // namespace loading_dialog
