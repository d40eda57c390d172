#pragma once
// Changing the sensor's detection threshold (the code in EEPROM cell 30): the unlock pair and
// verified write, the restart that makes it take effect, and a progress figure that fills
// over a fixed 2.5 seconds.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/Link.h"
#include "service/StopWatch.h"
#include "status/StatusPoll.h"

namespace k7 {

inline constexpr std::int64_t kThresholdChangeMs = 2500;

// The code in cell 30; nullopt when no reply came or the line is held elsewhere.
std::optional<int> readThresholdCode(Link& link);

// "Existing threshold = 2.0 Volts"; a code that is none of the five shows as unknown, with
// its value, rather than as the voltage of some row it is not.
std::string existingThresholdText(int code);

// Percent of the change's 2.5 s gone after `elapsedMs`, at most 100.
int thresholdProgressPercent(std::int64_t elapsedMs);

enum class ThresholdChangeResult {
    Written,      // the code read back
    WriteFailed,  // ten writes never read back (the link showed its message)
    Busy,         // another exchange holds the line: nothing was sent
    Stopped,      // the program is ending
};

// changeThreshold: with the line held and the status poll paused, the unlock pair, the
// verified write of `code` into cell 30 and the restart; `progress` is called between the
// steps and on every turn of the link's waits. Then it waits until `watch` (started by the
// caller when the user chose) shows 2.5 s, calling `progress` as it goes. A failed write still
// restarts the sensor and takes its 2.5 s.
ThresholdChangeResult changeThreshold(Link& link, StatusPoll& poll, const StopWatch& watch,
                                      int code, const std::function<void()>& progress);

}  // namespace k7
