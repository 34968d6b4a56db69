#include "command_test_support.h"

#include "app/frame.h"
#include "command/aliases.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "game/game_state.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>
#include <set>
#include <sstream>

using CommandsTest = CommandTest;

TEST_F(CommandsTest, RestartReturnsToTheSnapshotAndClearsBullets) {
    startGame("SET POS 1 100 50\nSET POS 2 400 60\nSET DIR 2 RIGHT\nSET AIMANGLE 2 20\n");
    run({"SET POS 1 5 5", "SET DIR 2 LEFT", "SET AIMANGLE 2 -40", "SET HP 1 3", "SET MAXHP 2 80",
         "SET GRAV HIGH", "BIND 1 JUMP Q", "ALIAS K ECHO K"});
    clearBulletsRequested = 0;
    run("RESTART");
    EXPECT_EQ(game->player(1).position().x, 100.0f);
    EXPECT_EQ(game->player(1).position().y, 50.0f);
    EXPECT_EQ(game->player(2).position().x, 400.0f);
    EXPECT_EQ(game->player(2).facing, 0);
    EXPECT_EQ(game->player(2).relativeAimAngle(), 20);
    EXPECT_EQ(game->player(1).hp, 50);
    EXPECT_EQ(game->player(2).hp, 80); // settings survive a new game
    EXPECT_EQ(gravity, 0.45f);
    EXPECT_EQ(KeyBindings[0][ActionJump], 'Q');
    EXPECT_TRUE(FindAlias("K"));
    EXPECT_EQ(clearBulletsRequested, 1);
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
}

TEST_F(CommandsTest, ResetRunsTheConfigurationAgain) {
    startGame("BIND 1 JUMP W\nSET POS 1 100 50\n");
    folder.write("autoexec.cfg", "SET GRAV HIGH\n");
    run({"BIND 1 JUMP Q", "BIND 1 LEFT Z", "SET POS 1 7 7", "SET GRAV LOW"});
    // The file changed since start-up: RESET reads it again and snapshots anew.
    folder.write("config.cfg", "BIND 1 JUMP E\nSET POS 1 200 70\n");
    run("RESET");
    EXPECT_EQ(KeyBindings[0][ActionJump], 'E');
    EXPECT_EQ(KeyBindings[0][ActionLeft], 'Z'); // not named in the file: kept
    EXPECT_EQ(configSnapshot.players[0].x, 200);
    EXPECT_EQ(game->player(1).position().x, 200.0f);
    EXPECT_EQ(gravity, 0.1f); // autoexec.cfg does not run again
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
}

TEST_F(CommandsTest, ExecWithoutABlankRunsAFileNamedExec) {
    folder.write("EXEC", "ECHO FROM EXEC\n");
    run("EXEC");
    EXPECT_NE(consoleText.find("'FROM EXEC"), std::string::npos);
    // The rest of the command, blanks included, is the file name.
    folder.write("TWO WORDS.CFG", "ECHO SPACED\n");
    run("EXEC TWO WORDS.CFG");
    EXPECT_NE(consoleText.find("'SPACED"), std::string::npos);
}

// The shipped files: what the game reads from its folder.
class ShippedFilesTest : public CommandTest {};

TEST_F(ShippedFilesTest, ConfigurationBindsExactlyTheDefaultKeys) {
    folder.copyGameFile("config.cfg");
    startGame(nullptr);
    EXPECT_TRUE(headless_platform::messageBoxes.empty());
    std::uint16_t shipped[2][actionSlots];
    std::memcpy(shipped, KeyBindings, sizeof shipped);
    std::memset(KeyBindings, 0, sizeof KeyBindings);
    StoreDefaultBindings();
    EXPECT_EQ(std::memcmp(shipped, KeyBindings, sizeof shipped), 0);
    for (const std::string& line : commandHistory) EXPECT_LE(line.size(), 127u) << line;
}

TEST_F(ShippedFilesTest, AutoexecWelcomesAndChangesNothingElse) {
    folder.copyGameFile("config.cfg");
    folder.copyGameFile("autoexec.cfg");
    startGame(nullptr);
    EXPECT_TRUE(AliasTable.empty());
    EXPECT_EQ(gravity, defaultGravity);
    consoleText.clear();
    ExecuteScriptFile("autoexec.cfg");
    EXPECT_EQ(consoleText.rfind("'WELCOME", 0), 0u);
}

// A blank after a semicolon gives the next command an empty first word, which runs
// nothing; so the examples the files offer must run every command they hold.
TEST_F(ShippedFilesTest, ExamplesRunEveryCommandTheyHold) {
    folder.copyGameFile("config.cfg");
    folder.copyGameFile("autoexec.cfg");
    startGame(nullptr);
    // autoexec.cfg's commented examples, uncommented.
    std::istringstream autoexec(readFile("autoexec.cfg"));
    std::string examples;
    bool inExamples = false;
    for (std::string line; std::getline(autoexec, line);) {
        if (inExamples && line.starts_with("// ")) examples += line.substr(3) + "\n";
        if (line.starts_with("// Examples")) inExamples = true;
    }
    folder.write("examples.cfg", examples);
    ExecuteScriptFile("examples.cfg");
    EXPECT_EQ(game->player(1).maxHp, 80);
    EXPECT_EQ(game->player(2).maxHp, 80);
    run("MOON");
    EXPECT_EQ(gravity, 0.05f);
    EXPECT_EQ(game->player(1).jumpVelocity, -4.0f);
    EXPECT_EQ(game->player(2).jumpVelocity, -4.0f);
    run("EARTH");
    EXPECT_EQ(gravity, 0.25f);
    EXPECT_EQ(game->player(1).jumpVelocity, -7.0f);
    EXPECT_EQ(game->player(2).jumpVelocity, -7.0f);

    // The help listings' examples.
    folder.copyGameFile("cmdlist.txt");
    folder.copyGameFile("varlist.txt");
    for (const std::string& text : {readFile("cmdlist.txt"), readFile("varlist.txt")}) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const auto at = line.find("Example: ");
            if (at == std::string::npos) continue;
            EXPECT_EQ(line.find("; ", at), std::string::npos) << line.substr(at);
        }
    }
}

// The words of a text: runs of letters, digits and underscores.
static std::set<std::string> wordsOf(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    for (char c : text + ' ') {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            words.insert(word);
            word.clear();
        }
    }
    return words;
}

TEST_F(ShippedFilesTest, HelpListingsNameEveryCommandAndVariable) {
    folder.copyGameFile("cmdlist.txt");
    folder.copyGameFile("varlist.txt");
    const std::string commands = readFile("cmdlist.txt");
    const std::string variables = readFile("varlist.txt");
    // Whole words: "ECHO" inside "ECHOOFF" or "HP" inside "MAXHP" is no listing.
    const std::set<std::string> commandWords = wordsOf(commands);
    const std::set<std::string> variableWords = wordsOf(variables);
    for (const char* name :
         {"BIND", "SET", "RESTART", "RESET", "EXEC", "QUIT", "ALIAS", "REMALIAS", "ECHO", "ECHOOFF",
          "ECHO_OFF", "ECHOON", "ECHO_ON", "SHOWFILE", "HELP", "RECORD", "STOP", "PLAYDEMO",
          "TIMEDEMO"})
        EXPECT_TRUE(commandWords.contains(name)) << name;
    for (const char* name :
         {"MAXHP", "HP", "AIMANGLE", "DIRECTION", "DIR", "POSITION", "POS", "GRAVITY", "GRAV",
          "JUMPVELOCITY", "JUMPVEL", "VERYLOW", "VERYHIGH", "VOLUME"})
        EXPECT_TRUE(variableWords.contains(name)) << name;
    for (const std::string& text : {commands, variables}) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 511u) << line;
    }
    run("ECHOOFF;HELP CMD");
    EXPECT_EQ(consoleText.rfind("COMMANDS", 0), 0u);
}

// The key names a text lists between `from` and `to`: upper-case words, with ranges
// such as NUM0-NUM9 or F1..F9 spelled out.
static std::set<std::string> listedKeyNames(const std::string& text, const std::string& from,
                                            const std::string& to) {
    const auto start = text.find(from);
    const auto end = start == std::string::npos ? start : text.find(to, start);
    if (end == std::string::npos) {
        ADD_FAILURE() << "no key list from '" << from << "' to '" << to << "'";
        return {};
    }
    const std::string list = text.substr(start + from.size(), end - start - from.size());
    static const std::regex range(R"(([A-Z]+)(\d+)(?:-|\.\.)\1(\d+))");
    static const std::regex name(R"([A-Z][A-Z0-9]*)");
    std::set<std::string> names;
    std::istringstream words(list);
    for (std::string word; words >> word;) {
        word.erase(std::remove_if(word.begin(), word.end(),
                                  [](char c) { return c == ',' || c == '`' || c == ';'; }),
                   word.end());
        std::smatch m;
        if (std::regex_match(word, m, range)) {
            for (int n = std::stoi(m[2]); n <= std::stoi(m[3]); ++n)
                names.insert(m[1].str() + std::to_string(n));
        } else if (std::regex_match(word, name)) {
            names.insert(word);
        }
    }
    return names;
}

// Every listing of the key names says exactly which named keys work: all of the
// key-name table but the system keys (ALT, F10), which it names apart.
TEST_F(ShippedFilesTest, KeyListingsAgreeWithTheKeyNameTable) {
    std::set<std::string> working;
    std::set<std::string> system;
    for (const NamedKey& key : KeyNames())
        (IsSystemKey(key.code) ? system : working).insert(std::string(key.name));
    EXPECT_EQ(system, (std::set<std::string>{"ALT", "F10"}));

    folder.copyGameFile("cmdlist.txt");
    folder.copyGameFile("config.cfg");
    const std::string source = BRAWLEX_SOURCE_DIR;
    struct Listing {
        std::string name, text, from, to;
    };
    const Listing listings[] = {
        {"cmdlist.txt", readFile("cmdlist.txt"), "Keys: a letter or digit,", "+ - * /"},
        {"config.cfg", readFile("config.cfg"), "key:    a letter or digit,", "+ - * /"},
        {"README.md", readFile(source + "/README.md"), "Keys: a letter or digit,", "`+ - * /`"},
        {"how-to-play.txt", readFile(source + "/docs/how-to-play.txt"), "keys: a letter or digit,",
         "+ - * /"},
    };
    for (const Listing& listing : listings) {
        EXPECT_EQ(listedKeyNames(listing.text, listing.from, listing.to), working) << listing.name;
        // The system keys are named too, as keys that never work.
        const auto after = listing.text.find(listing.to, listing.text.find(listing.from));
        std::string note = listing.text.substr(after, 200);
        std::erase(note, '`');
        EXPECT_NE(note.find("ALT and F10"), std::string::npos) << listing.name << ": " << note;
        EXPECT_NE(note.find("never work"), std::string::npos) << listing.name << ": " << note;
    }
}
