// The computer player's decisions. It sees what a person sees (both fighters, their
// hit points, charges and hooks, the bullets in flight), a little late, and presses
// keys no faster than a person can. Only +, -, *, / and sqrt are used on floats, so
// that every program makes the same choices from the same state.
#include "ai/cpu_player.h"

#include "game/bullet.h"
#include "game/player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum Plan : std::uint8_t {
    PlanShoot = 0,  // keep a distance and shoot
    PlanSword = 1,  // close in behind a charging sword (with the hook to reach him)
    PlanEscape = 2, // get away from a charged sword (with the hook when cornered)
    PlanFinish = 3, // come nearer to finish a weak opponent with sure shots
};
constexpr std::uint8_t planCount = 4;

enum HookStage : std::uint8_t {
    HookIdle = 0,
    HookReachThrow = 1, // holding GRAPPLE aimed at the opponent
    HookReachPulled = 2,
    HookDrop = 3, // letting go of a hook that is out
    HookEscapeThrow = 4,
    HookEscapeHang = 5,
};
constexpr std::uint8_t hookStageCount = 6;

// How the levels differ, as players of different skill do.
struct Traits {
    int reaction;      // frames between seeing and acting
    int minHold;       // frames an action stays as it is after it changed
    float aimSpread;   // degrees of aiming error
    float aimSlack;    // degrees off the target it still fires at
    float dodgeChance; // chance of jumping a bullet it sees coming
    float lead;        // how much of the opponent's motion it leads its shots by
    int patience;      // frames of stand-off before it closes in with the sword
    float swordChance; // chance of choosing the sword when it changes its plan
    bool hook;         // throws the hook to reach and to escape
    float rangeNear;   // distance it keeps while shooting
    float rangeFar;
    float hop;      // chance a frame of hopping, to make a harder target
    int hesitation; // frames it may wait, at most, past the gun's readiness to fire
};

constexpr Traits levelTraits[4] = {
    {0, 1, 0, 0, 0, 0, 0, 0, false, 0, 0, 0, 0},                                 // Off: never used
    {25, 9, 17.0f, 5.0f, 0.35f, 0.0f, 1500, 0.03f, false, 120, 520, 0.003f, 30}, // Easy
    {14, 6, 12.0f, 3.0f, 0.60f, 0.5f, 1800, 0.08f, true, 250, 500, 0.010f, 20},  // Normal
    {8, 4, 8.0f, 1.5f, 0.92f, 1.0f, 2000, 0.12f, true, 300, 560, 0.015f, 12},    // Hard
};

const Traits& traitsOf(CpuLevel level) {
    return levelTraits[static_cast<int>(level) & 3];
}

constexpr int actionBits = 8;
constexpr float degreesPerRadian = 57.29577951f;
constexpr float aimStep = 1.5f;     // degrees the aim turns per frame
constexpr float bulletSpeed = 6.0f; // pixels per frame
constexpr float swordReach = 50.0f; // from the centre to the nearest point of his box
constexpr int dodgeHorizon = 45;    // frames ahead it looks at a bullet
constexpr int hookThrowFrames = 20; // frames of holding GRAPPLE before the throw
constexpr std::uint32_t swordRecovery = 50;

// The generator: 32 bits of state stepped by a Weyl sequence, with a mixed output.
std::uint32_t nextRandom(std::uint32_t& state) {
    state += 0x6D2B79F5u;
    std::uint32_t z = state;
    z = (z ^ (z >> 15)) * (z | 1u);
    z ^= z + (z ^ (z >> 7)) * (z | 61u);
    return z ^ (z >> 14);
}

// Uniform in [0, 1).
float randomUnit(std::uint32_t& state) {
    return static_cast<float>(nextRandom(state) >> 8) * (1.0f / 16777216.0f);
}

int randomBetween(std::uint32_t& state, int low, int high) {
    const std::uint32_t span = static_cast<std::uint32_t>(high - low + 1);
    return low + static_cast<int>(nextRandom(state) % span);
}

// atan2 in degrees, counter-clockwise with y up, from basic arithmetic only (about
// 0.001 degrees off at worst): the C library's may differ between programs.
float angleDegrees(float y, float x) {
    const float ax = std::fabs(x);
    const float ay = std::fabs(y);
    const float big = std::max(ax, ay);
    if (big == 0.0f) return 0.0f;
    const float a = std::min(ax, ay) / big;
    const float s = a * a;
    float r = ((-0.0464964749f * s + 0.15931422f) * s - 0.327622764f) * s * a + a;
    if (ay > ax) r = 1.57079637f - r;
    if (x < 0.0f) r = 3.14159274f - r;
    if (y < 0.0f) r = -r;
    return r * degreesPerRadian;
}

// An angle brought into -180..180.
float wrapDegrees(float a) {
    while (a > 180.0f) a -= 360.0f;
    while (a < -180.0f) a += 360.0f;
    return a;
}

bool finite(float v) {
    return v == v && v < 3.0e38f && v > -3.0e38f;
}

float clampTo(float v, float low, float high) {
    if (!(v >= low)) return low; // NaN goes to the low end
    return v > high ? high : v;
}

// The sighting of this frame: the opponent as he is, and the bullets of his that
// come soonest into the region where the computer's fighter can be (his box and
// the height of a jump above it).
CpuSighting look(const CpuView& view) {
    const Player& me = view.self;
    const Player& op = view.opponent;
    CpuSighting s{};
    s.x = op.x;
    s.y = op.y;
    s.vx = op.vx;
    s.vy = op.vy;
    s.hp = op.hp;
    s.swordCharge = op.swordCharge;
    s.facing = static_cast<std::uint8_t>(op.facing != 0);
    s.grappling = static_cast<std::uint8_t>(op.grappleState != GrappleNone);
    s.dead = op.dead;

    const Bounds box = me.hitBox();
    const float left = static_cast<float>(box.left) - 4.0f;
    const float right = static_cast<float>(box.right) + 4.0f;
    const float top = static_cast<float>(box.top) - 110.0f;
    const float bottom = static_cast<float>(box.bottom) + 4.0f;
    float soonest[cpuThreatsSeen];
    for (const Bullet& b : view.bullets) {
        if (b.shooter == me.side) continue;
        // Sub-steps until the bullet's straight path enters and leaves the region.
        float enter = 0.0f;
        float leave = 1.0e9f;
        bool misses = false;
        const float pos[2] = {b.x, b.y};
        const float dir[2] = {b.dx, b.dy};
        const float low[2] = {left, top};
        const float high[2] = {right, bottom};
        for (int axis = 0; axis < 2 && !misses; ++axis) {
            if (std::fabs(dir[axis]) < 1e-6f) {
                misses = pos[axis] < low[axis] || pos[axis] > high[axis];
            } else {
                float t0 = (low[axis] - pos[axis]) / dir[axis];
                float t1 = (high[axis] - pos[axis]) / dir[axis];
                if (t0 > t1) std::swap(t0, t1);
                enter = std::max(enter, t0);
                leave = std::min(leave, t1);
            }
        }
        if (misses || !(enter <= leave) || enter > bulletSpeed * 90.0f) continue;
        // Keep the soonest few, in order.
        int at = s.threatCount;
        while (at > 0 && soonest[at - 1] > enter) --at;
        if (at >= cpuThreatsSeen) continue;
        const int last = std::min<int>(s.threatCount, cpuThreatsSeen - 1);
        for (int i = last; i > at; --i) {
            soonest[i] = soonest[i - 1];
            s.threat[i] = s.threat[i - 1];
        }
        soonest[at] = enter;
        s.threat[at] = {b.x, b.y, b.dx, b.dy};
        if (s.threatCount < cpuThreatsSeen) ++s.threatCount;
    }
    return s;
}

void remember(CpuState& state, const CpuSighting& sighting) {
    state.seen[state.seenNext] = sighting;
    state.seenNext = static_cast<std::uint8_t>((state.seenNext + 1) % cpuMemoryFrames);
    if (state.seenCount < cpuMemoryFrames) ++state.seenCount;
}

// The sighting of `age` frames ago (or the oldest kept).
const CpuSighting& recall(const CpuState& state, int& age) {
    age = std::min(age, static_cast<int>(state.seenCount) - 1);
    const int slot = (state.seenNext - 1 - age + 2 * cpuMemoryFrames) % cpuMemoryFrames;
    return state.seen[slot];
}

// The frame of the first hit of a bullet on the fighter within the horizon (0 for
// none), with the fighter standing or jumping now.
int firstHit(const CpuThreat& bullet, int age, const Player& me, bool jump, float gravity,
             float floorY) {
    float bx = bullet.x + bullet.dx * bulletSpeed * static_cast<float>(age);
    float by = bullet.y + bullet.dy * bulletSpeed * static_cast<float>(age);
    float x = me.x;
    float y = me.y;
    float vy = 0.0f;
    const float w = static_cast<float>(me.frameWidth());
    const float h = static_cast<float>(me.frameHeight());
    for (int frame = 1; frame <= dodgeHorizon; ++frame) {
        x += me.vx;
        if (jump) {
            vy = frame == 1 ? me.jumpVelocity : vy + gravity;
            y = std::min(y + vy, floorY);
        }
        const float left = std::trunc(x);
        const float top = std::trunc(y);
        for (int step = 0; step < 6; ++step) {
            bx += bullet.dx;
            by += bullet.dy;
            if (bx >= left && bx <= left + w && by >= top + 3.0f && by <= top + h) return frame;
        }
    }
    return 0;
}

// Whether this frame it jumps a bullet it sees coming.
bool wantsDodge(CpuState& state, const Traits& traits, const CpuSighting& seen, int age,
                const CpuView& view) {
    const Player& me = view.self;
    if (!me.onGround || me.grappleState != GrappleNone) return state.dodge == 2;
    const float floorY = static_cast<float>(view.height - me.frameHeight());
    bool threatened = false;
    for (int i = 0; i < seen.threatCount; ++i) {
        const int stay = firstHit(seen.threat[i], age, me, false, view.gravity, floorY);
        if (stay == 0) continue;
        const int jump = firstHit(seen.threat[i], age, me, true, view.gravity, floorY);
        if (jump == 0 || jump > stay + 10) threatened = true;
    }
    if (!threatened) {
        state.dodge = 0;
        return false;
    }
    if (state.dodge == 0) state.dodge = randomUnit(state.rng) < traits.dodgeChance ? 2 : 1;
    return state.dodge == 2;
}

// The plan to follow from here, when the present one is over or the scene asks for
// another.
void choosePlan(CpuState& state, const Traits& traits, const CpuView& view, const CpuSighting& seen,
                float apart) {
    const Player& me = view.self;
    const bool hisSwordLethal = seen.swordCharge >= 6 && seen.swordCharge > me.swordCharge;
    if (hisSwordLethal && apart < 170.0f && state.plan != PlanEscape) {
        state.plan = PlanEscape;
        state.planFrames = 60;
        return;
    }
    if (state.planFrames > 0) return;
    if (seen.hp <= 6 && me.swordCharge == 0) {
        state.plan = PlanFinish;
        state.planFrames = 200;
    } else if (state.calmFrames > traits.patience || randomUnit(state.rng) < traits.swordChance) {
        state.plan = PlanSword;
        state.planFrames = 500;
        // A blow that kills, or a good one; easier players strike sooner.
        const int wanted = traits.minHold <= 4   ? randomBetween(state.rng, 12, 24)
                           : traits.minHold <= 6 ? randomBetween(state.rng, 8, 18)
                                                 : randomBetween(state.rng, 4, 12);
        state.strikeCharge = std::max(1, std::min(wanted, seen.hp));
    } else {
        state.plan = PlanShoot;
        state.planFrames = randomBetween(state.rng, 150, 320);
    }
}

// Frame widths, the centre offsets and the opponent's predicted place.
struct Scene {
    float myCx, myCy; // own centre
    float opX, opY;   // the opponent's predicted frame position
    float opCx, opCy; // and centre
    float offX, offY; // centre offset from the frame's corner
    float width, height;
    float frameW, frameH;
};

// The relative aim (from straight ahead, up positive) that points at (tx, ty).
float relativeAimTo(const Player& me, const Scene& scene, float tx, float ty) {
    const float absolute = angleDegrees(-(ty - scene.myCy), tx - scene.myCx);
    return me.facing == 0 ? wrapDegrees(absolute) : wrapDegrees(180.0f - absolute);
}

float currentRelativeAim(const Player& me) {
    return me.facing == 0 ? me.aimAngle : 180.0f - me.aimAngle;
}

// Presses AIMUP or AIMDOWN toward the wanted relative aim. A press lasts at least
// minHold frames and so turns the aim at least 1.5 * minHold degrees: it starts only
// when the error is at least half of that, and holds while more than half a step.
std::uint8_t steerAim(const CpuState& state, const Traits& traits, const Player& me, float wanted) {
    wanted = clampTo(wanted, -89.0f, 89.0f);
    const float error = wanted - currentRelativeAim(me);
    const float start = 0.75f * aimStep * static_cast<float>(traits.minHold) * 0.5f + 0.75f;
    const bool upHeld = (state.held & InputAimUp) != 0;
    const bool downHeld = (state.held & InputAimDown) != 0;
    if (error > start || (upHeld && error > 0.75f)) return InputAimUp;
    if (error < -start || (downHeld && error < -0.75f)) return InputAimDown;
    return 0;
}

// The key that walks toward x from the fighter's place (0 when already there).
std::uint8_t walkToward(const Scene& scene, float targetCx) {
    if (targetCx > scene.myCx + 2.0f) return InputRight;
    if (targetCx < scene.myCx - 2.0f) return InputLeft;
    return 0;
}

// Turning without walking far: a tap of the direction key.
std::uint8_t faceToward(const Player& me, const Scene& scene) {
    const bool right = scene.opCx >= scene.myCx;
    if (right && me.facing != 0) return InputRight;
    if (!right && me.facing == 0) return InputLeft;
    return 0;
}

// Whether a blow now would land: his box within reach, and he not in the blind
// cone below (more than 30 degrees under the horizontal).
bool strikeLands(const Scene& scene) {
    const float nearX = clampTo(scene.myCx, scene.opX, scene.opX + scene.frameW);
    const float nearY = clampTo(scene.myCy, scene.opY, scene.opY + scene.frameH);
    const float dx = nearX - scene.myCx;
    const float dy = nearY - scene.myCy;
    if (std::sqrt(dx * dx + dy * dy) > swordReach - 4.0f) return false;
    const float below = scene.opCy - scene.myCy;
    return below <= 0.55f * std::fabs(scene.opCx - scene.myCx);
}

// Limits how often each action may change, as a person's fingers do.
std::uint8_t pressAtHumanPace(CpuState& state, const Traits& traits, std::uint8_t wanted) {
    std::uint8_t held = state.held;
    for (int bit = 0; bit < actionBits; ++bit) {
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << bit);
        if (state.sinceChange[bit] < 255) ++state.sinceChange[bit];
        if ((held & mask) != (wanted & mask) && state.sinceChange[bit] >= traits.minHold) {
            held = static_cast<std::uint8_t>(held ^ mask);
            state.sinceChange[bit] = 0;
        }
    }
    state.held = held;
    return held;
}

} // namespace

bool cpuLevelFromName(const char* name, CpuLevel& level) {
    static constexpr const char* names[] = {"OFF", "EASY", "NORMAL", "HARD"};
    for (int i = 0; i < 4; ++i) {
        if (std::strcmp(name, names[i]) == 0) {
            level = static_cast<CpuLevel>(i);
            return true;
        }
    }
    return false;
}

const char* cpuLevelName(CpuLevel level) {
    static constexpr const char* names[] = {"OFF", "EASY", "NORMAL", "HARD"};
    return names[static_cast<int>(level) & 3];
}

int cpuMinimumHold(CpuLevel level) {
    return traitsOf(level).minHold;
}

void resetCpuState(CpuState& state, CpuLevel level, std::uint32_t seed) {
    state = CpuState{};
    state.level = level;
    state.rng = seed;
    nextRandom(state.rng);
    std::memset(state.sinceChange, 255, sizeof state.sinceChange);
}

PlayerInput decideCpuInput(CpuState& state, const CpuView& view) {
    if (state.level == CpuLevel::Off) return {};
    const Traits& traits = traitsOf(state.level);
    const Player& me = view.self;

    remember(state, look(view));
    int age = traits.reaction;
    const CpuSighting& seen = recall(state, age);

    // A new round (hit points refilled) starts with a clear head.
    if (me.hp > state.lastOwnHp || seen.hp > state.lastOpponentHp) {
        state.plan = PlanShoot;
        state.planFrames = 0;
        state.calmFrames = 0;
        state.dodge = 0;
        if (me.grappleState == GrappleNone) state.hookStage = HookIdle;
    } else if (me.hp < state.lastOwnHp || seen.hp < state.lastOpponentHp) {
        state.calmFrames = 0;
    } else if (state.calmFrames < 1000000) {
        ++state.calmFrames;
    }
    state.lastOwnHp = me.hp;
    state.lastOpponentHp = seen.hp;
    if (state.plan >= planCount) state.plan = PlanShoot;
    if (state.hookStage >= hookStageCount) state.hookStage = HookIdle;

    // Nothing to fight: a fallen fighter, or a fallen opponent, lets go of everything.
    if (me.dead || seen.dead) return {pressAtHumanPace(state, traits, 0)};

    Scene scene{};
    // The centre as the game takes it, from the hero's size. Player::centre would
    // do, but it keeps the offsets it takes in the game state, which the computer
    // must not change.
    scene.offX = static_cast<float>(me.heroBounds.right >> 2);
    scene.offY = static_cast<float>(me.heroBounds.bottom >> 1);
    scene.myCx = me.x + scene.offX;
    scene.myCy = me.y + scene.offY;
    scene.width = static_cast<float>(view.width);
    scene.height = static_cast<float>(view.height);
    scene.frameW = static_cast<float>(me.frameWidth());
    scene.frameH = static_cast<float>(me.frameHeight());
    // He is where he was seen, carried on as he was moving, kept on the screen.
    const float maxX = std::max(0.0f, scene.width - scene.frameW);
    const float maxY = std::max(0.0f, scene.height - scene.frameH);
    const float ahead = static_cast<float>(age);
    scene.opX = clampTo(finite(seen.vx) ? seen.x + seen.vx * ahead : seen.x, 0.0f, maxX);
    scene.opY = clampTo(finite(seen.vy) ? seen.y + seen.vy * ahead : seen.y, 0.0f, maxY);
    scene.opCx = scene.opX + scene.offX;
    scene.opCy = scene.opY + scene.offY;
    const float dxToHim = scene.opCx - scene.myCx;
    const float dyToHim = scene.opCy - scene.myCy;
    const float apart = std::fabs(dxToHim);
    const float reach = std::sqrt(dxToHim * dxToHim + dyToHim * dyToHim);

    --state.planFrames;
    choosePlan(state, traits, view, seen, apart);

    // Aiming error, drawn anew every second or so.
    if (--state.aimErrorFrames <= 0) {
        state.aimError = (randomUnit(state.rng) - randomUnit(state.rng)) * 2.0f * traits.aimSpread;
        state.aimErrorFrames = randomBetween(state.rng, 60, 130);
    }

    // A person does not fire the very frame the gun is ready again.
    if (me.gunCooldown < 2)
        state.triggerFrames = 17 + randomBetween(state.rng, 0, traits.hesitation);

    // Where to aim: at his centre, led by his motion over the bullet's flight.
    const float flight = reach / bulletSpeed;
    float tx = scene.opCx;
    float ty = scene.opCy;
    if (finite(seen.vx) && finite(seen.vy)) {
        tx += seen.vx * flight * traits.lead;
        ty = std::min(ty + seen.vy * flight * traits.lead, scene.height - scene.frameH * 0.5f);
    }
    const float trueAim = relativeAimTo(me, scene, tx, ty);
    const bool facingHim = (dxToHim >= 0.0f) == (me.facing == 0);
    const float wantedAim = trueAim + state.aimError;

    std::uint8_t want = 0;
    bool mayShoot = true;
    const float wallBehind = dxToHim >= 0.0f ? scene.myCx : scene.width - scene.myCx;
    const std::uint8_t awayKey = dxToHim >= 0.0f ? InputLeft : InputRight;

    // The hook, when a stage of it is under way; hookFrames counts the frames of
    // the present stage.
    const bool hookOut = me.grappleState != GrappleNone;
    if (hookOut && state.hookStage == HookIdle) state.hookStage = HookDrop;
    const std::uint8_t stageBefore = state.hookStage;
    switch (state.hookStage) {
    case HookReachThrow:
        if (me.grappleState == GrappleOpponent) {
            state.hookStage = HookReachPulled;
        } else if (me.grappleState == GrappleWall || state.hookFrames > hookThrowFrames * 2 ||
                   state.plan != PlanSword) {
            state.hookStage = HookDrop;
        }
        break;
    case HookReachPulled:
        if (me.grappleState != GrappleOpponent || me.swordCooldown < swordRecovery ||
            state.plan != PlanSword)
            state.hookStage = HookDrop;
        break;
    case HookEscapeThrow:
        if (me.grappleState == GrappleWall) {
            state.hookStage = HookEscapeHang;
        } else if (me.grappleState == GrappleOpponent || state.plan != PlanEscape ||
                   state.hookFrames > hookThrowFrames * 2) {
            state.hookStage = HookDrop;
        }
        break;
    case HookEscapeHang:
        if (state.hookFrames > 140 || seen.swordCharge == 0 || !hookOut) state.hookStage = HookDrop;
        break;
    case HookDrop:
        if (!hookOut) state.hookStage = HookIdle;
        break;
    default:
        break;
    }

    if (state.hookStage != stageBefore) state.hookFrames = 0;
    if (state.hookFrames < 1000000) ++state.hookFrames;

    switch (state.plan) {
    case PlanSword: {
        // The hook first (it cannot be thrown with the sword charged), from afar.
        if (traits.hook && state.hookStage == HookIdle && me.swordCharge == 0 && apart > 240.0f &&
            me.onGround && !seen.grappling && facingHim && std::fabs(trueAim) < 45.0f) {
            state.hookStage = HookReachThrow;
            state.hookFrames = 0;
            state.planFrames = std::max(state.planFrames, 200);
        }
        if (state.hookStage == HookReachThrow) {
            want |= InputGrapple | steerAim(state, traits, me, trueAim);
            break;
        }
        if (state.hookStage == HookDrop) break;
        const bool charged = me.swordCharge >= state.strikeCharge || me.swordCharge >= seen.hp;
        const bool inReach = strikeLands(scene);
        if (me.swordCharge > 0 && inReach &&
            (charged || seen.swordCharge >= me.swordCharge || me.hp <= seen.swordCharge)) {
            // Letting go strikes; the plan is then over.
            state.planFrames = 0;
            state.plan = PlanShoot;
            mayShoot = false;
            break;
        }
        if (me.swordCooldown >= swordRecovery || me.swordCharge > 0) want |= InputSword;
        mayShoot = false;
        if (state.hookStage != HookReachPulled && apart > 40.0f)
            want |= walkToward(scene, scene.opCx);
        if (!facingHim) want |= faceToward(me, scene);
        break;
    }
    case PlanEscape: {
        mayShoot = false;
        if (state.hookStage == HookEscapeHang) {
            mayShoot = true;
            break;
        }
        const bool cornered = wallBehind < 90.0f;
        if (traits.hook && cornered &&
            (state.hookStage == HookIdle || state.hookStage == HookEscapeThrow)) {
            // Up over him to the ceiling, along a steep throw into the room.
            if (state.hookStage == HookIdle) state.hookFrames = 0;
            state.hookStage = HookEscapeThrow;
            want |= InputGrapple | steerAim(state, traits, me, 78.0f);
            if (!facingHim) want |= faceToward(me, scene);
            break;
        }
        if (!cornered) want |= awayKey;
        if (me.onGround && apart < 110.0f) want |= InputJump;
        if (seen.swordCharge == 0 || apart > 260.0f) {
            state.planFrames = 0;
            state.plan = PlanShoot;
        }
        break;
    }
    case PlanFinish:
    case PlanShoot:
    default: {
        const float near = state.plan == PlanFinish ? 60.0f : traits.rangeNear;
        const float far = state.plan == PlanFinish ? 170.0f : traits.rangeFar;
        if (apart > far) {
            want |= walkToward(scene, scene.opCx);
        } else if (apart < near * 0.6f && wallBehind > 100.0f && seen.swordCharge > 0) {
            want |= awayKey;
            mayShoot = false;
        } else if (!facingHim) {
            want |= faceToward(me, scene);
        }
        // A hop now and then makes a harder target.
        if (me.onGround && randomUnit(state.rng) < traits.hop) want |= InputJump;
        break;
    }
    }

    if (state.hookStage == HookDrop && hookOut && me.swordCharge == 0) {
        // A new press lets go: up first if it is still held from the throw.
        if ((state.held & InputGrapple) == 0) want |= InputGrapple;
    }
    if (state.hookStage == HookEscapeHang || state.hookStage == HookReachPulled)
        want &= static_cast<std::uint8_t>(~InputGrapple);

    if (mayShoot && facingHim) {
        if (!(want & (InputAimUp | InputAimDown))) want |= steerAim(state, traits, me, wantedAim);
        // Fires when the aim is on him, give or take the size of him at that range.
        const float size = angleDegrees(14.0f, std::max(reach, 1.0f));
        // It judges by where it believes he is, aiming error and all.
        const float off = std::fabs(wantedAim - currentRelativeAim(me));
        if (off <= size + traits.aimSlack && me.gunCooldown >= state.triggerFrames)
            want |= InputAttack;
    } else if (mayShoot && !(want & (InputLeft | InputRight))) {
        want |= faceToward(me, scene);
    }

    if (wantsDodge(state, traits, seen, age, view)) want |= InputJump;

    return {pressAtHumanPace(state, traits, want)};
}

namespace {

struct Writer {
    std::vector<std::uint8_t>& out;

    template <typename T> void operator()(const T& value) {
        static_assert(sizeof(T) == 1 || sizeof(T) == 4);
        std::uint32_t bits;
        if constexpr (sizeof(T) == 4)
            std::memcpy(&bits, &value, 4);
        else
            bits = static_cast<std::uint8_t>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
};

struct Reader {
    std::span<const std::uint8_t> in;
    bool ok = true;

    template <typename T> void operator()(T& value) {
        static_assert(sizeof(T) == 1 || sizeof(T) == 4);
        if (!ok || in.size() < sizeof(T)) {
            ok = false;
            return;
        }
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
        in = in.subspan(sizeof(T));
        if constexpr (sizeof(T) == 4)
            std::memcpy(&value, &bits, 4);
        else
            value = static_cast<T>(bits);
    }
};

} // namespace

bool cpuStatePlausible(const CpuState& s) {
    if (static_cast<std::uint8_t>(s.level) > static_cast<std::uint8_t>(CpuLevel::Hard))
        return false;
    if (s.seenNext >= cpuMemoryFrames || s.seenCount > cpuMemoryFrames) return false;
    for (const CpuSighting& seen : s.seen)
        if (seen.threatCount > cpuThreatsSeen) return false;
    return true;
}

void encodeCpuState(const CpuState& state, std::vector<std::uint8_t>& out) {
    Writer writer{out};
    visitCpuState(writer, state);
}

bool decodeCpuState(CpuState& state, std::span<const std::uint8_t>& in) {
    Reader reader{in};
    CpuState decoded;
    visitCpuState(reader, decoded);
    if (!reader.ok || !cpuStatePlausible(decoded)) return false;
    state = decoded;
    in = reader.in;
    return true;
}
