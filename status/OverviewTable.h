#pragma once
// The line overview as a table of texts: one row a sensor, its readings in the display unit,
// then the link's health counters of its tag. The window shows it; copying takes it as text.
// Toolkit-free.
#include <optional>
#include <string>
#include <vector>

#include "link/LineStats.h"
#include "status/RoundRobinPoll.h"

namespace k7 {

struct OverviewCell {
    std::string text;
    std::optional<double> sortKey;  // columns of numbers sort by value, not by text
};

std::vector<std::string> overviewHeader(int distanceUnit);
std::vector<OverviewCell> overviewRow(const SensorRow& r, const TagHealth& health,
                                      int distanceUnit);

// The header, then each row, tab-separated, one line each (LF): pastes into a spreadsheet.
std::string tableText(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows);

}  // namespace k7
