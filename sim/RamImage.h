#pragma once
// The 512 bytes the sensor sends for a RAM dump (command 120).
#include <cstdint>
#include <vector>

#include "sim/Eeprom.h"

namespace k7::sim {

inline constexpr int kRamBytes = 512;

// Deterministic: a register block, the EEPROM shadow at 0x080 and a fixed fill elsewhere.
std::vector<std::uint8_t> ramImage(const Eeprom& eeprom, int activeTag, int restartCount);

}  // namespace k7::sim
