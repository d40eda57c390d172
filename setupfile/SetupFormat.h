#pragma once
// The setup file: one sensor's user settings as "key=value" lines, so a setup can be kept,
// carried to another sensor and brought back. Line 1 is a header (the file's path and the
// program's version); lines 2..28 hold 27 values in a fixed order; line 29, the user maximum
// range, is written only for the maximum-range models. The reader goes by line position alone
// and never looks at the keys, so a file whose keys were misspelt still reads.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k7 {

struct SetupValues {
    // Stored distances (1/128 inch): Dist04, Dist20, CloseSetPoint, FarSetPoint, UserMaxRange.
    std::array<std::int32_t, 5> stored{};
    bool hasUserMaxRange = false;  // line 29
    // List positions, -1 when nothing was selected.
    int OutputSpan = -1;
    int NoTargetCurrent = -1;
    int cbMidMinLL = -1;
    int cbMidMaxLL = -1;
    int TriggerMode = -1;
    int AverageType = -1;
    int AverageSamples = -1;
    // Toggle fields ("ON" or "OFF") and typed fields, as the screen shows them.
    std::string CloseMinLL, FarMinLL, NoEchoMinLL;
    std::string CloseMaxLL, FarMaxLL, NoEchoMaxLL;
    std::string TargLL;
    std::string Hysteresis1;
    std::string SampleRate1;
    std::string TriggerDelay;
    std::string NoEchoTimeout;
    std::string UserDescription;
    int temperatureCompensation = 0;  // the flag, 0..255: 0 automatic, anything else preset
    double presetTemperatureC = 20;
};

// Value lines a file holds for a sensor type: 28 for the maximum-range models, else 27.
int setupValueLineCount(int sensorType);

// The file's text (UTF-8, every line ended by CR LF); headerPath is the path the header names.
std::string setupFileText(const std::string& headerPath, const SetupValues& v);

// The values of lines 2..valueLines+1 (header skipped, later lines not read). Nothing when the
// file cannot be interpreted: too few lines, a value line without "=", or a number that does
// not fit its setting (a distance beyond a 32-bit count, a list code beyond 16 bits, a flag
// beyond a byte, a temperature that is no finite number). A value without a leading number
// reads as 0.
std::optional<SetupValues> parseSetupLines(const std::vector<std::string>& lines, int valueLines);

// A setup as the change history keeps it: the file's text, its header naming the history.
std::string setupRecordText(const SetupValues& v);
// The values of such a text for a sensor of the type (parseSetupLines, then
// setupFitsSensor); nothing when it cannot be interpreted.
std::optional<SetupValues> setupFromRecordText(const std::string& text, int sensorType);

// Whether the values can stand on the screen of a sensor of this type: every list code within
// its list (the average samples within the list of the file's own average type; the lists a
// G615 does not have may be empty) and every toggle exactly "ON" or "OFF".
bool setupFitsSensor(const SetupValues& v, int sensorType);

// "The file "<path>" cannot be interpreted. It may not be an K-7700 setup file, or it may have
// been corrupted."
std::string notInterpretableMessage(const std::string& path);

}  // namespace k7
