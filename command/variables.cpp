// SET: the game variables the command language can change.
#include "command/variables.h"

#include "ai/cpu_players.h"
#include "command/console_text.h"
#include "command/numbers.h"
#include "game/game_state.h"
#include "game/player.h"
#include "net/online_match.h"
#include "sound/sound.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>

namespace {

// A real number fit to store as a float: finite and within float's range. Values
// such as 1E999, INF and NAN would leave a player or the gravity unusable.
bool fitsFloat(double value) {
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

// A player number names players[number - 1]; any other number (a word that is no
// number reads 0) names no player, and SET then changes nothing.
Player* playerByNumber(int number) {
    if (number == 1 || number == 2) return &players[number - 1];
    return nullptr;
}

// A reader of the command's words, each taken into the word buffer in turn. Past
// the last word it wraps round to the first, so missing arguments read "SET".
struct WordReader {
    CommandContext& context;
    TextPosition at;

    const std::string& next() {
        at = ReadWord(context, at);
        return context.word;
    }
};

bool isAnyOf(const std::string& word, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names)
        if (word == name) return true;
    return false;
}

struct GravityLevel {
    std::string_view name;
    float value;
};

constexpr GravityLevel gravityLevels[] = {
    {"VERYLOW", 0.05f}, {"LOW", 0.1f}, {"NORMAL", 0.25f}, {"HIGH", 0.45f}, {"VERYHIGH", 1.0f},
};

} // namespace

CommandOutcome SetVariable(CommandContext& context) {
    WordReader words{context, context.firstBlank};
    const std::string name = words.next();

    if (name == "MAXHP") {
        Player* player = playerByNumber(wordToInt(words.next()));
        const int n = wordToInt(words.next());
        if (player && n > 0) {
            player->setMaxHp(n);
            player->refillHp();
        }
    } else if (name == "HP") {
        Player* player = playerByNumber(wordToInt(words.next()));
        const std::string& value = words.next();
        if (!player) return CommandOutcome::Next;
        if (value == "MAX") {
            player->refillHp();
        } else if (const int n = wordToInt(value); n > 0) {
            player->setHp(n);
        }
    } else if (name == "AIMANGLE") {
        Player* player = playerByNumber(wordToInt(words.next()));
        const std::string& value = words.next();
        const int n = wordToInt(value);
        if (!player || n >= 90 || n <= -90) return CommandOutcome::Next;
        // A zero that is not written "0" is no angle at all.
        if (n == 0 && value != "0") return CommandOutcome::Abandon;
        player->setAimAngle(n);
    } else if (isAnyOf(name, {"DIRECTION", "DIR"})) {
        Player* player = playerByNumber(wordToInt(words.next()));
        const std::string& value = words.next();
        if (!player) return CommandOutcome::Next;
        if (value == "LEFT")
            player->setFacing(1);
        else if (value == "RIGHT")
            player->setFacing(0);
    } else if (isAnyOf(name, {"POSITION", "POS"})) {
        Player* player = playerByNumber(wordToInt(words.next()));
        const int x = wordToInt(words.next());
        const int y = wordToInt(words.next());
        if (player) player->setPosition(x, y);
    } else if (isAnyOf(name, {"GRAVITY", "GRAV"})) {
        const std::string& value = words.next();
        for (const GravityLevel& level : gravityLevels) {
            if (value == level.name) {
                gravity = level.value;
                return CommandOutcome::Next;
            }
        }
        const double x = wordToReal(value);
        if ((x != 0 || value == "0") && fitsFloat(x)) gravity = static_cast<float>(x);
    } else if (isAnyOf(name, {"JUMPVELOCITY", "JUMPVEL"})) {
        Player* player = playerByNumber(wordToInt(words.next()));
        const std::string& value = words.next();
        if (!player) return CommandOutcome::Next;
        if (value == "NORMAL") {
            player->setJumpVelocity(7.0f);
        } else {
            const double x = wordToReal(value);
            if ((x != 0 || value == "0") && fitsFloat(x))
                player->setJumpVelocity(static_cast<float>(x));
        }
    } else if (name == "CPU") {
        // SET CPU <player> <OFF|EASY|NORMAL|HARD>. A setting of the program like
        // VOLUME: RESTART and RESET leave it. In a network match the computer may
        // stand in for neither player: the line says so and changes nothing.
        if (onlineMatchActive()) {
            insertConsoleText("The computer cannot play in a network match.\r\n");
            return CommandOutcome::Next;
        }
        const int number = wordToInt(words.next());
        CpuLevel level;
        if ((number == 1 || number == 2) && cpuLevelFromName(words.next().c_str(), level))
            setCpuLevel(number - 1, level);
    } else if (name == "VOLUME") {
        // 0 to 100. A word that reads as 0 silences only when it is a whole number
        // ("0", "00", "-0"), so a word that is no number ("LOUD", "0X", "0.0") leaves
        // the sound as it is instead of silencing it.
        const std::string& value = words.next();
        const int n = wordToInt(value);
        if (n >= 0 && n <= 100 && (n != 0 || isWholeNumber(value))) setSoundVolume(n);
    }
    return CommandOutcome::Next;
}
