// Demo files on disk: finding, reading and replacing them.
#pragma once

#include "demo/demo_file.h"

#include <cstdint>
#include <string>
#include <vector>

// The name a demo is looked for and saved under: a name without an extension gets
// ".DEM" (the command language upper-cases every name it is given).
std::string demoFileName(const std::string& name);

// The existing file `name` names, matched ignoring letter case where the file
// system tells cases apart; empty when there is none.
std::string findDemoFile(const std::string& name);

// Reads and checks a whole demo file. On failure `demo` is unchanged and `why` says
// in a few words what is wrong with it ("is cut short", "was not found").
bool readDemoFile(const std::string& path, Demo& demo, std::string& why);

// Writes `bytes` to a new file beside `path` and then puts it in the place of
// `path`, so that an existing file is either replaced whole or left as it was.
bool replaceFileWith(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Whether a file could be made at `path`: made and removed again at once.
bool canWriteFile(const std::string& path);
