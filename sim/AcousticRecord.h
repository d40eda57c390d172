#pragma once
// The raw detector samples the sensor streams in display mode (command 100), and the
// gain-switch position it reports (command 101).
#include <cstdint>
#include <optional>
#include <vector>

namespace k7::sim {

// What a record holds besides the target's echo, chosen per sensor (tests, --scene). Heights
// are counts above the noise floor at low gain; high gain makes everything 2.5 times larger.
struct EchoShape {
    std::optional<double> amplitude;        // the target's echo; nullopt: weaker the further it is
    std::optional<double> falseEchoInches;  // a fixed reflector: a strut, build-up on the face
    double falseEchoHeight = 100;
    double multiple = 0;  // the second bounce at twice the target's distance, this fraction of
                          // the target's height; 0: none
    double noise = 4;     // the floor's spread, ± counts
    // How far the transmit burst rings above the default threshold (103); nullopt: about an
    // inch of a short record.
    std::optional<double> ringdownInches;
};

struct AcousticScene {
    int sampleCount = 320;
    std::optional<double> targetInches;  // nullopt: no echo in the record
    double celsius = 20;
    bool highGain = false;
    std::uint32_t noiseSeed = 0;  // the same seed gives the same record
    EchoShape shape;
};

// Ring-down at the start, a noise floor, and echo pulses where the target's echo, its
// multiple and a false echo fall; high gain is about two and a half times low gain, clipped
// at 255.
std::vector<std::uint8_t> acousticRecord(const AcousticScene& scene);

// The word the sensor answers to 101 so that the host's reading of it,
// floor((w / 5 − 50) / 24.5 + 0.5) + 1 with w taken four times for class 92, gives `sample`.
int gainSwitchWord(int sample, int frequencyClass);

}  // namespace k7::sim
