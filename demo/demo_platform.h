// What a layer does with a demo file that a recording has just written. The web
// page offers it as a download; the other programs leave it where it was written.
#pragma once

#include <string>

void demoFileWritten(const std::string& path);
