#pragma once
// The G615's fourteen lock-out ("ring") times: one per pair of a line and a source of ringing,
// each a 16-bit count of 0.8 µs timer ticks in EEPROM. Only read, never written.
#include <array>
#include <optional>
#include <string>

#include "link/Link.h"

namespace k7 {

inline constexpr int kRingTimeRows = 14;

struct RingTimeRow {
    const char* line;       // the line that rings
    const char* parameter;  // the firmware's name for the time
};
extern const std::array<RingTimeRow, kRingTimeRows> kRingTimes;

struct RingTimeGroup {
    const char* heading;  // the source of the ringing
    int firstRow;
    int rows;
};
extern const std::array<RingTimeGroup, 4> kRingTimeGroups;

// High cell of a row's word: 21, 23, ... 43 for rows 0..11, then 16 and 18.
int ringTimeCell(int row);

// The fourteen words in row order, one read each, with the line held for all of them.
// nullopt when the line is held elsewhere or a read got no reply.
std::optional<std::array<int, kRingTimeRows>> readRingTimes(Link& link);

// The window's columns. Each derived column is computed from the text shown in the column
// before it (so it carries that column's rounding), taking texts by their leading number.
std::string ringMsText(int ticks);                                                      // "###.00"
std::string ringPlusText(const std::string& msText, const std::string& additive);       // "##0.00"
std::string ringTimesText(const std::string& plusText, const std::string& multiplier);  // "##0.0"

}  // namespace k7
