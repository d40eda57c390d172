#pragma once
// The command codes the program sends to a sensor, and the firmware's unlock codes.
#include <cstdint>

namespace k7 {

namespace cmd {
inline constexpr int ManualTrigger = 1;
inline constexpr int Status = 2;
inline constexpr int RaisePoint2 = 29, LowerPoint2 = 30;
inline constexpr int RaisePoint3 = 31, LowerPoint3 = 32;
inline constexpr int RaisePoint4 = 33, LowerPoint4 = 34;
inline constexpr int RaisePoint1 = 38, LowerPoint1 = 39;
inline constexpr int AcousticData = 100;
inline constexpr int GainSwitch = 101;
inline constexpr int WriteEeprom = 103;
inline constexpr int ReadEeprom = 104;
inline constexpr int TempCalUp = 106, TempCalDown = 107;
inline constexpr int TemperatureReading = 112;
inline constexpr int DrivePoint1 = 113, DrivePoint2 = 114, DrivePoint3 = 115, DrivePoint4 = 116;
inline constexpr int DistanceCal = 117;
inline constexpr int Restart = 119;
inline constexpr int RamDump = 120;
inline constexpr int CurrentCalMode = 121;
inline constexpr int FirmwareVersion = 122;
inline constexpr int SensorType = 123;
inline constexpr int ResetFaults = 125;
inline constexpr int Unlock = 126;
}  // namespace cmd

// True for every code of the command table; anything else is never put on the line.
bool isAcceptedCommand(int code);

// Unlock codes of command 126, as the sensor firmware defines them: one for cells below 20,
// one for cells 20..29.
inline constexpr std::uint8_t kUnlockLowRegion = 0xA5;
inline constexpr std::uint8_t kUnlockMiddleRegion = 0x5A;

// The two raw streams that are not six-byte frames.
inline constexpr int kRamDumpBytes = 512;

}  // namespace k7
