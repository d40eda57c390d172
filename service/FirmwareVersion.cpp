#include "service/FirmwareVersion.h"

#include "link/Commands.h"
#include "service/ToolLine.h"

namespace k7 {

std::optional<int> readFirmwareRevision(Link& link) {
    const Link::Hold held = lineForTool(link);
    if (!held || !link.exchange(cmd::FirmwareVersion) || link.programEnding) return std::nullopt;
    return link.dataByte(0);
}

std::string firmwareVersionText(const std::string& idTag, int revision) {
    return "K7700 with ID Tag " + idTag + " has Firmware Version " + std::to_string(revision);
}

}  // namespace k7
