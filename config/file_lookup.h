// Finds a file by a name that may differ from it in letter case.
#pragma once

#include <cstdio>
#include <string>

// Opens `name` for reading in text mode: the exact name first, then a name in the
// same folder that matches it ignoring case. Outside Windows, then the same for the
// name in UTF-8 (its 8-bit characters read as code page 1252), and for the name
// without trailing blanks and dots. Null when none opens.
std::FILE* openTextFile(const std::string& name);
