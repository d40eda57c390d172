#pragma once
// The sensor's 128-byte EEPROM and the cells the firmware model gives a meaning to. 16-bit
// values are big-endian: the high byte sits at the lower address.
#include <array>
#include <cstdint>

namespace k7::sim {

inline constexpr int kEepromSize = 128;
using Eeprom = std::array<std::uint8_t, kEepromSize>;

// Cells below 20 need the low unlock, 20..29 the middle unlock; from 30 on writes are free.
inline constexpr int kMiddleRegionStart = 20;
inline constexpr int kFreeRegionStart = 30;

namespace cell {
// Factory identity and calibration (protected region).
inline constexpr int Serial = 2;  // 2..4, 24 bits
inline constexpr int ErrorEnables = 5;
inline constexpr int DistanceCal = 6;          // 6/7, signed, in 0.2 µs echo-timer ticks
inline constexpr int Reference20mA = 8;        // 8/9, DAC value of the 20 mA point
inline constexpr int TemperatureCal = 10;      // half degrees, 128 = no correction
inline constexpr int GainSwitchDelay = 11;     // inches
inline constexpr int CloseTargetDelay = 12;    // 25 µs units
inline constexpr int Lockout = 13;             // half inches
inline constexpr int UserTemperatureCal = 20;  // signed half degrees
inline constexpr int Threshold = 30;           // detection threshold code
// User settings.
inline constexpr int Tag = 45;
inline constexpr int Description = 46;  // 46..77
inline constexpr int DescriptionLength = 32;
inline constexpr int OutputSpan = 78;
inline constexpr int Dist04 = 79;
inline constexpr int Dist20 = 81;
inline constexpr int NoTargetCurrent = 83;
inline constexpr int CloseSetpoint = 84;
inline constexpr int FarSetpoint = 86;
inline constexpr int LevelsA = 88;  // bit 0 no echo, 1 far, 2 mid, 3 close
inline constexpr int LevelsB = 89;
inline constexpr int Hysteresis = 90;
inline constexpr int TargetIndication = 91;  // bit 0 set: output off while an echo is seen
inline constexpr int AverageSamples = 93;
inline constexpr int AverageType = 94;
inline constexpr int NoEchoTimeout = 95;
inline constexpr int TriggerMode = 101;
inline constexpr int TriggerDelay = 102;
inline constexpr int TemperatureCompensation = 103;  // bit 0: preset temperature
inline constexpr int PresetTemperature = 104;        // (°C + 50) × 2
inline constexpr int MidZoneHold = 105;              // bit 0 output A, bit 1 output B
inline constexpr int CalPoint2 = 106;                // 4.0 mA
inline constexpr int CalPoint3 = 108;                // 20.0 mA
inline constexpr int CalPoint4 = 110;                // 20.5 mA
inline constexpr int UserMaxRange = 114;
inline constexpr int SampleRate = 117;  // samples per second × 10
inline constexpr int CalPoint1 = 126;   // 3.5 mA
}  // namespace cell

inline int eepromWord(const Eeprom& e, int address) {
    return e[static_cast<std::size_t>(address)] * 256 + e[static_cast<std::size_t>(address + 1)];
}

inline void setEepromWord(Eeprom& e, int address, int value) {
    e[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    e[static_cast<std::size_t>(address + 1)] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace k7::sim
