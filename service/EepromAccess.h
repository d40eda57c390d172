#pragma once
// Reading EEPROM cells and writing protected ones, as the service tools do it.
#include <cstdint>
#include <optional>
#include <span>

#include "link/Link.h"

namespace k7 {

// A reply to command 104: the cell at the address and the one after it.
struct CellPair {
    std::uint8_t cell = 0;
    std::uint8_t next = 0;
    int word() const { return 256 * cell + next; }  // high byte at the lower address
};

// Reads `address` and the cell after it; nullopt when no reply came (the link has said why)
// or the line is held by another exchange.
std::optional<CellPair> readEeprom(Link& link, int address);

// One cell and the value that goes into it.
struct CellValue {
    int cell;
    int value;
    bool operator==(const CellValue&) const = default;
};

enum class UnlockRegion { Low, Middle };  // cells below 20; cells 20..29

// Command 126 with the region's unlock code. The write parameter block keeps its address.
void sendUnlock(Link& link, UnlockRegion region);

// Both unlock codes, then the verified write of one cell: true when it read back `value`.
// The pair goes out once per cell, not once per attempt.
bool writeEepromCell(Link& link, int address, int value);

// Verified writes of `cells` in order (each after the unlock pair when `unlockEach`). Stops at
// the first cell that does not read back its value, so the cells of one value are not left
// holding parts of two values where that can be helped: returns that cell, or nullopt when
// every cell took its value. The caller holds the line.
std::optional<int> writeCellsInOrder(Link& link, std::span<const CellValue> cells, bool unlockEach);

}  // namespace k7
