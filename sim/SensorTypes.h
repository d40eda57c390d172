#pragma once
// What differs between the sensor models: frequency class, range, sample rate, restart time
// and the user settings they leave the factory with.
#include <cstdint>

namespace k7::sim {

struct TypeProfile {
    int frequencyClass;  // 220, 92 or 60
    double minInches;
    double maxInches;
    int maxSampleRate;  // samples per second
    // Factory user settings, inches.
    double dist04;
    double dist20;
    double closeSetpoint;
    double farSetpoint;
    double userMaxRange;
};

// Codes above 7 are answered as given but otherwise behave like type 0.
const TypeProfile& typeProfile(int type);

// Samples in one acoustic record: five times more for the 95 kHz family.
int acousticSampleCount(int type);

// How long a restart keeps the sensor deaf; the G615 (type 4) takes twice as long.
std::int64_t restartSilenceUs(int type);

// Types 3 and 4 have no trigger mode and no temperature compensation settings.
bool hasUserMaxRange(int type);

}  // namespace k7::sim
