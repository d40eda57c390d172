#pragma once
// The main screen's setting fields as plain values: what the settings read fills in, what
// validation checks and what programming writes. The main window copies them to and from its
// widgets; everything that works on them stays free of the toolkit.
#include <array>
#include <string>

namespace k7 {

struct ScreenValues {
    std::string SingleSensorID;
    // The five distance fields' texts as shown (Dist04, Dist20, CloseSetPoint, FarSetPoint,
    // UserMaxRange); their numeric state lives in ProgramState::dist.
    std::array<std::string, 5> DistText;
    // List positions, -1 when nothing is selected.
    int OutputSpan = -1;
    int NoTargetCurrent = -1;
    int AverageType = -1;
    int AverageSamples = -1;
    int TriggerMode = -1;
    int cbMidMinLL = -1;
    int cbMidMaxLL = -1;
    // Toggle fields: "ON" or "OFF".
    std::string CloseMinLL, FarMinLL, NoEchoMinLL;
    std::string CloseMaxLL, FarMaxLL, NoEchoMaxLL;
    std::string TargLL;
    // Typed fields.
    std::string Hysteresis1;
    std::string SampleRate1;
    std::string NoEchoTimeout;
    std::string TriggerDelay;
    std::string ManualTemperature;
    std::string UserDescription;
    // Readings the settings read sets.
    std::string SerialNumber;
    std::string FactoryDescription;
};

// The list positions a settings read recorded; edit mode starts when a list moves off them.
struct StoredListPositions {
    int OutputSpan = -1;
    int NoTargetCurrent = -1;
    int AverageType = -1;
    int AverageSamples = -1;
    int TriggerMode = -1;
    int cbMidMinLL = -1;
    int cbMidMaxLL = -1;
};

}  // namespace k7
