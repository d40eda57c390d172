#pragma once
// The five detection thresholds a sensor offers, by the code it keeps in EEPROM cell 30. The
// sensitivity tool changes the code; the acoustic plot draws the threshold line from it.
#include <array>
#include <optional>
#include <string>

namespace k7 {

inline constexpr int kThresholdCell = 30;

struct ThresholdEntry {
    const char* label;  // volts, as shown ("2.0")
    int code;           // the value in cell 30
    const char* captionTail;
};

inline constexpr std::array<ThresholdEntry, 5> kThresholds{{
    {"1.7", 3, " Volt Threshold (Most Sensitive)"},
    {"2.0", 5, " Volt Threshold (Default)"},
    {"2.5", 8, " Volt Threshold"},
    {"3.0", 11, " Volt Threshold"},
    {"3.5", 14, " Volt Threshold (Least Sensitive)"},
}};

// The table index of a code, or nullopt for a code that is none of the five.
inline std::optional<int> thresholdIndexOfCode(int code) {
    for (std::size_t i = 0; i < kThresholds.size(); ++i) {
        if (kThresholds[i].code == code) return static_cast<int>(i);
    }
    return std::nullopt;
}

// "2.0 Volt Threshold (Default)" and the like.
inline std::string thresholdCaption(int index) {
    const ThresholdEntry& e = kThresholds.at(static_cast<std::size_t>(index));
    return std::string(e.label) + e.captionTail;
}

}  // namespace k7
