// STUB: replaced by the native loading dialog.
#include "graphics/loading_dialog.h"
namespace loading_dialog {
void open(int) {}
void setStatus(const char*) {}
void setStageRange(int) {}
void setStagePosition(int) {}
void advance(int) {}
void pump() {}
void close() {}
} // namespace loading_dialog
