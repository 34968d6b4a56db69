#include "command_test_support.h"

#include "command/aliases.h"
#include "config/script_files.h"
#include "game/game_state.h"

#include <algorithm>

TEST(NextWord, SplitsAndWrapsRoundPastTheLastWord) {
    struct Case {
        const char* source;
        TextPosition from;
        char separator;
        const char* target;
        TextPosition result;
    };
    const Case cases[] = {
        {"SET GRAV LOW", noPosition, ' ', "SET", 3},
        {"SET GRAV LOW", 3, ' ', "GRAV", 8},
        {"SET GRAV LOW", 8, ' ', "LOW", noPosition},
        // After the last word (none) it starts over at the first.
        {"SET GRAV LOW", noPosition, ' ', "SET", 3},
        {"A  B", 1, ' ', "", 2},          // two blanks make an empty word
        {"SET ", 3, ' ', "", noPosition}, // a start at the very end reads nothing
        {"", noPosition, ';', "", noPosition},
        {"A;B", noPosition, ';', "A", 1},
        {"A;B", 1, ';', "B", noPosition},
        {"A;", 1, ';', "", noPosition},
    };
    for (const Case& c : cases) {
        std::string target = "old";
        EXPECT_EQ(NextWord(c.source, c.from, c.separator, target), c.result)
            << c.source << " from " << c.from;
        EXPECT_EQ(target, c.target) << c.source << " from " << c.from;
    }
}

TEST(UpperCased, ChangesOnlyTheLettersAToZ) {
    EXPECT_EQ(upperCased("set grav low"), "SET GRAV LOW");
    EXPECT_EQ(upperCased("a`z{@[\xe9\xff\t_1"), "A`Z{@[\xe9\xff\t_1");
}

using InterpreterTest = CommandTest;

// Lines in; console text, history, echo flag and quits out.
TEST_F(InterpreterTest, EchoAndHistoryFollowTheLastWordTaken) {
    const std::string hint =
        "Type 'help cmd' or 'help var' to display command or variable help.\r\n";
    struct Case {
        std::vector<const char*> lines;
        std::string console;
        History history;
        bool echo = true;
        int quits = 0;
    };
    const Case cases[] = {
        {{"set grav low"}, "set grav low\r\n", {"set grav low"}},
        {{""}, "\r\n", {""}},
        {{"FOO"}, "FOO\r\n", {"FOO"}},
        {{"ECHO HELLO"}, "'HELLO\r\n", {}},
        {{"echo Hello, World"}, "'HELLO, WORLD\r\n", {}},
        {{"ECHO"}, "'\r\n", {}},
        {{"ECHO "}, "'\r\n", {}},
        {{"ECHO  TWO"}, "' TWO\r\n", {}},
        {{"ECHOOFF"}, "", {"ECHOOFF"}, false},
        {{"ECHO_OFF", "ECHO_ON"}, "", {"ECHO_ON", "ECHO_OFF"}},
        {{"ECHOOFF", "FOO", "ECHOON", "BAR"}, "BAR\r\n", {"BAR", "ECHOON", "FOO", "ECHOOFF"}},
        {{"ECHOON X"}, "", {"ECHOON X"}},
        // A blank after the semicolon gives the second command an empty first word.
        {{"ECHOON; ECHO HI"}, "ECHOON; ECHO HI\r\n", {"ECHOON; ECHO HI"}},
        {{"ECHOON;ECHO HI"}, "'HI\r\n", {}},
        {{"ECHO A;ECHO B"}, "'B\r\n'A\r\n", {}},
        // The echo of the line stands above its output.
        {{"ECHO A;FOO"}, "ECHO A;FOO\r\n'A\r\n", {"ECHO A;FOO"}},
        {{"HELP ECHO"}, hint, {}},
        {{"HELP"}, "HELP\r\n" + hint, {"HELP"}},
        {{"help me"}, "help me\r\n" + hint, {"help me"}},
        // Tabs are no separators: "ECHO\tX" names no command.
        {{"ECHO\tX"}, "ECHO\tX\r\n", {"ECHO\tX"}},
        // A refused BIND abandons the line: no ECHO, no echo, no history.
        {{"BIND 1 FIRE SPACE;ECHO X"}, "", {}},
        {{"QUIT;ECHO BYE"}, "'BYE\r\n", {}, true, 1},
        {{"QUIT NOW"}, "QUIT NOW\r\n", {"QUIT NOW"}, true, 1},
    };
    for (const Case& c : cases) {
        resetProgramState();
        std::string label;
        for (const char* line : c.lines) {
            label += line;
            label += " | ";
            run(line);
        }
        EXPECT_EQ(consoleText, c.console) << label;
        EXPECT_EQ(commandHistory, c.history) << label;
        EXPECT_EQ(echoEnabled, c.echo) << label;
        EXPECT_EQ(headless_platform::quitRequests, c.quits) << label;
        EXPECT_EQ(headless_platform::lastExitCode, 0) << label;
    }
}

TEST_F(InterpreterTest, CommandsAfterASemicolonRunInOrder) {
    run("set grav high;SET GRAV 0.5;set grav");
    EXPECT_EQ(gravity, 0.5f); // the bare SET GRAV reads "SET" as its level: ignored
    EXPECT_EQ(commandHistory, History{"set grav high;SET GRAV 0.5;set grav"});
}

TEST_F(InterpreterTest, AbandoningKeepsWhatRanBefore) {
    run("SET GRAV HIGH;BIND 1 JUMP `;SET GRAV LOW");
    EXPECT_EQ(gravity, 0.45f);
    EXPECT_TRUE(consoleText.empty());
    EXPECT_TRUE(commandHistory.empty());
}

// Chains of distinct aliases or scripts have no guard of their own; they must end
// without exhausting the stack.
TEST_F(InterpreterTest, DeepNestingStopsQuietly) {
    constexpr int chain = 500;
    run("ECHOOFF");
    for (int i = 0; i < chain; ++i)
        run("ALIAS A" + std::to_string(i) + " ECHO X;A" + std::to_string(i + 1));
    consoleText.clear();
    commandHistory.clear();
    run("A0");
    EXPECT_TRUE(aliasRunStack.empty());
    const auto printed = std::count(consoleText.begin(), consoleText.end(), '\'');
    EXPECT_GT(printed, 10);
    EXPECT_LT(printed, 200);

    // The same through script files that run each other.
    for (int i = 0; i < 300; ++i) {
        // Appended, not prefixed: GCC 12 warns falsely (-Wrestrict) on "S" + string.
        std::string name = "S";
        name += std::to_string(i);
        std::string body = "ECHO S\nEXEC S";
        body += std::to_string(i + 1);
        body += "\n";
        folder.write(name, body);
    }
    consoleText.clear();
    run("EXEC S0");
    EXPECT_GT(std::count(consoleText.begin(), consoleText.end(), '\''), 10);
    EXPECT_TRUE(ActiveScriptFiles.empty());
}
