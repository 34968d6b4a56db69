#include "command_test_support.h"

#include "app/platform.h"
#include "config/file_display.h"
#include "config/file_lookup.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "game/game_state.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

using ScriptFilesTest = CommandTest;

namespace {

const std::string missingConfig = "Configuration file not found; using defaults";

// The lines a script ran, oldest first, as the history recorded them.
History ranLines() {
    return History(commandHistory.rbegin(), commandHistory.rend());
}

} // namespace

TEST_F(ScriptFilesTest, LineFormat) {
    const std::string line127(127, 'X');
    struct Case {
        std::string contents;
        History ran;
    };
    const Case cases[] = {
        {"A\nB\n", {"A", "B"}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\nB", {"A", "B"}}, // the last line needs no line end
        {"A\n\n\nB\n", {"A", "B"}},
        {"// comment\nA\n//B\n", {"A"}},
        {"  // not a comment\n /\n", {"  // not a comment", " /"}},
        {"   \n", {"   "}},
        {"A // trailing\n", {"A // trailing"}},
        {"A\rB\n", {"A\rB"}}, // a carriage return inside the line stays
        {"A\r", {"A\r"}},     // and so does one with no line feed after it
        {"", {}},
        // 127 characters run; longer lines are skipped whole.
        {line127 + "\n" + line127 + "Y\nB\n", {line127, "B"}},
        {line127 + "\r\n", {line127}},
        {std::string(100000, 'Z') + "\nB", {"B"}},
        {std::string(200, 'Z') + ";ECHO CUT\nB\n", {"B"}},
    };
    for (const Case& c : cases) {
        resetProgramState();
        folder.write("s.cfg", c.contents);
        EXPECT_TRUE(ExecuteScriptFile("s.cfg"));
        EXPECT_EQ(ranLines(), c.ran) << c.contents.substr(0, 40);
        EXPECT_TRUE(ActiveScriptFiles.empty());
        EXPECT_EQ(consoleText.find("'CUT"), std::string::npos);
    }
}

TEST_F(ScriptFilesTest, MissingFilesAreSilentAndLeaveNoTrace) {
    run("ECHOOFF");
    EXPECT_FALSE(ExecuteScriptFile("absent.cfg"));
    EXPECT_TRUE(ActiveScriptFiles.empty());
    run("EXEC ABSENT.CFG;ECHO STILL");
    EXPECT_EQ(consoleText, "'STILL\r\n");
    // Once the file exists the same name runs.
    folder.write("absent.cfg", "ECHO NOW\n");
    run("EXEC ABSENT.CFG");
    EXPECT_EQ(consoleText.substr(0, 6), "'NOW\r\n");
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
}

TEST_F(ScriptFilesTest, AFileDoesNotRunItselfUnderTheSameName) {
    // EXEC names arrive upper case, so the file is named that way here.
    folder.write("SELF.CFG", "ECHO SELF\nEXEC SELF.CFG\n");
    run("ECHOOFF");
    run("EXEC SELF.CFG");
    EXPECT_EQ(consoleText, "'SELF\r\n");
    EXPECT_TRUE(ExecuteScriptFile("SELF.CFG"));
    EXPECT_EQ(consoleText, "'SELF\r\n'SELF\r\n");

    // Two files that run each other: each runs once.
    folder.write("one.cfg", "ECHO ONE\nexec two.cfg\n");
    folder.write("two.cfg", "ECHO TWO\nexec one.cfg\n");
    run("ECHOON");
    consoleText.clear();
    run("EXEC ONE.CFG");
    EXPECT_EQ(consoleText, "EXEC ONE.CFG\r\nexec two.cfg\r\nexec one.cfg\r\n'TWO\r\n'ONE\r\n");
    EXPECT_TRUE(ActiveScriptFiles.empty());
}

TEST_F(ScriptFilesTest, NamesFindTheirFilesWhateverTheCase) {
    std::filesystem::create_directories(folder.path() / "Scripts");
    folder.write("Scripts/Duel.cfg", "ECHO DUEL\n");
    folder.write("notes.txt", "hello\n");
    run("ECHOOFF");
    run("EXEC SCRIPTS/DUEL.CFG");
    EXPECT_EQ(consoleText, "'DUEL\r\n");
    consoleText.clear();
    run("SHOWFILE NOTES.TXT");
    EXPECT_EQ(consoleText, "hello\r\n\r\n\r\n");

    // Exact names win over others that differ only in case.
    folder.write("Pick.cfg", "ECHO MIXED\n");
    folder.write("PICK.CFG", "ECHO EXACT\n");
    consoleText.clear();
    run("EXEC PICK.CFG");
    EXPECT_EQ(consoleText, "'EXACT\r\n");

    // Names that cannot be a readable file open nothing; a pipe would block.
    ASSERT_EQ(::mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    run("EXEC PIPE;SHOWFILE PIPE");
    for (const std::string& name :
         std::vector<std::string>{"", "SCRIPTS", ".", "..", "NOPE/DUEL.CFG", "DUEL.CFG",
                                  std::string("NOTES.TXT\0X", 11)}) {
        std::FILE* file = openTextFile(name);
        EXPECT_EQ(file, nullptr) << name;
        if (file) std::fclose(file);
    }
}

// Only the letters a-z and A-Z match either case; every other byte of a name, such
// as those of a UTF-8 or a Latin-1 "ü", reaches the file system unchanged and
// matches only itself.
TEST_F(ScriptFilesTest, NamesWithLettersBeyondAsciiKeepTheirBytes) {
    folder.write("\xc3\xbc"
                 "ber.cfg",
                 "ECHO UTF-8\n");                            // "über.cfg" in UTF-8
    folder.write("caf\xe9.cfg", "ECHO LATIN-1\n");           // "café.cfg" in Latin-1
    folder.write("\xc3\x84rger.txt", "upper-case umlaut\n"); // "Ärger.txt"
    run("ECHOOFF");
    run("exec \xc3\xbc"
        "ber.cfg"); // upper-cased to "EXEC üBER.CFG"
    run("EXEC CAF\xe9.CFG");
    EXPECT_EQ(consoleText, "'LATIN-1\r\n'UTF-8\r\n");
    consoleText.clear();
    run("SHOWFILE \xc3\xa4rger.txt"); // "ärger.txt": ä is not Ä
    run("EXEC CAF\xc9.CFG");          // "CAFÉ.CFG" in Latin-1: É is not é
    EXPECT_EQ(consoleText, "");
}

// Names typed in the console hold 8-bit characters (code page 1252), which these file
// systems do not use; and Windows drops the blanks and dots a name ends in. A name
// not found as it is is tried both ways, while a file named exactly as typed wins.
TEST_F(ScriptFilesTest, NamesNotFoundAsTypedAreTriedInUtf8AndWithoutTrailingBlanks) {
    folder.write("\xc3\xbc"
                 "ber.cfg",
                 "ECHO UBER\n");                          // "über.cfg" in UTF-8
    folder.write("\xe2\x82\xac.cfg", "ECHO EURO\n");      // "€.cfg"
    folder.write("caf\xc3\xa9.cfg", "ECHO UTF-8 CAFE\n"); // "café.cfg"
    folder.write("caf\xe9.cfg", "ECHO 8-BIT CAFE\n");     // the same, 8-bit
    folder.write("duel.cfg", "ECHO DUEL\n");
    folder.write("trail.cfg", "ECHO TRIMMED\n");
    folder.write("trail.cfg ", "ECHO EXACT\n");
    std::filesystem::create_directories(folder.path() / "d\xc3\xa9j\xc3\xa0");
    folder.write("d\xc3\xa9j\xc3\xa0/notes.txt", "in a folder\n");
    struct Case {
        std::string line;
        std::string printed;
    };
    const Case cases[] = {
        {"exec \xfc"
         "ber.cfg",
         "'UBER\r\n"},
        {"EXEC \x80.CFG", "'EURO\r\n"},
        {"EXEC CAF\xe9.CFG", "'8-BIT CAFE\r\n"},
        {"EXEC DUEL.CFG ", "'DUEL\r\n"},
        {"EXEC DUEL.CFG. .", "'DUEL\r\n"},
        {"EXEC TRAIL.CFG ", "'EXACT\r\n"},
        {"EXEC TRAIL.CFG..", "'TRIMMED\r\n"},
        {"EXEC \xfc"
         "BER.CFG  ",
         "'UBER\r\n"},
        {"SHOWFILE D\xe9J\xe0/NOTES.TXT ", "in a folder\r\n\r\n\r\n"},
        // Only blanks and dots at the end go; a name of dots is no name.
        {"EXEC  DUEL.CFG", ""},
        {"EXEC DUEL.CF G", ""},
        {"EXEC DUEL.CFG/", ""},
        {"EXEC ..", ""},
        {"EXEC . ", ""},
    };
    run("ECHOOFF");
    for (const Case& c : cases) {
        consoleText.clear();
        run(c.line);
        EXPECT_EQ(consoleText, c.printed) << c.line;
    }
}

TEST_F(ScriptFilesTest, ConfigurationOnlyCommentsBindsNothing) {
    startGame("// only comments\n\n// and empty lines\n");
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
    std::uint16_t none[2][actionSlots] = {};
    EXPECT_EQ(std::memcmp(KeyBindings, none, sizeof none), 0);
}

TEST_F(ScriptFilesTest, MissingConfigurationShowsTheMessageAndStoresDefaults) {
    startGame(nullptr);
    // startGame forgot the start-up's message box; LoadConfiguration shows it again.
    run("BIND 1 JUMP Q");
    run("RESET");
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
    const RecordedMessageBox& box = headless_platform::messageBoxes[0];
    EXPECT_EQ(box.text, missingConfig);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, MessageBoxOk);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(KeyBindings[0][ActionJump], 32); // the default again
    EXPECT_EQ(KeyBindings[1][ActionSword], 102);
}

TEST_F(ScriptFilesTest, StartUpRunsConfigurationThenAutoexec) {
    folder.write("autoexec.cfg", "SET POS 1 300 20\nECHO AUTO\n");
    startGame("SET POS 1 100 50\nSET DIR 1 LEFT\nSET AIMANGLE 1 30\n");
    // The snapshot holds what config.cfg set up, not what autoexec.cfg changed.
    const ConfigSnapshot::Entry entry = configSnapshot.players[0];
    EXPECT_EQ(entry.x, 100);
    EXPECT_EQ(entry.y, 50);
    EXPECT_EQ(entry.facing, 1);
    EXPECT_EQ(entry.aimAngle, 30);
    EXPECT_EQ(game->player(1).position().x, 300.0f);
}

TEST_F(ScriptFilesTest, ConfigurationRunningItselfNestsOnceUnderTheUpperCaseName) {
    // config.cfg runs as "config.cfg"; its own EXEC arrives as "CONFIG.CFG", which
    // finds the same file and runs it once more, one level deep.
    startGame("ECHO RUN\nEXEC CONFIG.CFG\n");
    consoleText.clear();
    LoadConfiguration();
    EXPECT_EQ(std::count(consoleText.begin(), consoleText.end(), '\''), 2);
    EXPECT_TRUE(ActiveScriptFiles.empty());
}

TEST_F(ScriptFilesTest, ResetInsideConfigurationUsesTheEmptySnapshot) {
    startGame("SET POS 1 100 50\nRESET\nSET POS 2 200 60\n");
    // The RESET restarted the game from the all-zero snapshot: player 1 at (0, 0).
    EXPECT_EQ(configSnapshot.players[0].x, 0);
    EXPECT_EQ(configSnapshot.players[0].y, 0);
    EXPECT_EQ(configSnapshot.players[1].x, 200);
    EXPECT_EQ(configSnapshot.players[1].y, 60);
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
}
