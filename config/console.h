// The console dialog, opened by the frame step while the console key is held.
#pragma once

#include <string>

// Runs the console modally; returns when it closes.
void openConsole();

// Index in commandHistory of the line recalled into the input box; -1 when none.
extern int historyPos;
