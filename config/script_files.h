// Script files and the start-up configuration.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Names of the script files running now, innermost last.
extern std::vector<std::string> ActiveScriptFiles;

// Runs a script line by line, then `then`; when the file is running already, only
// `then`. True when it ran or was already running; false, with nothing run, when it
// cannot be opened. From inside a command the lines and `then` run once that command
// returns, before the next one of its line (see RunLines); anywhere else, before
// this returns.
bool ExecuteScriptFile(const std::string& name, std::function<void()> then = {});

// Runs "config.cfg" (or reports it missing and stores the default keys), then
// takes the configuration snapshot, as ExecuteScriptFile runs a file.
void LoadConfiguration();
