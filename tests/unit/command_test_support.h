// A clean program state in a scratch working folder, for the command language and
// configuration tests.
#pragma once

#include "app/platform_headless.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class CommandTest : public ::testing::Test {
  protected:
    CommandTest() { resetProgramState(); }
    ~CommandTest() override {
        game.reset();
        resetProgramState();
    }

    // Starts the real game in the scratch folder with this "config.cfg" (none when
    // null), then forgets what start-up printed and recorded.
    void startGame(const char* config = "// nothing configured\n") {
        if (config) folder.write("config.cfg", config);
        game = std::make_unique<HeadlessGame>();
        consoleText.clear();
        commandHistory.clear();
        headless_platform::messageBoxes.clear();
    }

    static void run(const std::string& line) { ExecuteCommandLine(line); }
    static void run(std::initializer_list<const char*> lines) {
        for (const char* line : lines) ExecuteCommandLine(line);
    }

    ScratchFolder folder;
    std::unique_ptr<HeadlessGame> game;
};

using History = std::vector<std::string>;
