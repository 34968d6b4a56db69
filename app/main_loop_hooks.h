// Points of the Windows program's main loop where a benchmark build measures. The
// shipped program defines them empty (main_loop_hooks_win32.cpp); brawlex_bench.exe
// links bench/frame_stats_win32.cpp instead, which records frame statistics.
#pragma once

// After the timer resolution is set, before the first message is handled.
void mainLoopStarted();
// Just before and just after each frame.
void frameStarting();
void frameEnded();
// After the quit message, before the timer resolution is restored.
void mainLoopEnded();
