#pragma once
// The fixed selection lists and text tables of the main screen; a list position is the code
// the sensor stores.
#include <array>

namespace k7 {

inline constexpr std::array<const char*, 2> kOutputSpanEntries = {"0-20 mA", "4-20 mA"};
inline constexpr std::array<const char*, 5> kNoTargetCurrentEntries = {"0.0", "3.5", "4.0", "20.0",
                                                                       "20.5"};
inline constexpr std::array<const char*, 2> kAverageTypeEntries = {"Rolling", "Boxcar"};
// Entry k is 2^k; the list holds 6 entries for rolling averages and 11 for boxcar.
inline constexpr std::array<const char*, 11> kAverageSamplesEntries = {
    "1", "2", "4", "8", "16", "32", "64", "128", "256", "512", "1024"};
inline constexpr std::array<const char*, 5> kTriggerModeEntries = {
    "Internal", "Internal w/trig out", "External", "External w/delay", "Manual"};
inline constexpr std::array<const char*, 3> kMidZoneEntries = {"OFF", "ON", "No Change"};
inline constexpr int kMidZoneNoChange = 2;

inline constexpr std::array<const char*, 4> kHysteresisCaption = {
    "Hysteresis for OUTPUT A and OUTPUT B:", "Hysteresis for OUTPUT B:", "Hysteresis for OUTPUT A:",
    ""};
inline constexpr std::array<const char*, 2> kTemperatureCompensationName = {"Automatic", "Preset"};
inline constexpr std::array<const char*, 2> kLowCurrentCaption = {"&0 mA Distance:",
                                                                  "&4 mA Distance:"};

// The list settings as messages name them.
inline constexpr const char* kOutputSpanName = "OUTPUT Span";
inline constexpr const char* kNoTargetCurrentName = "No Echo OUTPUT Current";
inline constexpr const char* kAverageTypeName = "Average type";
inline constexpr const char* kAverageSamplesName = "Average";
inline constexpr const char* kTriggerModeName = "Trigger Mode";
inline constexpr const char* kMidMinName = "Setpoint OUTPUT A Mid Zone";
inline constexpr const char* kMidMaxName = "Setpoint OUTPUT B Mid Zone";

// The main screen's groups of settings, by their titles.
inline constexpr const char* kCurrentLoopGroup = "CURRENT LOOP OUTPUT SETTINGS";
inline constexpr const char* kMaxRangeGroup = "MAXIMUM RANGE";
inline constexpr const char* kSetpointGroup = "SETPOINT OUTPUT SETTINGS";
inline constexpr const char* kSamplingGroup = "SAMPLING SETTINGS";
inline constexpr const char* kEchoGroup = "ECHO STATUS OUTPUT SETTINGS";

inline constexpr const char* kOn = "ON";
inline constexpr const char* kOff = "OFF";

}  // namespace k7
