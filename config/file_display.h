// Shows text files at the top of the console.
#pragma once

#include <string>

void ShowTextFile(const std::string& name);
