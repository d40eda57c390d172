#include "sim/SensorTypes.h"

#include <array>

namespace k7::sim {
namespace {

// Factory settings sit well inside each range and keep the far setpoint, less 5 %
// hysteresis, clear of the close one.
constexpr std::array<TypeProfile, 8> kProfiles{{
    {220, 4, 40, 100, 6, 36, 12, 30, 40},      // 0: 220 kHz 8 degree beam
    {92, 12, 240, 20, 18, 216, 48, 180, 240},  // 1: 95 kHz 8 degree beam
    {220, 4, 80, 100, 6, 72, 20, 60, 80},      // 2: 220 kHz extended range
    {92, 5, 120, 50, 10, 100, 20, 50, 60},     // 3: G503/317
    {92, 10, 120, 50, 12, 100, 24, 96, 120},   // 4: G615
    {220, 4, 80, 100, 6, 72, 20, 60, 80},      // 5: Velkor custom
    {60, 12, 240, 20, 18, 216, 48, 180, 240},  // 6: 60 kHz 24 degree beam
    {220, 2, 20, 100, 3, 18, 6, 15, 20},       // 7: K7702
}};

}  // namespace

const TypeProfile& typeProfile(int type) {
    if (type < 0 || type >= static_cast<int>(kProfiles.size())) type = 0;
    return kProfiles[static_cast<std::size_t>(type)];
}

int acousticSampleCount(int type) {
    return typeProfile(type).frequencyClass == 92 ? 1600 : 320;
}

std::int64_t restartSilenceUs(int type) {
    // Up again a little before the host's 1.5 s (3 s) wait after the restart ends, counted
    // from the restart frame's arrival, so the first request after the wait is heard.
    return type == 4 ? 2'980'000 : 1'480'000;
}

bool hasUserMaxRange(int type) {
    return type == 3 || type == 4;
}

}  // namespace k7::sim
