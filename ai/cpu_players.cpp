#include "ai/cpu_players.h"

#include "app/app_state.h"
#include "app/frame.h"
#include "game/game_state.h"
#include "game/player.h"
#include "net/online_match.h"

CpuState cpuPlayers[2];

namespace {

// Each side's generator starts from its own fixed seed, so that a match against the
// computer can be replayed from its first frame.
constexpr std::uint32_t cpuSeeds[2] = {0x5EED0001u, 0x5EED0002u};

} // namespace

bool setCpuLevel(int side, CpuLevel level) {
    if (side != 0 && side != 1) return false;
    if (cpuPlayers[side].level != level) resetCpuState(cpuPlayers[side], level, cpuSeeds[side]);
    return true;
}

void takeCpuControls(FrameInput& input) {
    // In a network match both fighters are people's: a computer player set before it
    // waits, unchanged, until the match is over (on both machines alike, so their
    // frames agree).
    if (onlineMatchActive()) return;
    for (int side = 0; side < 2; ++side) {
        if (cpuPlayers[side].level == CpuLevel::Off) continue;
        const CpuView view{players[side],  players[1 - side], bullets,
                           playArea.right, playArea.bottom,   gravity};
        input.players[side] = decideCpuInput(cpuPlayers[side], view);
    }
}
