// The Windows layer's pads (XInput), as the window procedure sees them.
#pragma once

// A device came or went (WM_DEVICECHANGE): pads not connected are looked for at every
// frame for a few seconds, so a pad plugged in plays from the frame XInput sees it.
void noteDeviceChange();
