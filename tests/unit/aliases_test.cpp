#include "command_test_support.h"

#include "command/aliases.h"
#include "config/script_files.h"
#include "game/game_state.h"

using AliasesTest = CommandTest;

namespace {

std::vector<std::pair<std::string, std::string>> aliasList() {
    std::vector<std::pair<std::string, std::string>> list;
    for (const Alias& alias : AliasTable) list.emplace_back(alias.name, alias.body);
    return list;
}

using AliasList = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST_F(AliasesTest, DefiningStoresTheRestOfTheLineWithoutRunningIt) {
    struct Case {
        const char* line;
        AliasList aliases;
    };
    const Case cases[] = {
        {"alias hi echo hello", {{"HI", "ECHO HELLO"}}},
        {"ALIAS TWO ECHO A;ECHO B", {{"TWO", "ECHO A;ECHO B"}}},
        {"ECHOON;ALIAS T ECHO A", {{"T", "ECHO A"}}}, // the body starts after this command's name
        {"ALIAS X ", {{"X", ""}}},
        {"ALIAS X", {{"X", ""}}},   // nothing after the name: an empty body
        {"ALIAS", {{"ALIAS", ""}}}, // the name wraps round to "ALIAS"
        {"ALIAS  X", {{"", "X"}}},  // two blanks: an empty name
        {"ALIAS ECHO X", {{"ECHO", "X"}}},
    };
    for (const Case& c : cases) {
        resetProgramState();
        run(c.line);
        EXPECT_EQ(aliasList(), c.aliases) << c.line;
        EXPECT_EQ(consoleText.find('\''), std::string::npos) << c.line; // nothing ran
    }
}

TEST_F(AliasesTest, RedefiningKeepsThePlaceAndRemovingKeepsTheOrder) {
    run({"ALIAS X ECHO 1", "ALIAS Y ECHO Y", "ALIAS Z ECHO Z", "ALIAS X ECHO 2"});
    EXPECT_EQ(aliasList(), (AliasList{{"X", "ECHO 2"}, {"Y", "ECHO Y"}, {"Z", "ECHO Z"}}));
    run("REMALIAS Y;REMALIAS NOPE;ECHO AFTER");
    EXPECT_EQ(aliasList(), (AliasList{{"X", "ECHO 2"}, {"Z", "ECHO Z"}}));
    EXPECT_EQ(consoleText.substr(0, 8), "'AFTER\r\n");
    EXPECT_EQ(FindAlias("Z"), std::optional<std::size_t>(1));
    EXPECT_EQ(FindAlias("z"), std::nullopt);
    EXPECT_EQ(FindAlias("ZZ"), std::nullopt);
}

TEST_F(AliasesTest, RunningAnAlias) {
    run("alias hi echo hello");
    consoleText.clear();
    commandHistory.clear();
    run("hi");
    // The body's own line ends in ECHO, so only the typed line is echoed.
    EXPECT_EQ(consoleText, "hi\r\n'HELLO\r\n");
    EXPECT_EQ(commandHistory, History{"hi"});

    run("ALIAS G SET GRAV HIGH");
    consoleText.clear();
    commandHistory.clear();
    run("G;ECHO X;FOO");
    EXPECT_EQ(gravity, 0.45f);
    // The body stands as a line of its own below the line that ran it.
    EXPECT_EQ(consoleText, "G;ECHO X;FOO\r\n'X\r\nSET GRAV HIGH\r\n");
    EXPECT_EQ(commandHistory, (History{"G;ECHO X;FOO", "SET GRAV HIGH"}));
}

TEST_F(AliasesTest, ABodyThatRedefinesItsAliasFinishesTheOldBody) {
    run("ALIAS R ECHO ONE;ALIAS R ECHO TWO;ECHO NOT STORED");
    EXPECT_EQ(aliasList(), (AliasList{{"R", "ECHO ONE;ALIAS R ECHO TWO;ECHO NOT STORED"}}));
    run("ALIAS S REMALIAS S;ECHO STILL RUNS");
    consoleText.clear();
    run("S");
    EXPECT_NE(consoleText.find("'STILL RUNS"), std::string::npos);
    EXPECT_EQ(FindAlias("S"), std::nullopt);
}

TEST_F(AliasesTest, RecursionPrintsTheNoticeOnce) {
    const std::string loopNotice = "'*SKIPPED RECURSIVE EXECUTION OF ALIAS \"LOOP\"\r\n";
    run("ALIAS LOOP LOOP");
    consoleText.clear();
    commandHistory.clear();
    run("LOOP");
    EXPECT_EQ(consoleText, "LOOP\r\nLOOP\r\n" + loopNotice);
    EXPECT_EQ(commandHistory, (History{"LOOP", "LOOP"}));
    EXPECT_TRUE(aliasRunStack.empty());

    run({"ALIAS A B", "ALIAS B A"});
    consoleText.clear();
    run("A;ECHO NEXT");
    EXPECT_EQ(consoleText, "'NEXT\r\nB\r\nA\r\n'*SKIPPED RECURSIVE EXECUTION OF ALIAS \"A\"\r\n");
    EXPECT_TRUE(aliasRunStack.empty());
}

TEST_F(AliasesTest, RecursionThroughAScriptIsCaught) {
    folder.write("again.cfg", "AGAIN\n");
    run("ALIAS AGAIN EXEC again.cfg");
    consoleText.clear();
    run("AGAIN");
    EXPECT_NE(consoleText.find("ALIAS \"AGAIN\""), std::string::npos);
    EXPECT_TRUE(aliasRunStack.empty());
    EXPECT_TRUE(ActiveScriptFiles.empty());
}

TEST_F(AliasesTest, EmptyBodiesAndEmptyNames) {
    run("ALIAS X ");
    consoleText.clear();
    run("X");
    EXPECT_EQ(consoleText, "X\r\n\r\n"); // the empty body echoes an empty line

    run("ALIAS  SET GRAV HIGH"); // an empty name
    run("ECHOON; HELP");         // " HELP" has an empty first word
    EXPECT_EQ(gravity, 0.45f);

    // An empty line finds the empty-named alias too; its body may name it again.
    run("ALIAS  ");
    consoleText.clear();
    run("");
    EXPECT_NE(consoleText.find("ALIAS \"\""), std::string::npos);
    EXPECT_TRUE(aliasRunStack.empty());
}

TEST_F(AliasesTest, CommandNamesComeBeforeAliases) {
    run("ALIAS ECHO SET GRAV HIGH");
    EXPECT_TRUE(commandHistory.empty()); // its last word was "ECHO"
    run("ECHO HI");
    EXPECT_EQ(gravity, 0.25f);
    EXPECT_EQ(consoleText, "'HI\r\n");
}
