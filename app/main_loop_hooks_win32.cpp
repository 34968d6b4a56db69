// The shipped program measures nothing: its main loop hooks are empty.
#include "app/main_loop_hooks.h"

void mainLoopStarted() {}
void frameStarting() {}
void frameEnded() {}
void mainLoopEnded() {}
