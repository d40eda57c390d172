#pragma once
// The raw detector samples the sensor streams in display mode (command 100), and the
// gain-switch position it reports (command 101).
#include <cstdint>
#include <optional>
#include <vector>

namespace k7::sim {

struct AcousticScene {
    int sampleCount = 320;
    std::optional<double> targetInches;  // nullopt: no echo in the record
    double celsius = 20;
    bool highGain = false;
    std::uint32_t noiseSeed = 0;  // the same seed gives the same record
};

// Ring-down at the start, a noise floor, and an echo pulse where the target's echo falls;
// high gain is about two and a half times low gain, clipped at 255.
std::vector<std::uint8_t> acousticRecord(const AcousticScene& scene);

// The word the sensor answers to 101 so that the host's reading of it,
// floor((w / 5 − 50) / 24.5 + 0.5) + 1 with w taken four times for class 92, gives `sample`.
int gainSwitchWord(int sample, int frequencyClass);

}  // namespace k7::sim
