// STUB: replaced by the native console.
#include "config/console.h"
int historyPos = -1;
void openConsole() {}
