// A fresh temporary working folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

// The whole of a file, byte for byte; empty when it cannot be read.
std::string readFile(const std::string& path);

class ScratchFolder {
  public:
    ScratchFolder();  // creates the folder and makes it the working directory
    ~ScratchFolder(); // goes back to the previous working directory and removes it
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return folder; }
    // Writes a file in the folder.
    void write(const std::string& name, const std::string& contents) const;
    // Copies a shipped data file (built into BRAWLEX_DATA_DIR) into the folder.
    void copyGameFile(const std::string& name) const;

  private:
    std::filesystem::path previous;
    std::filesystem::path folder;
};
