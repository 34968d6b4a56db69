#include "app/app_state.h"

InstanceHandle appInstance = nullptr;
WindowHandle mainWindow = nullptr;
std::uint8_t isActive = 1;
Bounds playArea{};
