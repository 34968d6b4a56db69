// The commands: dispatch by the first word of a command, in a fixed order.
#include "command/commands.h"

#include "app/platform.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "command/variables.h"
#include "config/file_display.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "demo/demo_session.h"
#include "game/player.h"
#include "net/online_match.h"

std::string RestOfCommand(const CommandContext& context) {
    // With no blank firstBlank + 1 is 0, so the whole command, name included.
    return context.command.substr(static_cast<std::size_t>(context.firstBlank + 1));
}

TextPosition ReadWord(CommandContext& context, TextPosition from) {
    return NextWord(context.command, from, ' ', context.word);
}

namespace {

CommandOutcome bind(CommandContext& context) {
    return Bind(RestOfCommand(context)) ? CommandOutcome::Next : CommandOutcome::Abandon;
}

CommandOutcome restart(CommandContext&) {
    restartGame();
    return CommandOutcome::Next;
}

CommandOutcome reset(CommandContext&) {
    restartGame();
    LoadConfiguration();
    return CommandOutcome::Next;
}

CommandOutcome exec(CommandContext& context) {
    ExecuteScriptFile(RestOfCommand(context)); // a missing file is silent
    return CommandOutcome::Next;
}

CommandOutcome quit(CommandContext&) {
    leaveOnlineMatch(net::ByeReason::Quit); // the other player is told, never left waiting
    requestQuit(0);
    return CommandOutcome::Next;
}

CommandOutcome echo(CommandContext& context) {
    // The text after "ECHO" and one blank, further blanks kept.
    const std::string& command = context.command;
    const std::string text = command.size() > 5 ? command.substr(5) : std::string();
    insertConsoleText("'" + text + "\r\n");
    return CommandOutcome::Next;
}

CommandOutcome echoOff(CommandContext&) {
    echoEnabled = false;
    return CommandOutcome::Next;
}

CommandOutcome echoOn(CommandContext&) {
    echoEnabled = true;
    return CommandOutcome::Next;
}

CommandOutcome showFile(CommandContext& context) {
    ShowTextFile(RestOfCommand(context));
    return CommandOutcome::Next;
}

CommandOutcome help(CommandContext& context) {
    ReadWord(context, context.firstBlank);
    const std::string_view topic = context.word;
    if (topic.starts_with("COMMAND") || topic.starts_with("CMD"))
        ShowTextFile("cmdlist.txt");
    else if (topic.starts_with("VAR"))
        ShowTextFile("varlist.txt");
    else
        insertConsoleText("Type 'help cmd' or 'help var' to display command or variable help.\r\n");
    return CommandOutcome::Next;
}

// Demos. The file name is everything after the first blank, trailing blanks dropped.
std::string demoFileArgument(const CommandContext& context) {
    if (context.firstBlank == noPosition) return {};
    std::string name = RestOfCommand(context);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

CommandOutcome printLine(const std::string& line) {
    if (!line.empty()) insertConsoleText(line + "\r\n");
    return CommandOutcome::Next;
}

CommandOutcome record(CommandContext& context) {
    return printLine(startRecording(demoFileArgument(context)));
}

CommandOutcome stop(CommandContext&) {
    return printLine(stopRecording());
}

CommandOutcome playDemoCommand(CommandContext& context) {
    return printLine(playDemo(demoFileArgument(context)));
}

CommandOutcome timeDemoCommand(CommandContext& context) {
    return printLine(timeDemo(demoFileArgument(context)));
}

// Online play. The argument is everything after the first blank, trailing blanks
// dropped.
std::string netArgument(const CommandContext& context) {
    if (context.firstBlank == noPosition) return {};
    std::string text = RestOfCommand(context);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

CommandOutcome hostCommand(CommandContext& context) {
    // HOST RELAY <relay>: a room on a relay server rather than a UDP port here.
    const std::string argument = netArgument(context);
    std::string word = argument.substr(0, argument.find(' '));
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (word == "RELAY") {
        std::string server = argument.substr(word.size());
        while (!server.empty() && server.front() == ' ') server.erase(0, 1);
        return printLine(hostRelayMatch(server));
    }
    return printLine(hostOnlineMatch(argument));
}

CommandOutcome joinCommand(CommandContext& context) {
    return printLine(joinRelayMatch(netArgument(context)));
}

CommandOutcome connectCommand(CommandContext& context) {
    return printLine(connectOnlineMatch(netArgument(context)));
}

CommandOutcome disconnectCommand(CommandContext&) {
    return printLine(disconnectOnlineMatch());
}

CommandOutcome netStatsCommand(CommandContext&) {
    return printLine(onlineMatchStats());
}

CommandOutcome netDelayCommand(CommandContext& context) {
    return printLine(setOnlineInputDelay(netArgument(context)));
}

struct CommandEntry {
    std::string_view name;
    CommandOutcome (*run)(CommandContext&);
};

// Tested in this order; the first name equal to the first word runs.
constexpr CommandEntry commandTable[] = {
    {"BIND", bind},      {"SET", SetVariable},   {"RESTART", restart},   {"RESET", reset},
    {"EXEC", exec},      {"QUIT", quit},         {"ALIAS", DefineAlias}, {"REMALIAS", RemoveAlias},
    {"ECHO", echo},      {"ECHOOFF", echoOff},   {"ECHO_OFF", echoOff},  {"ECHOON", echoOn},
    {"ECHO_ON", echoOn}, {"SHOWFILE", showFile}, {"HELP", help},
    {"RECORD", record},  {"STOP", stop},         {"PLAYDEMO", playDemoCommand},
    {"TIMEDEMO", timeDemoCommand},
    {"HOST", hostCommand},          {"CONNECT", connectCommand},
    {"DISCONNECT", disconnectCommand}, {"NETSTATS", netStatsCommand},
    {"NETDELAY", netDelayCommand},  {"JOIN", joinCommand},
};

} // namespace

CommandOutcome RunCommand(CommandContext& context) {
    for (const CommandEntry& entry : commandTable)
        if (context.word == entry.name) return entry.run(context);
    if (const auto index = FindAlias(context.word)) RunAlias(*index);
    return CommandOutcome::Next;
}
