// The command interpreter: splits a line into commands and words, dispatches
// each command, then echoes the line into the console and records it.
//
// Aliases and EXEC run lines from within a command. Those nested lines do not
// recurse on the program's stack: they wait on the interpreter's own stack of
// pending work, and one loop runs whatever is on top, so a chain of ten thousand
// aliases costs heap, not native frames (the web page has a small stack, and its
// waits save and restore that stack whole).
#include "command/interpreter.h"

#include "command/commands.h"
#include "command/console_text.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>

bool echoEnabled = true;

// A million levels, or a quarter of a gigabyte, whichever comes first (a level is a
// few hundred bytes: ten thousand aliases deep, two levels each, keep a few MB).
const ChainLimits defaultChainLimits{1'000'000, std::size_t{256} << 20};
ChainLimits chainLimits = defaultChainLimits;

const char* const chainTooDeepNotice =
    "*stopped: aliases and script files nested too deep to follow\r\n";

namespace {

// A line being run: where it stands, and what its last command asked for.
struct LineRun {
    std::string verbatim; // as typed: for the echo and the history
    std::string working;  // upper-cased: every command and word comes from it
    std::string command;
    std::string word;
    TextPosition previousSeparator = noPosition;
    TextPosition nextSeparator = noPosition;
    // The outcome of the command just run; applied once whatever that command
    // started (an alias body, a script) has finished, as if it had run inside it.
    std::optional<CommandOutcome> outcome;
};

// One level of pending work: a line, or a source of lines.
struct Level {
    std::optional<LineRun> line;
    LineSource source;
    std::size_t bytes = 0;
};

// A deque: a command keeps references into the line that runs it while it adds
// levels above it.
std::deque<Level> levels;
std::size_t levelBytes = 0;
// Loops running now: more than one only when a command runs a whole line of its own
// with ExecuteCommandLine (the recursion notice, or a modal console inside a command).
int runningLoops = 0;
// The loop (counted from 1, outermost) that is to drop its levels because its chain
// went too deep; 0 for none.
int loopToStop = 0;

// Adds a level, or stops the chain when it would go past the bounds.
bool push(Level level) {
    if (levels.size() >= chainLimits.levels ||
        level.bytes > chainLimits.bytes - std::min(levelBytes, chainLimits.bytes)) {
        // Said once for the whole chain, however many levels then try to go on.
        if (loopToStop == 0) {
            insertConsoleText(chainTooDeepNotice);
            loopToStop = runningLoops;
        }
        return false;
    }
    levelBytes += level.bytes;
    levels.push_back(std::move(level));
    return true;
}

bool pushLine(std::string line) {
    Level level;
    level.bytes = sizeof(Level) + 2 * line.size();
    level.line.emplace();
    level.line->working = upperCased(line);
    level.line->verbatim = std::move(line);
    return push(std::move(level));
}

// Takes the top level off; a source's own ending runs after it is gone.
void pop() {
    Level& top = levels.back();
    levelBytes -= top.bytes;
    std::function<void()> finished = top.line ? nullptr : std::move(top.source.finished);
    levels.pop_back();
    if (finished) finished();
}

// Drops every level above `base`: lines neither echoed nor recorded, sources
// ended, so that the alias and script stacks are as they were.
void dropDownTo(std::size_t base) {
    while (levels.size() > base) pop();
}

// The last word taken decides: a line ending in ECHO leaves no trace, and the
// commands that turn echoing on are not echoed themselves.
void endLine(LineRun& run) {
    if (run.word == "ECHO") return;
    if (echoEnabled && run.word != "ECHOON" && run.word != "ECHO_ON") {
        insertConsoleText("\r\n");
        insertConsoleText(run.verbatim);
    }
    commandHistory.insert(commandHistory.begin(), std::move(run.verbatim));
}

// One step of the line on top: apply the outcome of its last command, or run its next.
void stepLine(LineRun& run) {
    if (run.outcome) {
        const CommandOutcome outcome = *run.outcome;
        run.outcome.reset();
        if (outcome == CommandOutcome::Abandon) {
            pop();
        } else if (outcome == CommandOutcome::EndLine || run.nextSeparator == noPosition) {
            endLine(run);
            pop();
        } else {
            run.previousSeparator = run.nextSeparator;
        }
        return;
    }
    run.nextSeparator = NextWord(run.working, run.previousSeparator, ';', run.command);
    const TextPosition firstBlank = NextWord(run.command, noPosition, ' ', run.word);
    CommandContext context{run.working, run.command, run.previousSeparator, firstBlank, run.word};
    run.outcome = RunCommand(context);
}

// Runs the levels above `base` until none is left.
void runDownTo(std::size_t base) {
    struct Running {
        std::size_t base;
        int loop;
        explicit Running(std::size_t base) : base(base), loop(++runningLoops) {}
        // Also when a command throws (out of memory): nothing of this loop stays behind.
        ~Running() {
            dropDownTo(base);
            if (loopToStop == loop) loopToStop = 0;
            --runningLoops;
        }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
    } running(base);

    while (levels.size() > base) {
        if (loopToStop == running.loop) {
            dropDownTo(base);
            break;
        }
        Level& top = levels.back();
        if (top.line) {
            stepLine(*top.line);
            continue;
        }
        std::string line;
        if (top.source.nextLine && top.source.nextLine(line)) {
            pushLine(std::move(line));
        } else {
            pop();
        }
    }
}

} // namespace

TextPosition NextWord(const std::string& source, TextPosition from, char separator,
                      std::string& target) {
    const auto size = static_cast<TextPosition>(source.size());
    TextPosition start = from < 0 ? 0 : from + 1;
    if (start >= size) {
        target.clear();
        return noPosition;
    }
    const auto found = source.find(separator, static_cast<std::size_t>(start));
    if (found == std::string::npos) {
        target.assign(source, static_cast<std::size_t>(start));
        return noPosition;
    }
    target.assign(source, static_cast<std::size_t>(start), found - static_cast<std::size_t>(start));
    return static_cast<TextPosition>(found);
}

std::string upperCased(std::string text) {
    // Only a to z change, whatever locale the process runs in.
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void ExecuteCommandLine(std::string line) {
    const std::size_t base = levels.size();
    if (!pushLine(std::move(line))) return;
    runDownTo(base);
}

void RunLines(LineSource source) {
    const std::size_t base = levels.size();
    Level level;
    level.bytes = sizeof(Level) + source.heldBytes;
    std::function<void()> finished = source.finished;
    level.source = std::move(source);
    if (!push(std::move(level))) {
        // Refused: end it at once, so that what its caller set up is undone.
        if (finished) finished();
        return;
    }
    // Inside a command the loop that runs it takes the source up next.
    if (runningLoops == 0) runDownTo(base);
}
