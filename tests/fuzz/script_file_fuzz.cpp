// Runs arbitrary bytes as a script file and shows them as a text file.
#include "command_fuzz_support.h"
#include "config/file_display.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    startFuzzGame();
    resetCommandState();
    if (std::FILE* file = std::fopen("fuzz.cfg", "wb")) { // in the scratch folder
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    ExecuteScriptFile("fuzz.cfg");
    ShowTextFile("FUZZ.CFG");
    checkCommandState();
    return 0;
}
