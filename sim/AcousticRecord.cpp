#include "sim/AcousticRecord.h"

#include <algorithm>
#include <cmath>

#include "sim/Physics.h"

namespace k7::sim {
namespace {

// A small deterministic generator: the record must repeat exactly for a given seed.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    double next() {  // -1 .. 1
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

}  // namespace

std::vector<std::uint8_t> acousticRecord(const AcousticScene& scene) {
    const int n = std::max(scene.sampleCount, 1);
    const EchoShape& shape = scene.shape;
    const double gain = scene.highGain ? 2.5 : 1.0;
    const double floorLevel = scene.highGain ? 45 : 20;
    const double floorSpread = gain * shape.noise;
    const double ringPeak = scene.highGain ? 400 : 210;
    // The host plots sample k (from 1) at k record periods / n: index k - 1 here.
    auto indexAt = [&](double inches) { return sampleAtDistance(inches, scene.celsius, n) - 1; };
    // The ringing decays from its peak to the default threshold's excess over the low-gain
    // floor (83 counts) where it is asked to end.
    const double ringTau =
        shape.ringdownInches ? std::max(indexAt(*shape.ringdownInches), 0.5) / std::log(210.0 / 83)
                             : n * 0.02;
    const double width = n / 160.0;

    struct Pulse {
        double at;
        double height;
    };
    std::vector<Pulse> pulses;
    if (scene.targetInches) {
        const double at = indexAt(*scene.targetInches);
        // Further targets give weaker echoes.
        const double height = gain * shape.amplitude.value_or(150 * std::exp(-at / (1.5 * n)));
        pulses.push_back({at, height});
        // The second bounce: sensor, target, sensor face, target, sensor.
        if (shape.multiple > 0) pulses.push_back({2 * (at + 1) - 1, shape.multiple * height});
    }
    if (shape.falseEchoInches) {
        pulses.push_back({indexAt(*shape.falseEchoInches), gain * shape.falseEchoHeight});
    }

    Noise noise(scene.noiseSeed);
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        double v = floorLevel + floorSpread * noise.next();
        v += ringPeak * std::exp(-k / ringTau);
        for (const Pulse& p : pulses) {
            const double z = (k - p.at) / width;
            v += p.height * std::exp(-z * z / 2);
        }
        samples[static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
    return samples;
}

int gainSwitchWord(int sample, int frequencyClass) {
    // Aim at the middle of the band that the host's rounding maps to `sample`.
    const double w = 5 * (24.5 * (std::max(sample, 1) - 1) + 50);
    const double perUnit = frequencyClass == 92 ? 4 : 1;
    return static_cast<int>(std::clamp(std::lround(w / perUnit), 0L, 65535L));
}

}  // namespace k7::sim
