#pragma once
// Reading EEPROM cells and writing protected ones, as the service tools do it.
#include <cstdint>
#include <optional>

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

enum class UnlockRegion { Low, Middle };  // cells below 20; cells 20..29

// Command 126 with the region's unlock code. The write parameter block keeps its address.
void sendUnlock(Link& link, UnlockRegion region);

// Both unlock codes, then the verified write of one cell: true when it read back `value`.
// The pair goes out once per cell, not once per attempt.
bool WriteEECell(Link& link, int address, int value);

}  // namespace k7
