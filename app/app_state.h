// Process-wide state of the application shell.
#pragma once

#include "graphics/handles.h"

#include <cstdint>

extern InstanceHandle appInstance; // the program's own module
extern WindowHandle mainWindow;    // the game window; null until created
extern std::uint8_t isActive;      // frames run only while set; starts set
extern Bounds playArea;            // the game window's client rectangle, taken once at start-up
