// Recording and playing demos in the running program: what RECORD, STOP, PLAYDEMO
// and TIMEDEMO do. Each returns the line the console prints (empty for none).
#pragma once

#include <string>

// Starts recording into `name` from the next frame. The file is written by STOP,
// by a normal quit, or never; until then an existing file of that name is kept.
std::string startRecording(const std::string& name);
// Ends the recording and writes its file.
std::string stopRecording();
// Plays a demo in the window from the next frame, at the game's own pace; the end
// of the demo, or Escape, gives back the game as it was.
std::string playDemo(const std::string& name);
// Plays a demo at once, as fast as the program can, drawing every frame, then gives
// back the game as it was. Its line: "<frames> frames, <seconds> s, <frames per
// second> fps, checksum <16 hex digits>".
std::string timeDemo(const std::string& name);

bool demoRecording();
bool demoPlaying();
