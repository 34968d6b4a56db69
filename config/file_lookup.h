// Finds a file by a name that may differ from it in letter case.
#pragma once

#include <cstdio>
#include <string>

// Opens `name` for reading in text mode: the exact name first, then a name in the
// same folder that matches it ignoring case. Null when neither opens.
std::FILE* openTextFile(const std::string& name);
