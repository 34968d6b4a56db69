// The program's long-lived objects, defined in one place so that they are
// constructed in this order (and the lists destroyed in the reverse order):
// the Renderer, the two players, the bullets, the console text, the command
// history and the aliases.
#include "app/frame.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "game/player.h"
#include "graphics/renderer.h"

Renderer renderer;
Player players[2];
std::vector<Bullet> bullets;
std::string consoleText;
std::vector<std::string> commandHistory;
std::vector<Alias> AliasTable;
