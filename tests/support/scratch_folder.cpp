#include "tests/support/scratch_folder.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

#ifndef BRAWLEX_DATA_DIR
#define BRAWLEX_DATA_DIR "."
#endif

ScratchFolder::ScratchFolder() : previous(fs::current_path()) {
    static std::atomic<int> counter{0};
    folder = fs::temp_directory_path() /
             ("brawlex-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(folder, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ScratchFolder::write(const std::string& name, const std::string& contents) const {
    std::ofstream out(folder / name, std::ios::binary);
    out << contents;
}

void ScratchFolder::copyGameFile(const std::string& name) const {
    fs::copy_file(fs::path(BRAWLEX_DATA_DIR) / name, folder / name,
                  fs::copy_options::overwrite_existing);
}
