// Feeds arbitrary text to the interpreter, one line per line of the input, so that
// aliases defined by one line run in the next.
#include "command_fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    startFuzzGame();
    resetCommandState();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        ExecuteCommandLine(input.substr(start, end - start));
        start = end + 1;
    }
    checkCommandState();
    return 0;
}
