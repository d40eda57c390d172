#pragma once
// The EEPROM a sensor leaves the factory with.
#include <cstdint>

#include "sim/Eeprom.h"

namespace k7::sim {

inline constexpr int kFactoryReference20mA = 4000;
inline constexpr int kFactoryDistanceCal = 150;  // matches the echo timer's built-in offset
inline constexpr int kFactoryTemperatureCal = 128;
inline constexpr int kFactoryThresholdCode = 5;  // 2.0 V

// High cell of ring-time row 0..13 (G615 only): rows 0..11 run from cell 21 in pairs, rows 12
// and 13 use the free pairs at 16 and 18.
int ringTimeCell(int row);

// The four current-loop points as the restore command of the calibration tool derives them
// from the 20 mA reference, so a restore on a fresh sensor changes nothing.
struct CurrentLoopPoints {
    int p35;   // 3.5 mA, cells 126/127
    int p40;   // 4.0 mA, cells 106/107
    int p200;  // 20.0 mA, cells 108/109
    int p205;  // 20.5 mA, cells 110/111
};
CurrentLoopPoints currentLoopPoints(int reference20mA);

// Types above 7 get type 0's image.
Eeprom factoryImage(int type, int tag, std::uint32_t serial);

}  // namespace k7::sim
