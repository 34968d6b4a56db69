// Script files and the start-up configuration.
#pragma once

#include <string>
#include <vector>

// Names of the script files running now, innermost last.
extern std::vector<std::string> ActiveScriptFiles;

// Runs a script line by line. True when it ran or was already running.
bool ExecuteScriptFile(const std::string& name);

// Runs "config.cfg" (or reports it missing and stores the default keys), then
// takes the configuration snapshot.
void LoadConfiguration();
