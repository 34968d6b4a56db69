// The platform's audio output, one file per layer (audio_output_win32.cpp,
// audio_output_sdl.cpp, audio_output_web.cpp, audio_output_headless.cpp). The output
// pulls mixed samples from the mixer, on its own thread where the platform has one.
#pragma once

class Mixer;

// Opens the audio device and starts pulling from `mixer`; false when there is no
// device (the game then stays silent). Nothing is shown or printed either way.
bool startAudioOutput(Mixer& mixer);
// Stops pulling and closes the device; nothing is pulled from the mixer after it.
void stopAudioOutput();
// Game thread, while the output runs (called as sounds are raised): where the
// platform lets a device go away, opens the default device in place of one that did.
void serviceAudioOutput();
