#pragma once
// The EEPROM cells of the user settings and the serial number, as the settings read, the
// line overview and the command-line tool address them.
namespace k7 {

namespace addr {
inline constexpr int SerialHigh = 2, SerialMid = 3, SerialLow = 4;
inline constexpr int Description = 46, DescriptionLength = 32;
inline constexpr int OutputSpan = 78, Dist04 = 79, Dist20 = 81, NoTargetCurrent = 83;
inline constexpr int CloseSetPoint = 84, FarSetPoint = 86, LevelsA = 88, LevelsB = 89;
inline constexpr int Hysteresis = 90, TargetIndication = 91, AverageSamples = 93;
inline constexpr int AverageType = 94, NoEchoTimeout = 95, TriggerMode = 101;
inline constexpr int TriggerDelay = 102, TemperatureCompensation = 103;
inline constexpr int PresetTemperature = 104, MidZoneHold = 105, UserMaxRange = 114;
inline constexpr int SampleRate = 117;
}  // namespace addr

}  // namespace k7
