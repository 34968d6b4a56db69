// STUB: replaced by the script files.
#include "config/script_files.h"
std::vector<std::string> ActiveScriptFiles;
bool ExecuteScriptFile(const std::string&) {
    return false;
}
void LoadConfiguration() {}
