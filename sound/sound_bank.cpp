// What every effect sounds like, and the synthesiser that turns that description
// into samples at start-up.
#include "sound/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <string_view>

namespace {

// The effects, one line per layer; the layers of an effect are mixed together.
//   effect wave from-Hz to-Hz delay-ms attack-ms length-ms level
// wave is sine, triangle or noise (white noise through a low-pass filter whose
// cutoff sweeps from-Hz to to-Hz). A pitch sweeps evenly in octaves from from-Hz to
// to-Hz over the length. The envelope rises in a straight line over the attack and
// then falls to silence by the end of the length, steeply at first. The level is a
// fraction of full scale at the peak, before the volume.
//
// Everything is short (a tenth of a second or so, the death half a second), soft
// in attack and quiet enough that a dozen effects at once stay clear of each other
// and of full scale. The sword charge gives one blip per charge point, its pitch
// climbing from from-Hz at the first point to to-Hz at full charge. The catches
// of the hook wait 60 ms, so that the throw is heard first.
constexpr std::string_view soundDescription = R"(
shot           noise     9000  1500    0   1   80  0.30
shot           sine       180    60    0   2   60  0.30
hit-head       triangle  1500   900    0   1   70  0.22
hit-head       noise     6000  3000    0   1   25  0.15
hit-body       sine       320   130    0   2  100  0.32
hit-body       noise     2500   600    0   1   40  0.15
hit-legs       sine       170    90    0   3   90  0.30
charge         triangle   300  1200    0   4   45  0.12
strike         noise      700  3500    0  50  160  0.22
sword-hit      triangle   880   860    0   1  220  0.18
sword-hit      sine      2370  2300    0   1  160  0.10
sword-hit      noise     4000  1000    0   1   40  0.20
hook-thrown    sine       500  1400    0   5   90  0.14
hook-opponent  sine       240   110   60   2   80  0.28
hook-opponent  noise     2000   500   60   1   30  0.12
hook-edge      triangle  1900  1800   60   1   70  0.16
hook-dropped   sine       900   300    0   3   80  0.12
jump           sine       260   520    0   5  110  0.14
death          triangle   440   110    0  10  600  0.25
death          noise     1200   200    0   5  250  0.15
)";

// The names of the description, in the order of SoundEffect.
constexpr std::string_view effectNames[soundEffectCount] = {
    "shot",        "hit-head",      "hit-body",  "hit-legs",     "charge", "strike", "sword-hit",
    "hook-thrown", "hook-opponent", "hook-edge", "hook-dropped", "jump",   "death",
};

enum class Wave { Sine, Triangle, Noise };

struct Layer {
    int effect;
    Wave wave;
    double fromHz, toHz, delayMs, attackMs, lengthMs, level;
};

// The lines of the description; a line that does not read is left out.
std::vector<Layer> parseDescription() {
    std::vector<Layer> layers;
    std::istringstream lines{std::string(soundDescription)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, wave;
        Layer layer{};
        if (!(fields >> name >> wave >> layer.fromHz >> layer.toHz >> layer.delayMs >>
              layer.attackMs >> layer.lengthMs >> layer.level))
            continue;
        const auto named = std::find(std::begin(effectNames), std::end(effectNames), name);
        if (named == std::end(effectNames)) continue;
        layer.effect = static_cast<int>(named - std::begin(effectNames));
        if (wave == "sine")
            layer.wave = Wave::Sine;
        else if (wave == "triangle")
            layer.wave = Wave::Triangle;
        else if (wave == "noise")
            layer.wave = Wave::Noise;
        else
            continue;
        layers.push_back(layer);
    }
    return layers;
}

// Adds one layer to `out` (grown as needed), sweeping from `fromHz` to `toHz`.
void render(const Layer& layer, double fromHz, double toHz, int sampleRate,
            std::vector<float>& out) {
    const auto samplesOf = [&](double ms) {
        return static_cast<std::size_t>(std::max(0.0, ms) * sampleRate / 1000.0);
    };
    const std::size_t delay = samplesOf(layer.delayMs);
    const std::size_t length = std::max<std::size_t>(1, samplesOf(layer.lengthMs));
    const std::size_t attack = std::min(length, samplesOf(layer.attackMs));
    if (out.size() < delay + length) out.resize(delay + length, 0.0f);

    double phase = 0.0;                // in cycles
    double filtered = 0.0;             // the noise's low-pass state
    std::uint32_t noise = 0x2545F491u; // the same noise every run
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(length);
        const double hz = fromHz * std::pow(toHz / fromHz, t);
        double value;
        switch (layer.wave) {
        case Wave::Sine:
            value = std::sin(2.0 * std::numbers::pi * phase);
            break;
        case Wave::Triangle:
            value = 4.0 * std::fabs(phase - std::floor(phase + 0.5)) - 1.0;
            break;
        case Wave::Noise:
        default: {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
            const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * hz / sampleRate);
            filtered += a * (white - filtered);
            value = filtered;
            break;
        }
        }
        phase += hz / sampleRate;
        phase -= std::floor(phase);

        double envelope;
        if (i < attack) {
            envelope = static_cast<double>(i + 1) / static_cast<double>(attack);
        } else {
            const double fall = static_cast<double>(i - attack) /
                                static_cast<double>(std::max<std::size_t>(1, length - attack));
            envelope = (1.0 - fall) * (1.0 - fall);
        }
        out[delay + i] += static_cast<float>(value * envelope * layer.level);
    }
}

std::vector<std::int16_t> toSamples(const std::vector<float>& mixed) {
    std::vector<std::int16_t> samples(mixed.size());
    for (std::size_t i = 0; i < mixed.size(); ++i) {
        const float v = std::clamp(mixed[i], -1.0f, 1.0f);
        samples[i] = static_cast<std::int16_t>(std::lround(v * 32767.0f));
    }
    return samples;
}

} // namespace

const std::vector<std::int16_t>* SoundBank::find(const SoundEvent& event) const {
    const int effect = static_cast<int>(event.effect);
    if (effect < 0 || effect >= soundEffectCount) return nullptr;
    if (event.effect == SoundEffect::SwordCharge) {
        const int level = std::clamp<int>(event.level, 1, chargeLevels);
        return &chargeBlips[level - 1];
    }
    return &effects[effect];
}

SoundBank SoundBank::synthesise(int sampleRate) {
    SoundBank bank;
    std::vector<float> mixed[soundEffectCount];
    std::vector<float> charge[chargeLevels];
    for (const Layer& layer : parseDescription()) {
        if (layer.fromHz <= 0.0 || layer.toHz <= 0.0) continue;
        if (layer.effect == static_cast<int>(SoundEffect::SwordCharge)) {
            for (int level = 0; level < chargeLevels; ++level) {
                const double hz =
                    layer.fromHz * std::pow(layer.toHz / layer.fromHz,
                                            static_cast<double>(level) / (chargeLevels - 1));
                render(layer, hz, hz * 1.05, sampleRate, charge[level]);
            }
        } else {
            render(layer, layer.fromHz, layer.toHz, sampleRate, mixed[layer.effect]);
        }
    }
    for (int e = 0; e < soundEffectCount; ++e) bank.effects[e] = toSamples(mixed[e]);
    for (int level = 0; level < chargeLevels; ++level)
        bank.chargeBlips[level] = toSamples(charge[level]);
    return bank;
}
