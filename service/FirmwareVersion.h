#pragma once
// The firmware revision of the addressed sensor (command 122).
#include <optional>
#include <string>

#include "link/Link.h"

namespace k7 {

// Data byte 0 of the reply; nullopt when no reply came or the line is held elsewhere.
std::optional<int> readFirmwareRevision(Link& link);

// "K7700 with ID Tag 3 has Firmware Version 12".
std::string firmwareVersionText(const std::string& idTag, int revision);

}  // namespace k7
