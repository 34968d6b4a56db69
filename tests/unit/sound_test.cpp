// Sound: the events a match raises, the mixer's output, the synthesised effects,
// and SET VOLUME.
#include "app/platform_headless.h"
#include "game/game_state.h"
#include "sound/audio_output_headless.h"
#include "sound/device_buffers.h"
#include "sound/device_keeper.h"
#include "sound/mix_ahead.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "sound/sound_bank.h"
#include "tests/unit/command_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using E = SoundEffect;

SoundEvent ev(E effect, int side, int level = 0) {
    return {effect, static_cast<std::int8_t>(side), static_cast<std::uint8_t>(level)};
}

std::string describe(const std::vector<SoundEvent>& events) {
    std::string text;
    for (const SoundEvent& e : events)
        text += std::to_string(static_cast<int>(e.effect)) + "/" + std::to_string(e.side) + "/" +
                std::to_string(e.level) + " ";
    return text;
}

// Both players hang still in the air (no gravity), past every cooldown.
void hover(Arena& arena, float x1, float y1, float x2, float y2) {
    hangInAir(arena, x1, y1, x2, y2);
    for (int n = 1; n <= 2; ++n) {
        Player& p = arena.player(n);
        p.swordCooldown = p.swordTick = p.gunCooldown = 1000;
    }
}

struct Scene {
    const char* name;
    std::function<void(Arena&)> setUp;
    std::vector<HeldKeys> keys;
    std::vector<SoundEvent> expected;
};

TEST(SoundEvents, AScriptedMatchRaisesItsEffectsInOrder) {
    const std::uint8_t attack1 = player1Keys.attack, sword1 = player1Keys.sword,
                       hook1 = player1Keys.grapple, jump1 = player1Keys.jump;
    // Player 1's bullet flies straight right at the height of his centre (row 20 of
    // his frame); player 2 is placed so that it meets his head, body or legs.
    const auto shotAt = [](float targetY) {
        return [targetY](Arena& a) { hover(a, 100, 300, 300, targetY); };
    };
    const Scene scenes[] = {
        {"head", shotAt(310), {{1, {attack1}}, {40, {}}}, {ev(E::Shot, 0), ev(E::HitHead, 1)}},
        {"body", shotAt(298), {{1, {attack1}}, {40, {}}}, {ev(E::Shot, 0), ev(E::HitBody, 1)}},
        {"legs", shotAt(285), {{1, {attack1}}, {40, {}}}, {ev(E::Shot, 0), ev(E::HitLegs, 1)}},
        {"miss", shotAt(100), {{1, {attack1}}, {60, {}}}, {ev(E::Shot, 0)}},
        {"held attack fires every 18 frames",
         shotAt(100),
         {{37, {attack1}}},
         {ev(E::Shot, 0), ev(E::Shot, 0), ev(E::Shot, 0)}},
        {"sword charged for two points, then a blow that lands",
         [](Arena& a) { hover(a, 100, 300, 135, 300); },
         {{11, {sword1}}, {1, {}}},
         {ev(E::SwordCharge, 0, 1), ev(E::SwordCharge, 0, 2), ev(E::SwordStrike, 0),
          ev(E::SwordHit, 1, 2)}},
        {"sword swung out of reach",
         [](Arena& a) { hover(a, 100, 300, 400, 300); },
         {{1, {sword1}}, {1, {}}},
         {ev(E::SwordCharge, 0, 1), ev(E::SwordStrike, 0)}},
        {"hook into the opponent, then let go",
         [](Arena& a) { hover(a, 100, 300, 300, 300); },
         {{20, {hook1}}, {1, {}}, {1, {hook1}}},
         {ev(E::HookThrown, 0), ev(E::HookOpponent, 0), ev(E::HookDropped, 0)}},
        {"hook to the ceiling",
         [](Arena& a) {
             hover(a, 100, 300, 300, 300);
             a.player(1).setAimAngle(89);
         },
         {{20, {hook1}}},
         {ev(E::HookThrown, 0), ev(E::HookEdge, 0)}},
        {"a sword blow drops the hook the opponent has out",
         [](Arena& a) {
             hover(a, 100, 300, 135, 300);
             a.player(2).grappleState = GrappleWall;
         },
         {{1, {sword1}}, {1, {}}},
         {ev(E::SwordCharge, 0, 1), ev(E::SwordStrike, 0), ev(E::SwordHit, 1, 1),
          ev(E::HookDropped, 1)}},
        {"jump from the floor, and again on landing with the key held",
         [](Arena& a) { a.game().standOnFloor(1, 100); },
         {{60, {jump1}}},
         {ev(E::Jump, 0), ev(E::Jump, 0)}},
        {"a kill: the death is heard seven frames later, before the box",
         [](Arena& a) {
             hover(a, 100, 300, 300, 298);
             a.player(2).setHp(2);
         },
         {{1, {attack1}}, {50, {}}},
         {ev(E::Shot, 0), ev(E::HitBody, 1), ev(E::Death, 1)}},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        Arena arena;
        scene.setUp(arena);
        headless_audio::events.clear();
        std::vector<SoundEvent> heardWhenBoxOpened;
        headless_platform::onMessageBox = [&](const RecordedMessageBox&) {
            heardWhenBoxOpened = headless_audio::events;
        };
        arena.game().play(scene.keys);
        EXPECT_EQ(describe(headless_audio::events), describe(scene.expected));
        if (!heardWhenBoxOpened.empty()) {
            EXPECT_EQ(heardWhenBoxOpened.back(), ev(E::Death, 1));
        }
    }
}

TEST(SoundEvents, AGameWithoutAnAudioDevicePlaysAndRecordsNothing) {
    struct NoDevice {
        NoDevice() { headless_audio::noDevice = true; }
        ~NoDevice() { headless_audio::noDevice = false; }
    } noDevice;
    Arena arena;
    hover(arena, 100, 300, 300, 298);
    arena.player(2).setHp(2);
    arena.game().play({{1, {player1Keys.attack}}, {50, {}}});
    EXPECT_FALSE(headless_audio::running);
    EXPECT_TRUE(headless_audio::events.empty());
    EXPECT_EQ(headless_platform::messageBoxes.size(), 1u); // the kill, as without sound
}

TEST(SoundEvents, TaggedSoundsAndCutsAreRecordedAndACutSoundGoesQuiet) {
    Arena arena;
    headless_audio::reset();
    const auto loudest = [](const std::vector<std::int16_t>& out) {
        int p = 0;
        for (std::int16_t s : out) p = std::max(p, std::abs(int{s}));
        return p;
    };
    raiseTaggedSound(E::Death, 0, 0, 42);
    cutSound(0); // untagged: nothing
    headless_audio::pull(2000);
    EXPECT_GT(loudest(headless_audio::pull(500)), 1000);
    cutSound(42);
    headless_audio::pull(Mixer::stealFadeFrames);
    EXPECT_EQ(loudest(headless_audio::pull(2000)), 0);

    raiseSound(E::Jump, 1);
    EXPECT_EQ(describe(headless_audio::events), describe({ev(E::Death, 0), ev(E::Jump, 1)}));
    EXPECT_EQ(headless_audio::tagged,
              (std::vector<headless_audio::TaggedSound>{{ev(E::Death, 0), 42}}));
    EXPECT_EQ(headless_audio::cuts, (std::vector<std::uint32_t>{42}));
}

// A mixer over the real effects, pulled as a device would pull it.
class MixerTest : public ::testing::Test {
  protected:
    static const SoundBank& bank() {
        static const SoundBank b = SoundBank::synthesise(Mixer::sampleRate);
        return b;
    }
    std::vector<std::int16_t> pull(int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 12345);
        mixer.mix(out.data(), frames);
        return out;
    }
    static int peak(const std::vector<std::int16_t>& out, int channel) {
        int p = 0;
        for (std::size_t i = channel; i < out.size(); i += 2) p = std::max(p, std::abs(out[i]));
        return p;
    }
    static int clipPeak(E effect) {
        int p = 0;
        for (std::int16_t s : *bank().find(ev(effect, 0))) p = std::max(p, std::abs(int{s}));
        return p;
    }
    static int clipFrames(E effect) { return static_cast<int>(bank().find(ev(effect, 0))->size()); }
    Mixer mixer{&bank()};
};

TEST_F(MixerTest, NothingPostedIsSilence) {
    const auto out = pull(1000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::int16_t s) { return s == 0; }));
}

TEST_F(MixerTest, AnEffectPlaysOnceAtTheVolumeAndTheSideOfItsPlayer) {
    mixer.post(ev(E::Shot, 0));
    const int frames = clipFrames(E::Shot);
    const auto out = pull(frames);
    // Volume 70 is 0.49 of full loudness; player 1 sounds mostly on the left.
    EXPECT_NEAR(peak(out, 0), clipPeak(E::Shot) * 0.49, clipPeak(E::Shot) * 0.01);
    EXPECT_NEAR(peak(out, 1), peak(out, 0) * 0.6, peak(out, 0) * 0.01);
    EXPECT_EQ(mixer.activeVoices(), 0);
    const auto after = pull(500);
    EXPECT_EQ(peak(after, 0) + peak(after, 1), 0);

    mixer.post(ev(E::Shot, 1));
    const auto mirrored = pull(frames);
    EXPECT_EQ(peak(mirrored, 1), peak(out, 0));
    EXPECT_EQ(peak(mirrored, 0), peak(out, 1));
}

TEST_F(MixerTest, ManyVoicesAtOnceSaturateAtFullScaleInsteadOfWrapping) {
    mixer.setVolume(100);
    const int frames = clipFrames(E::Death);
    mixer.post(ev(E::Death, 0));
    const auto single = pull(frames);
    for (int i = 0; i < Mixer::voiceCount; ++i) mixer.post(ev(E::Death, 0));
    const auto stacked = pull(frames);
    int saturated = 0;
    for (std::size_t i = 0; i < single.size(); ++i) {
        const long expected =
            std::clamp<long>(static_cast<long>(single[i]) * Mixer::voiceCount, -32768, 32767);
        ASSERT_NEAR(stacked[i], expected, Mixer::voiceCount) << "sample " << i;
        saturated += stacked[i] == 32767 || stacked[i] == -32768;
    }
    EXPECT_GT(saturated, 0); // the sum did go beyond full scale
}

TEST_F(MixerTest, VolumeZeroIsSilentAndAChangeRampsWithoutAJump) {
    mixer.setVolume(0);
    mixer.post(ev(E::Death, 0));
    auto out = pull(2000);
    EXPECT_EQ(peak(out, 0) + peak(out, 1), 0);

    // Turned up while the effect plays: the first samples rise gradually.
    mixer.setVolume(100);
    out = pull(4000);
    EXPECT_LT(std::abs(out[0]), 600);
    EXPECT_GT(peak(out, 0), 1000);

    // Out-of-range values are ignored.
    mixer.setVolume(101);
    mixer.setVolume(-1);
    EXPECT_EQ(mixer.volume(), 100);
}

TEST_F(MixerTest, MoreEffectsThanVoicesTakeTheOldestVoices) {
    for (int i = 0; i < Mixer::voiceCount; ++i) mixer.post(ev(E::Death, 0));
    pull(100);
    mixer.post(ev(E::Shot, 1));
    pull(100);
    EXPECT_EQ(mixer.activeVoices(), Mixer::voiceCount);
    // The shot is shorter than the deaths' remainder: once it is over one voice is free.
    pull(clipFrames(E::Shot));
    EXPECT_EQ(mixer.activeVoices(), Mixer::voiceCount - 1);
}

TEST_F(MixerTest, TheQueueHoldsWhatComesBetweenTwoPulls) {
    for (int i = 0; i < Mixer::queueCapacity; ++i) EXPECT_TRUE(mixer.post(ev(E::Jump, 0)));
    EXPECT_FALSE(mixer.post(ev(E::Jump, 0))); // nothing pulled: the extra one is dropped
    pull(10);
    EXPECT_TRUE(mixer.post(ev(E::Jump, 0)));
}

TEST_F(MixerTest, AStolenVoiceFadesOutWhileTheNewEffectStartsAtOnce) {
    // Every voice busy: a death (the oldest, so the one stolen) and 23 jumps, quiet
    // enough that nothing saturates. The steal comes where the death is loudest.
    const auto clip = *bank().find(ev(E::Death, 0));
    int loudAt = 400;
    for (int i = 400; i < 2000; ++i)
        if (std::abs(clip[i]) > std::abs(clip[loudAt])) loudAt = i;
    const auto fill = [](Mixer& m, bool death) {
        m.setVolume(20);
        if (death) m.post(ev(E::Death, 0));
        for (int i = 0; i < Mixer::voiceCount - 1; ++i) m.post(ev(E::Jump, 1));
    };
    const auto run = [&](Mixer& m, bool steal) {
        std::vector<std::int16_t> before(static_cast<std::size_t>(loudAt) * 2);
        m.mix(before.data(), loudAt);
        if (steal) m.post(ev(E::Shot, 1));
        std::vector<std::int16_t> after(1024);
        m.mix(after.data(), 512);
        return after;
    };
    Mixer stealing{&bank()}, untouched{&bank()}, withoutDeath{&bank()}, shotAlone{&bank()};
    fill(stealing, true);
    fill(untouched, true);
    fill(withoutDeath, false);
    shotAlone.setVolume(20);
    shotAlone.post(ev(E::Shot, 1));
    const auto out = run(stealing, true);
    const auto all = run(untouched, false);
    const auto rest = run(withoutDeath, false);
    std::vector<std::int16_t> shot(1024);
    shotAlone.mix(shot.data(), 512);

    // What the steal changed, beside adding the shot, is only the death, going.
    // Its steps are no larger than the death's own from one sample to the next.
    int deathAtSteal = 0, largestStep = 0, deathStep = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int death = all[i] - rest[i];
        const int change = out[i] - all[i] - shot[i];
        const int before = i < 2 ? 0 : out[i - 2] - all[i - 2] - shot[i - 2]; // same channel
        if (i < 2) deathAtSteal = std::max(deathAtSteal, std::abs(death));
        if (i >= 2) deathStep = std::max(deathStep, std::abs(death - (all[i - 2] - rest[i - 2])));
        largestStep = std::max(largestStep, std::abs(change - before));
        ASSERT_LE(std::abs(change), std::abs(death) + 4) << "sample " << i; // the shot on time
        if (i >= 2 * (Mixer::stealFadeFrames + 2)) {
            ASSERT_LE(std::abs(change + death), 4) << "sample " << i; // and the death gone
        }
    }
    ASSERT_GT(deathAtSteal, 4 * deathStep); // cut at once, this would be the click
    EXPECT_LE(largestStep, deathStep + deathAtSteal / 32);
    EXPECT_EQ(stealing.activeVoices(), Mixer::voiceCount);
}

TEST_F(MixerTest, ACutVoiceFadesOutWithinTheShortFadeAndNothingElseChanges) {
    // The same voices in three mixers: one cuts the death (tagged 7), one leaves it,
    // one never had it. A shot tagged 8 and an untagged jump play on beside it.
    const auto fill = [](Mixer& m, bool death) {
        if (death) m.post(ev(E::Death, 0), 7);
        m.post(ev(E::Shot, 1), 8);
        m.post(ev(E::Jump, 1));
    };
    Mixer cutting{&bank()}, untouched{&bank()}, withoutDeath{&bank()};
    fill(cutting, true);
    fill(untouched, true);
    fill(withoutDeath, false);
    const auto pullFrom = [](Mixer& m, int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
        m.mix(out.data(), frames);
        return out;
    };
    for (Mixer* m : {&cutting, &untouched, &withoutDeath}) pullFrom(*m, 1500);

    cutting.cut(7);
    cutting.cut(0);     // untagged voices are never cut
    cutting.cut(12345); // no voice has it
    const auto out = pullFrom(cutting, 1024);
    const auto all = pullFrom(untouched, 1024);
    const auto rest = pullFrom(withoutDeath, 1024);
    EXPECT_EQ(cutting.activeVoices(), 2);

    int deathAtCut = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int frame = static_cast<int>(i / 2);
        const int death = all[i] - rest[i];
        const int change = out[i] - all[i];
        if (frame < 4) deathAtCut = std::max(deathAtCut, std::abs(death));
        if (frame < Mixer::stealFadeFrames) {
            // Falling in a straight line from where it was: no step, no click.
            ASSERT_LE(std::abs(change), std::abs(death) * (frame + 1) / Mixer::stealFadeFrames + 4)
                << "sample " << i;
        } else {
            ASSERT_EQ(out[i], rest[i]) << "sample " << i; // the death gone, the rest as it was
        }
    }
    EXPECT_GT(deathAtCut, 1000); // the cut came while the death was loud
}

TEST_F(MixerTest, CutsOfIdsNoVoiceHasAndCutsBeforeTheFirstSampleAreHarmless) {
    Mixer quiet{&bank()}, reference{&bank()};
    // Started and cut in the same batch: never heard at all.
    quiet.post(ev(E::Death, 0), 5);
    quiet.cut(5);
    quiet.post(ev(E::Shot, 0), 6);
    reference.post(ev(E::Shot, 0), 6);
    std::vector<std::int16_t> a(2 * 4000), b(2 * 4000);
    quiet.mix(a.data(), 4000);
    reference.mix(b.data(), 4000);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(quiet.activeVoices(), 0); // the shot ended

    // The shot's id, now that it ended, and one never given, change nothing.
    quiet.post(ev(E::Jump, 1), 9);
    reference.post(ev(E::Jump, 1), 9);
    quiet.mix(a.data(), 300);
    reference.mix(b.data(), 300);
    quiet.cut(6);
    quiet.cut(777);
    quiet.mix(a.data(), 4000);
    reference.mix(b.data(), 4000);
    EXPECT_TRUE(a == b);
    EXPECT_GT(peak(a, 1), 1000);
}

// An output fed from the game's thread, played frame by frame: what the stream
// holds is what it has been sent, later spans replacing earlier ones.
struct FedOutput {
    std::vector<std::int16_t> stream;
    std::int64_t begins = -1;
    // Updates `ahead` at `now` and takes what it sends.
    MixAhead::Span feed(MixAhead& ahead, std::int64_t now) {
        const MixAhead::Span span = ahead.update(now);
        take(span, ahead.samples());
        return span;
    }
    void take(const MixAhead::Span& span, const std::int16_t* samples) {
        if (span.frames == 0) return;
        if (begins < 0) begins = span.start;
        const std::int64_t end = begins + static_cast<std::int64_t>(stream.size() / 2);
        ASSERT_TRUE(span.replaces ? span.start <= end : span.start == end)
            << span.start << " after " << end;
        stream.resize(static_cast<std::size_t>(span.start - begins) * 2);
        stream.insert(stream.end(), samples, samples + span.frames * 2);
    }
    std::int64_t end() const { return begins + static_cast<std::int64_t>(stream.size() / 2); }
};

TEST_F(MixerTest, MixedAheadANewEffectStartsALeadAheadAndPlaysAsIfMixedInTime) {
    constexpr int lead = 441, depth = 4410; // 10 ms, 100 ms
    MixAhead ahead(mixer, lead, depth);
    Mixer reference{&bank()}; // pulled block by block, events posted where they start
    FedOutput output;
    struct Posted {
        std::int64_t now;
        SoundEvent event;
    };
    // Updates at uneven times, a few of them with effects raised just before.
    const Posted posts[] = {{0, ev(E::Jump, 0)},
                            {2000, ev(E::Shot, 0)},
                            {2000, ev(E::Shot, 1)},
                            {2900, ev(E::Death, 1)},
                            {7000, ev(E::HitHead, 0)}};
    std::vector<std::pair<std::int64_t, SoundEvent>> startsAt;
    std::int64_t now = 0;
    std::int64_t last = -1;
    for (int step = 0; now < 12000; ++step, now += 100 + (step * 37) % 250) {
        std::vector<SoundEvent> raised;
        for (const Posted& p : posts)
            if (p.now > last && p.now <= now) raised.push_back(p.event);
        last = now;
        for (const SoundEvent& e : raised) mixer.post(e);
        const MixAhead::Span span = output.feed(ahead, now);
        ASSERT_GE(output.end(), now + depth) << "the queue keeps its depth";
        if (!raised.empty()) {
            // Started at the first block at least a lead ahead, not after the queue.
            ASSERT_GE(span.start, now + lead);
            ASSERT_LT(span.start, now + lead + MixAhead::blockFrames);
            for (const SoundEvent& e : raised) startsAt.emplace_back(span.start, e);
        }
    }
    // The same effects pulled in time give the very samples the output holds.
    std::vector<std::int16_t> expected;
    std::size_t next = 0;
    for (std::int64_t frame = output.begins; frame < output.end(); frame += MixAhead::blockFrames) {
        for (; next < startsAt.size() && startsAt[next].first == frame; ++next)
            reference.post(startsAt[next].second);
        const std::size_t at = expected.size();
        expected.resize(at + MixAhead::blockFrames * 2);
        reference.mix(expected.data() + at, MixAhead::blockFrames);
    }
    EXPECT_EQ(next, startsAt.size());
    ASSERT_EQ(expected.size(), output.stream.size());
    EXPECT_TRUE(expected == output.stream);
    EXPECT_GT(peak(output.stream, 0), 1000);
}

TEST_F(MixerTest, MixedAheadAVolumeChangeIsHeardALeadAheadAndADryQueueBeginsAgain) {
    MixAhead ahead(mixer, 441, 4410);
    FedOutput output;
    mixer.post(ev(E::Death, 0));
    output.feed(ahead, 0);
    output.feed(ahead, 1000);
    const MixAhead::Span steady = ahead.update(1100); // only the queue's new end
    EXPECT_FALSE(steady.replaces);
    EXPECT_LE(steady.frames, MixAhead::blockFrames);
    mixer.setVolume(0);
    const MixAhead::Span quieter = ahead.update(1200);
    EXPECT_TRUE(quieter.replaces);
    EXPECT_LT(quieter.start, 1200 + 441 + MixAhead::blockFrames);
    // The game's thread held up past the queue: the stream begins again a lead
    // ahead, after the gap, and does not replace what was played.
    const MixAhead::Span again = ahead.update(20000);
    EXPECT_FALSE(again.replaces);
    EXPECT_EQ(again.start, 20000 + 441);
    EXPECT_GE(again.start + again.frames, 20000 + 4410);
}

TEST_F(MixerTest, MixedAheadACutShortensWhatWasMixedFromTheLeadOn) {
    constexpr int lead = 441, depth = 4410;
    MixAhead ahead(mixer, lead, depth);
    FedOutput output;
    // Commands given before an update at `now`; several updates may come before
    // the output's clock moves on.
    struct Step {
        std::int64_t now;
        std::vector<std::pair<SoundEvent, std::uint32_t>> starts; // id 0: untagged
        std::vector<std::uint32_t> cuts;
    };
    const Step steps[] = {
        {0, {{ev(E::Death, 0), 1}}, {}},
        {500, {}, {}},
        {1000, {}, {}},
        {1100, {}, {1}},                      // the death, mixed 200 ms ahead, ends
        {1100, {{ev(E::Shot, 1), 2}}, {}},    // raised before the clock moved,
        {1100, {}, {2}},                      // and cut before it did: never heard
        {2600, {}, {}},                       // (quiet here, after the fade)
        {3000, {{ev(E::Jump, 0), 0}}, {}},    // two effects raised
        {3000, {{ev(E::HitHead, 1), 3}}, {}}, // before the clock moved
        {3400, {}, {3, 3, 99}},               // cut twice, and an unknown id
        {5000, {}, {}},
        {9000, {}, {}},
    };
    struct Posted {
        std::int64_t at;
        bool cut;
        SoundEvent event;
        std::uint32_t id;
    };
    std::vector<Posted> posted;
    std::int64_t deathCutAt = -1;
    for (const Step& step : steps) {
        for (const auto& [event, id] : step.starts) mixer.post(event, id);
        for (std::uint32_t id : step.cuts) mixer.cut(id);
        const MixAhead::Span span = output.feed(ahead, step.now);
        if (step.starts.empty() && step.cuts.empty()) continue;
        // Mixed (again) from the first block at least a lead ahead.
        EXPECT_EQ(span.replaces, step.now != 0) << step.now;
        EXPECT_GE(span.start, step.now + lead);
        EXPECT_LT(span.start, step.now + lead + MixAhead::blockFrames);
        for (const auto& [event, id] : step.starts)
            posted.push_back({span.start, false, event, id});
        for (std::uint32_t id : step.cuts) posted.push_back({span.start, true, {}, id});
        if (!step.cuts.empty() && deathCutAt < 0) deathCutAt = span.start;
    }
    // In the output, the death sounded up to the lead point, and not after its fade.
    const auto sample = [&](std::int64_t frame) {
        return output.stream[static_cast<std::size_t>(frame - output.begins) * 2];
    };
    int before = 0;
    for (std::int64_t f = deathCutAt - 64; f < deathCutAt; ++f)
        before = std::max(before, std::abs(int{sample(f)}));
    EXPECT_GT(before, 1000);
    for (std::int64_t f = deathCutAt + Mixer::stealFadeFrames; f < 3000; ++f)
        ASSERT_EQ(sample(f), 0) << f;

    // And it holds what a mixer pulled in time gives, each command given at its block.
    Mixer reference{&bank()};
    std::vector<std::int16_t> expected;
    std::size_t next = 0;
    for (std::int64_t frame = output.begins; frame < output.end(); frame += MixAhead::blockFrames) {
        for (; next < posted.size() && posted[next].at == frame; ++next) {
            if (posted[next].cut) {
                reference.cut(posted[next].id);
            } else {
                reference.post(posted[next].event, posted[next].id);
            }
        }
        const std::size_t at = expected.size();
        expected.resize(at + MixAhead::blockFrames * 2);
        reference.mix(expected.data() + at, MixAhead::blockFrames);
    }
    EXPECT_EQ(next, posted.size());
    ASSERT_EQ(expected.size(), output.stream.size());
    EXPECT_TRUE(expected == output.stream);
}

// Zero crossings per second: a rough pitch.
int crossings(const std::vector<std::int16_t>& clip) {
    int n = 0;
    for (std::size_t i = 1; i < clip.size(); ++i) n += (clip[i - 1] < 0) != (clip[i] < 0);
    return n * Mixer::sampleRate / static_cast<int>(clip.size());
}

TEST_F(MixerTest, EveryEffectIsHeardShortAndBelowFullScale) {
    for (int e = 0; e < soundEffectCount; ++e) {
        SCOPED_TRACE(e);
        const auto* clip = bank().find(ev(static_cast<E>(e), 0, 1));
        ASSERT_NE(clip, nullptr);
        ASSERT_FALSE(clip->empty()); // its line of the description was read
        int p = 0;
        for (std::int16_t s : *clip) p = std::max(p, std::abs(int{s}));
        EXPECT_GT(p, 3000);
        EXPECT_LT(p, 20000); // room for several at once
        EXPECT_LE(clip->size(), static_cast<std::size_t>(Mixer::sampleRate * 0.7));
    }
    // The hits of the three zones differ.
    EXPECT_NE(*bank().find(ev(E::HitHead, 0)), *bank().find(ev(E::HitBody, 0)));
    EXPECT_NE(*bank().find(ev(E::HitBody, 0)), *bank().find(ev(E::HitLegs, 0)));
    // The charge rises: each blip higher than the one before.
    for (int level = 2; level <= SoundBank::chargeLevels; level += 4)
        EXPECT_GT(crossings(*bank().find(ev(E::SwordCharge, 0, level))),
                  crossings(*bank().find(ev(E::SwordCharge, 0, level - 1))))
            << level;
}

// A device that can be pulled out and put back, and whose opening can fail.
struct FakeDevice {
    bool present = true; // a device the system can open
    bool isOpen = false;
    bool plays = false; // the open device still plays
    int opens = 0, closes = 0;
    DeviceKeeper keeper{{[this] {
                             ++opens;
                             isOpen = plays = present;
                             return present;
                         },
                         [this] {
                             ++closes;
                             isOpen = plays = false;
                         },
                         [this] { return plays; }}};
};

TEST(DeviceKeeperTest, ADeviceThatGoesAwayIsReplacedByTheDefaultOne) {
    struct Case {
        const char* how;
        void (*loseIt)(FakeDevice&);
    };
    const Case cases[] = {
        {"reported removed", [](FakeDevice& d) { d.keeper.gone(); }},
        {"stopped playing", [](FakeDevice& d) { d.plays = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        FakeDevice d;
        ASSERT_TRUE(d.keeper.start());
        d.keeper.service(10);
        EXPECT_EQ(d.opens, 1); // nothing happens while it plays

        // Gone, with another device there: replaced at once.
        c.loseIt(d);
        d.keeper.service(20);
        EXPECT_EQ(d.closes, 1);
        EXPECT_EQ(d.opens, 2);
        EXPECT_TRUE(d.isOpen && d.keeper.isOpen());

        // Gone with no device left: tried again once a second, never in between,
        // until one is there.
        d.present = false;
        c.loseIt(d);
        d.keeper.service(100);
        EXPECT_EQ(d.opens, 3);
        EXPECT_FALSE(d.keeper.isOpen());
        d.keeper.service(100 + DeviceKeeper::retryMilliseconds - 1);
        EXPECT_EQ(d.opens, 3);
        d.keeper.service(100 + DeviceKeeper::retryMilliseconds);
        EXPECT_EQ(d.opens, 4);
        d.present = true;
        d.keeper.service(100 + 2 * DeviceKeeper::retryMilliseconds);
        EXPECT_EQ(d.opens, 5);
        EXPECT_TRUE(d.isOpen && d.keeper.isOpen());
        EXPECT_EQ(d.closes, 2); // a device that did not open is not closed

        d.keeper.stop();
        EXPECT_EQ(d.closes, 3);
        d.keeper.gone();
        d.keeper.service(10000);
        EXPECT_EQ(d.opens, 5); // stopped: nothing opens again
    }
}

TEST(DeviceKeeperTest, WithoutADeviceAtTheStartTheGameStaysSilentAndLooksForNone) {
    FakeDevice d;
    d.present = false;
    EXPECT_FALSE(d.keeper.start());
    d.present = true;
    d.keeper.service(5000);
    EXPECT_EQ(d.opens, 1);
    EXPECT_FALSE(d.keeper.isOpen());
}

// A device that plays the buffers written to it, hands them back when told, and
// refuses writes when told.
struct FakeBufferDevice {
    bool refuses = false;
    std::vector<int> written;             // every buffer written, in order
    bool done[DeviceBuffers::count] = {}; // handed back
    std::function<bool(int)> write = [this](int i) {
        if (refuses) return false;
        written.push_back(i);
        done[i] = false;
        return true;
    };
    std::function<bool(int)> returned = [this](int i) { return done[i]; };
};

TEST(DeviceBuffersTest, ARefusedBufferIsNeverWaitedForAndAStalledDeviceIsSeen) {
    FakeBufferDevice device;
    DeviceBuffers buffers;
    buffers.reset(0);
    buffers.feed(0, device.write, device.returned);
    EXPECT_EQ(device.written, (std::vector<int>{0, 1, 2, 3}));
    buffers.feed(5, device.write, device.returned); // all held: nothing to do, no wait
    EXPECT_EQ(device.written.size(), 4u);

    // Handed back in order: refilled in order.
    device.done[0] = device.done[1] = true;
    buffers.feed(10, device.write, device.returned);
    EXPECT_EQ(device.written, (std::vector<int>{0, 1, 2, 3, 0, 1}));
    EXPECT_TRUE(buffers.playing(10));

    // A refused buffer: the device no longer plays, and feeding returns at once.
    device.done[2] = true;
    device.refuses = true;
    buffers.feed(20, device.write, device.returned);
    EXPECT_FALSE(buffers.playing(20));
    buffers.feed(30, device.write, device.returned);
    EXPECT_EQ(device.written.size(), 6u);

    // A new device: every buffer is written afresh, from the first.
    device.refuses = false;
    buffers.reset(40);
    buffers.feed(40, device.write, device.returned);
    EXPECT_EQ(device.written.size(), 10u);
    EXPECT_EQ(device.written[6], 0);
    EXPECT_TRUE(buffers.playing(40));

    // Buffers held and none handed back: playing until the stall time, then not.
    EXPECT_TRUE(buffers.playing(40 + DeviceBuffers::stalledMilliseconds - 1));
    EXPECT_FALSE(buffers.playing(40 + DeviceBuffers::stalledMilliseconds));
}

class SetVolumeTest : public CommandTest {};

TEST_F(SetVolumeTest, TakesZeroToOneHundredAndIgnoresEverythingElse) {
    startGame();
    struct Case {
        const char* line;
        int volume;
    };
    const Case cases[] = {
        {"SET VOLUME 40", 40},   {"set volume 0", 0},
        {"SET VOLUME 100", 100}, {"SET VOLUME 101", 100},
        {"SET VOLUME -1", 100},  {"SET VOLUME LOUD", 100},
        {"SET VOLUME", 100},     {"SET VOLUME 0.0", 100},
        {"SET VOLUME 55.9", 55}, {"SET VOLUME 99999999999999", 55},
    };
    EXPECT_EQ(soundVolume(), defaultSoundVolume);
    for (const Case& c : cases) {
        run(c.line);
        EXPECT_EQ(soundVolume(), c.volume) << c.line;
    }
    run({"SET VOLUME 20", "RESTART"});
    EXPECT_EQ(soundVolume(), 20);
    run("RESET");
    EXPECT_EQ(soundVolume(), 20);
}

} // namespace
