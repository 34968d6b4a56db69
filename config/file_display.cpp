// STUB: replaced by the file display.
#include "config/file_display.h"
void ShowTextFile(const std::string&) {}
