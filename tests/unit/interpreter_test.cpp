#include "command_test_support.h"

#include "command/aliases.h"
#include "config/script_files.h"
#include "game/game_state.h"

#include <algorithm>
#include <filesystem>
#include <sys/resource.h>

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

namespace {

std::string numbered(const char* prefix, int i) {
    std::string name = prefix; // appended, not prefixed: GCC 12 warns falsely on "S" + string
    name += std::to_string(i);
    return name;
}

// A chain of `depth` aliases A0 -> A1 -> ...: each prints on the way in and on the
// way out, the last runs `end`. Put in the table as ALIAS would: defining them with
// ALIAS lines would only fill the history.
void defineAliasChain(int depth, const std::string& end) {
    AliasTable.clear();
    for (int i = 0; i < depth; ++i) {
        const std::string next = i + 1 < depth ? numbered("A", i + 1) : end;
        AliasTable.push_back({numbered("A", i), "ECHO >" + std::to_string(i) + ";" + next +
                                                    ";ECHO <" + std::to_string(i)});
    }
}

// What such a chain prints, newest first: the way out above the way in.
std::string chainOutput(int depth, const std::string& atTheEnd) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "'<" + std::to_string(i) + "\r\n";
    text += atTheEnd;
    for (int i = depth - 1; i >= 0; --i) text += "'>" + std::to_string(i) + "\r\n";
    return text;
}

// The same through script files S0, S1, ...
void writeScriptChain(ScratchFolder& folder, int depth, const std::string& end) {
    for (int i = 0; i < depth; ++i) {
        const std::string next = i + 1 < depth ? "EXEC " + numbered("S", i + 1) : end;
        folder.write(numbered("S", i),
                     "ECHO >" + std::to_string(i) + "\n" + next + "\nECHO <" + std::to_string(i));
    }
}

struct LimitsForTest {
    explicit LimitsForTest(ChainLimits limits) { chainLimits = limits; }
    ~LimitsForTest() { chainLimits = defaultChainLimits; }
};

} // namespace

// The only limit on aliases running aliases and scripts running scripts is the guard
// against running oneself: long chains run to their end, in order, with every effect.
TEST_F(InterpreterTest, DeepChainsRunToTheirEndInOrder) {
    run("ECHOOFF");
    defineAliasChain(10000, "ECHO END");
    consoleText.clear();
    run("A0");
    EXPECT_EQ(consoleText, chainOutput(10000, "'END\r\n"));
    EXPECT_TRUE(aliasRunStack.empty());

    // Far down, the guard still stops an alias that calls one already running.
    defineAliasChain(5000, "A0");
    consoleText.clear();
    run("A0");
    EXPECT_EQ(consoleText, chainOutput(5000, "'*SKIPPED RECURSIVE EXECUTION OF ALIAS \"A0\"\r\n"));
    EXPECT_TRUE(aliasRunStack.empty());

    writeScriptChain(folder, 1000, "ECHO END");
    consoleText.clear();
    run("EXEC S0");
    EXPECT_EQ(consoleText, chainOutput(1000, "'END\r\n"));
    EXPECT_TRUE(ActiveScriptFiles.empty());
}

// Each nested line is echoed and recorded on its own, below the line that ran it.
TEST_F(InterpreterTest, NestedLinesAreEchoedAndRecordedInOrder) {
    folder.write("INNER.CFG", "SET GRAV LOW\n");
    run("ALIAS B EXEC INNER.CFG;SET GRAV HIGH");
    run("ALIAS A B;FOO");
    consoleText.clear();
    commandHistory.clear();
    run("a");
    EXPECT_EQ(commandHistory,
              (History{"a", "B;FOO", "EXEC INNER.CFG;SET GRAV HIGH", "SET GRAV LOW"}));
    EXPECT_EQ(consoleText, "a\r\nB;FOO\r\nEXEC INNER.CFG;SET GRAV HIGH\r\nSET GRAV LOW\r\n");
    EXPECT_EQ(gravity, 0.45f);
    // A refused BIND drops its own line only, after the alias it ran has finished.
    commandHistory.clear();
    run("ALIAS C SET GRAV 2");
    run("C;BIND 1 FIRE X;ECHO NOT RUN");
    EXPECT_EQ(gravity, 2.0f);
    EXPECT_EQ(commandHistory, (History{"SET GRAV 2", "ALIAS C SET GRAV 2"}));
}

// A RESET at the end of a long chain runs config.cfg again, takes the snapshot when
// that file has ended, and the chain goes on after it.
TEST_F(InterpreterTest, ResetAtTheEndOfADeepChain) {
    startGame("SET POS 1 100 50\nECHO CONFIG\n");
    run("ECHOOFF");
    defineAliasChain(100, "RESET");
    writeScriptChain(folder, 100, "RESET");
    for (const char* line : {"A0", "EXEC S0"}) {
        run("SET POS 1 300 60");
        folder.write("config.cfg", "SET POS 1 120 70\nECHO CONFIG\n");
        consoleText.clear();
        run(line);
        EXPECT_EQ(consoleText, chainOutput(100, "'CONFIG\r\n")) << line;
        EXPECT_EQ(configSnapshot.players[0].x, 120) << line;
        EXPECT_EQ(configSnapshot.players[0].y, 70) << line;
        EXPECT_EQ(game->player(1).position().x, 120.0f) << line;
        EXPECT_TRUE(aliasRunStack.empty() && ActiveScriptFiles.empty()) << line;
    }
}

// A chain deeper than the program can follow is stopped whole with one notice, and
// leaves the interpreter as it was.
TEST_F(InterpreterTest, ChainsPastTheBoundStopWithANotice) {
    run("ECHOOFF");
    defineAliasChain(100, "ECHO END");
    writeScriptChain(folder, 100, "ECHO END");
    folder.write("BIG", std::string(5000, '/') + "\nECHO BIG\n");
    struct Case {
        ChainLimits limits;
        const char* line;
    };
    const Case cases[] = {
        {{50, defaultChainLimits.bytes}, "A0;ECHO AFTER"},
        {{50, defaultChainLimits.bytes}, "EXEC S0;ECHO AFTER"},
        {{defaultChainLimits.levels, 4000}, "EXEC BIG;ECHO AFTER"},
    };
    for (const Case& c : cases) {
        {
            LimitsForTest limits(c.limits);
            consoleText.clear();
            commandHistory.clear();
            run(c.line);
        }
        EXPECT_EQ(consoleText.find(chainTooDeepNotice), 0u) << c.line;
        EXPECT_EQ(consoleText.find(chainTooDeepNotice, 1), std::string::npos) << c.line;
        EXPECT_EQ(consoleText.find("END"), std::string::npos) << c.line;
        EXPECT_EQ(consoleText.find("AFTER"), std::string::npos) << c.line;
        EXPECT_TRUE(aliasRunStack.empty() && ActiveScriptFiles.empty()) << c.line;

        // The next line runs whole.
        consoleText.clear();
        run(c.line);
        EXPECT_EQ(consoleText.find(chainTooDeepNotice), std::string::npos) << c.line;
        EXPECT_EQ(consoleText.substr(0, 8), "'AFTER\r\n") << c.line;
    }
}

// Scripts are read whole and closed before their lines run: a thousand nested scripts
// need no thousand files open.
TEST_F(InterpreterTest, NestedScriptsHoldNoFileOpen) {
    writeScriptChain(folder, 1000, "ECHO END");
    run("ECHOOFF");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    int open = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++open;
    }
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(open + 16);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    run("EXEC S0");
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(consoleText, chainOutput(1000, "'END\r\n"));
}
