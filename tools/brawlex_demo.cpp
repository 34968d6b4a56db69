// brawlex-demo: makes and checks demos without a window, on the headless layer.
//
//   brawlex-demo make <file> <seconds> <seed>   records a match of random play
//   brawlex-demo verify <file>                  replays a demo and checks it
//
// make starts the game as the programs do, from the data files of the working folder
// when there are any, and records it through RECORD's own path: random inputs for
// both players, and now and then a console line between frames (hit points, gravity,
// positions, aims, facings, a new game), so that the demo holds deaths and recorded
// state changes. verify prints "<frames> frames, checksum <16 hex digits>, in step"
// and exits 0, or ends with "out of step at second <n>" and exits 1; a file it
// cannot use is one line on standard error and exit 2.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/startup.h"
#include "command/interpreter.h"
#include "demo/demo_io.h"
#include "demo/demo_replay.h"
#include "demo/demo_session.h"
#include "game/simulation.h"
#include "graphics/software_surfaces.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// The size of the play area of a demo made here: a common desktop's work area.
constexpr int playWidth = 1024;
constexpr int playHeight = 740;

// The shipped hero.bmp: two 30 x 40 frames side by side.
constexpr Bounds shippedHeroBounds{0, 0, 60, 40};

int usage() {
    std::fprintf(stderr, "usage: brawlex-demo make <file> <seconds> <seed>\n"
                         "       brawlex-demo verify <file>\n");
    return 2;
}

std::mt19937 random;

int uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Each player holds a set of actions for a while, then picks another: fire often,
// walk, jump and aim, charge the sword and throw the hook now and then.
struct RandomPlayer {
    std::uint8_t held = 0;
    int framesLeft = 0;

    PlayerInput next() {
        if (--framesLeft <= 0) {
            framesLeft = uniform(3, 40);
            held = 0;
            if (uniform(0, 99) < 60) held |= InputAttack;
            const int walk = uniform(0, 2);
            if (walk == 1) held |= InputLeft;
            if (walk == 2) held |= InputRight;
            if (uniform(0, 99) < 20) held |= InputJump;
            const int aim = uniform(0, 3);
            if (aim == 1) held |= InputAimUp;
            if (aim == 2) held |= InputAimDown;
            if (uniform(0, 99) < 15) held |= InputSword;
            if (uniform(0, 99) < 8) held |= InputGrapple;
        }
        return PlayerInput{held};
    }
};
RandomPlayer randomPlayers[2];

void randomInput(FrameInput& input) {
    input.players[0] = randomPlayers[0].next();
    input.players[1] = randomPlayers[1].next();
}

// A console line as a player might type between frames.
std::string randomConsoleLine() {
    const int player = uniform(1, 2);
    switch (uniform(0, 6)) {
    case 0:
        return "SET HP " + std::to_string(player) + " " + std::to_string(uniform(1, 6));
    case 1: {
        const char* levels[] = {"VERYLOW", "LOW", "NORMAL", "HIGH", "VERYHIGH"};
        return std::string("SET GRAV ") + levels[uniform(0, 4)];
    }
    case 2:
        return "SET POS " + std::to_string(player) + " " +
               std::to_string(uniform(0, playWidth - 60)) + " " +
               std::to_string(uniform(0, playHeight - 40));
    case 3:
        return "SET AIMANGLE " + std::to_string(player) + " " + std::to_string(uniform(-89, 89));
    case 4:
        return "SET DIR " + std::to_string(player) + (uniform(0, 1) ? " LEFT" : " RIGHT");
    case 5:
        return "SET JUMPVEL " + std::to_string(player) + " " + std::to_string(uniform(0, 12));
    default:
        return "RESTART";
    }
}

int make(const std::string& file, int seconds, unsigned seed) {
    if (seconds < 0 || seconds > 24 * 3600) return usage();
    random.seed(seed);

    static WindowObject window;
    window.width = playWidth;
    window.height = playHeight;
    mainWindow = &window;
    startGame(&window);

    // Without hero.bmp in the working folder the fighters would have no size: give
    // them the shipped one's, and put player 2 at the right edge for it.
    GameState state = saveGame();
    if (state.players[0].heroBounds.right <= 1) {
        for (PlayerState& p : state.players) p.heroBounds = shippedHeroBounds;
        state.players[1].x = static_cast<float>(playWidth - shippedHeroBounds.right / 2);
    }
    state.deathPhrases.seed(seed);
    loadGame(state);

    frameHooks.input = randomInput;
    const std::string started = startRecording(file);
    if (!demoRecording()) {
        std::fprintf(stderr, "brawlex-demo: %s\n", started.c_str());
        return 2;
    }
    const int frames = seconds * static_cast<int>(demoFramesPerCheck);
    int nextLine = uniform(300, 1500);
    for (int frame = 0; frame < frames; ++frame) {
        if (--nextLine <= 0) {
            ExecuteCommandLine(randomConsoleLine());
            nextLine = uniform(300, 1500);
        }
        runFrame();
    }
    const std::string stopped = stopRecording();
    shutdownGame();
    std::printf("%s\n", stopped.c_str());
    return stopped.rfind("Recorded ", 0) == 0 ? 0 : 2;
}

int verify(const std::string& file) {
    Demo demo;
    std::string why;
    if (!readDemoFile(file, demo, why)) {
        std::fprintf(stderr, "brawlex-demo: %s %s\n", file.c_str(), why.c_str());
        return 2;
    }
    const DemoReplay replay = replayDemo(demo);
    if (!replay.started) {
        std::fprintf(stderr, "brawlex-demo: %s has a starting state that will not load\n",
                     file.c_str());
        return 2;
    }
    std::printf("%u frames, checksum %s, ", replay.frames,
                checksumText(replay.finalChecksum).c_str());
    if (replay.outOfStep != 0) {
        std::printf("out of step at second %u\n", replay.outOfStep);
        return 1;
    }
    std::printf("in step\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "make") {
        char* end = nullptr;
        const long seconds = std::strtol(argv[3], &end, 10);
        if (*end != '\0' || end == argv[3]) return usage();
        const unsigned long seed = std::strtoul(argv[4], &end, 10);
        if (*end != '\0' || end == argv[4]) return usage();
        return make(argv[2], static_cast<int>(seconds), static_cast<unsigned>(seed));
    }
    if (argc == 3 && std::string(argv[1]) == "verify") return verify(argv[2]);
    return usage();
}
