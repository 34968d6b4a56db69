// SET: the game variables the command language can change.
#pragma once

#include "command/commands.h"

// SET NAME [PLAYER] VALUE...: stores one variable; unknown names and bad values
// change nothing.
CommandOutcome SetVariable(CommandContext& context);
