#include "sim/RamImage.h"

namespace k7::sim {

std::vector<std::uint8_t> ramImage(const Eeprom& eeprom, int activeTag, int restartCount) {
    std::vector<std::uint8_t> ram(kRamBytes);
    for (int i = 0; i < kRamBytes; ++i) {
        ram[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 73 + 19) & 0xFF);
    }
    ram[0x10] = static_cast<std::uint8_t>(activeTag);
    ram[0x11] = static_cast<std::uint8_t>(restartCount & 0xFF);
    for (int i = 0; i < kEepromSize; ++i) {
        ram[static_cast<std::size_t>(0x80 + i)] = eeprom[static_cast<std::size_t>(i)];
    }
    return ram;
}

}  // namespace k7::sim
