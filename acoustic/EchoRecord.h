#pragma once
// One acoustic record as the display shows it and the data file keeps it: the samples, the
// sensor's serial number, the air temperature, the gain of the record and the user's comments.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k7 {

enum class Gain { Switching, Low, High };

// "Switching Gain (Normal)", "Low Gain", "High Gain".
const char* gainCaption(Gain gain);

// Samples in one record: 1600 for the 95 kHz class (92), 320 otherwise.
inline int sampleCountFor(int sensorClass) {
    return sensorClass == 92 ? 1600 : 320;
}

struct EchoRecord {
    std::vector<std::uint8_t> samples;   // 320 or 1600, each 0..255
    std::string serialNumber;            // as shown, without blanks around it
    std::optional<double> temperatureC;  // nullopt: no temperature measured (unknown)
    std::string gainCaption;             // as shown, or as written in a recalled file
    std::string comments;                // lines separated by "\n"
    std::string date;                    // when it was captured (or saved), for exports
};

}  // namespace k7
