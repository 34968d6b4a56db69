// Finds a file by a name that may differ from it in letter case.
#pragma once

#include <cstdio>
#include <string>

// Opens `name` for reading in text mode: the exact name first, then a name in the
// same folder that matches it ignoring case. Outside Windows, then the same for the
// name in UTF-8 (its 8-bit characters read as code page 1252), and for the name
// without trailing blanks and dots. Null when none opens.
std::FILE* openTextFile(const std::string& name);

// True when `name` is a plain file: a folder holds no lines, and a device or a pipe
// may never end ("/dev/zero") or block until someone writes to it.
bool isRegularFile(const std::string& name);
// Whether two names are equal with letters a-z and A-Z matching either case and every
// other byte only itself.
bool sameIgnoringCase(const std::string& a, const std::string& b);
