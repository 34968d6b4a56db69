#include "command_test_support.h"

#include "config/file_display.h"

using FileDisplayTest = CommandTest;

TEST_F(FileDisplayTest, BlockShape) {
    const std::string long511(511, 'L');
    struct Case {
        std::string contents;
        std::string shown; // what stands above the earlier text
    };
    const Case cases[] = {
        {"one\ntwo\n", "one\r\ntwo\r\n\r\n\r\n"},
        {"one\r\ntwo\r\n", "one\r\ntwo\r\n\r\n\r\n"},
        {"one\ntwo", "one\r\ntwo\r\n\r\n"},
        {"", "\r\n\r\n"},
        {"\n", "\r\n\r\n\r\n"},
        {"a\rb\n", "a\rb\r\n\r\n\r\n"},
        // Lines over 511 characters go on in further lines; nothing is lost.
        {long511 + "\n", long511 + "\r\n\r\n\r\n"},
        {long511 + "\r\n", long511 + "\r\n\r\n\r\n"},
        {long511 + "MORE\n", long511 + "\r\nMORE\r\n\r\n\r\n"},
        {std::string(1100, 'x'), std::string(511, 'x') + "\r\n" + std::string(511, 'x') + "\r\n" +
                                     std::string(78, 'x') + "\r\n\r\n"},
    };
    for (const Case& c : cases) {
        folder.write("f.txt", c.contents);
        consoleText = "EARLIER\r\n";
        ShowTextFile("f.txt");
        EXPECT_EQ(consoleText, c.shown + "EARLIER\r\n") << c.contents.substr(0, 20);
    }
}

TEST_F(FileDisplayTest, ShowFileCommand) {
    folder.write("f.txt", "x\n");
    folder.write("SHOWFILE", "named showfile");
    run("ECHOOFF");
    run("SHOWFILE F.TXT;SHOWFILE MISSING.TXT;SHOWFILE F.TXT;ECHO AFTER");
    // The second copy stands above the first; the missing file shows nothing.
    EXPECT_EQ(consoleText, "'AFTER\r\nx\r\n\r\n\r\nx\r\n\r\n\r\n");
    consoleText.clear();
    run("SHOWFILE"); // with no blank the whole command is the name
    EXPECT_EQ(consoleText, "named showfile\r\n\r\n");
}

TEST_F(FileDisplayTest, HelpChoosesAListingByTheTopicsBeginning) {
    folder.write("cmdlist.txt", "COMMANDS");
    folder.write("varlist.txt", "VARIABLES");
    const std::string hint =
        "Type 'help cmd' or 'help var' to display command or variable help.\r\n";
    struct Case {
        const char* line;
        std::string shown;
    };
    const Case cases[] = {
        {"help cmd", "COMMANDS\r\n\r\n"},
        {"HELP COMMANDS", "COMMANDS\r\n\r\n"},
        {"HELP CMDLIST", "COMMANDS\r\n\r\n"},
        {"HELP COMMAND", "COMMANDS\r\n\r\n"},
        {"HELP VAR", "VARIABLES\r\n\r\n"},
        {"HELP VARIABLES", "VARIABLES\r\n\r\n"},
        {"HELP VARS", "VARIABLES\r\n\r\n"},
        {"HELP", hint},
        {"HELP ME", hint},
        {"HELP CM", hint},
        {"HELP COMMAN", hint},
        {"HELP VA", hint},
        {"HELP  CMD", hint}, // the topic is the empty word
    };
    run("ECHOOFF");
    for (const Case& c : cases) {
        consoleText.clear();
        run(c.line);
        EXPECT_EQ(consoleText, c.shown) << c.line;
    }
}
