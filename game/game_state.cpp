#include "game/game_state.h"

#include "game/player.h"

float gravity = defaultGravity;
ConfigSnapshot configSnapshot{};

void takeConfigSnapshot() {
    // Aim angles of both players, then facings, then positions (truncated).
    for (int i = 0; i < 2; ++i) configSnapshot.players[i].aimAngle = players[i].relativeAimAngle();
    for (int i = 0; i < 2; ++i) configSnapshot.players[i].facing = players[i].currentFacing();
    for (int i = 0; i < 2; ++i) {
        const PointF at = players[i].position();
        configSnapshot.players[i].x = truncateToInt(at.x);
        configSnapshot.players[i].y = truncateToInt(at.y);
    }
}

CentreOffsets centreOffsets{};
PhraseGenerator deathPhrases{};
std::uint32_t framesSimulated = 0;

void PhraseGenerator::seed(std::uint32_t s) {
    value = s % modulus;
    if (value == 0) value = 1;
}

std::uint32_t PhraseGenerator::next() {
    if (value == 0) value = 1; // never seeded: as the default seed
    value = static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * 48271u) % modulus);
    return value;
}
