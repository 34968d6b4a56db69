// The file stays in the program's folder, where the player finds it.
#include "demo/demo_platform.h"

void demoFileWritten(const std::string&) {}
