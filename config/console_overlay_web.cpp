// The console on the web page. For now it opens and closes at once, as the headless
// console does without a driver: the console drawn in the game takes its place.
#include "config/console.h"
#include "config/console_session.h"

void openConsole() {
    const ConsoleWindow window{[](const std::string&) {}, [](const std::string&) {}, [] {}};
    consoleOpened(window);
    consoleCloseRequested(window);
}
