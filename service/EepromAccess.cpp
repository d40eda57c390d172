#include "service/EepromAccess.h"

#include <string>
#include <utility>

#include "link/Commands.h"

namespace k7 {

std::optional<CellPair> readEeprom(Link& link, int address) {
    link.eepromReadAddress = static_cast<std::uint8_t>(address);
    if (!link.exchange(cmd::ReadEeprom) || link.programEnding) return std::nullopt;
    return CellPair{link.dataByte(1), link.dataByte(2)};
}

void sendUnlock(Link& link, UnlockRegion region) {
    // The link picks the code of 126 from the address in the parameter block; name one inside
    // the region, so the code sent never depends on what the last writer left there.
    std::string kept =
        std::exchange(link.writeEepromAddress, region == UnlockRegion::Low ? "0" : "20");
    link.sendRequest(cmd::Unlock);
    link.writeEepromAddress = std::move(kept);
}

bool writeEepromCell(Link& link, int address, int value) {
    sendUnlock(link, UnlockRegion::Low);
    sendUnlock(link, UnlockRegion::Middle);
    return link.writeCell(address, value);
}

std::optional<int> writeCellsInOrder(Link& link, std::span<const CellValue> cells,
                                     bool unlockEach) {
    for (const CellValue& c : cells) {
        const bool ok =
            unlockEach ? writeEepromCell(link, c.cell, c.value) : link.writeCell(c.cell, c.value);
        if (!ok) return c.cell;
    }
    return std::nullopt;
}

}  // namespace k7
