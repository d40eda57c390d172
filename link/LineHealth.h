#pragma once
// The line-health table as people read it: one row per ID tag, the same columns in the comm
// history window, the command line, the report and the line overview.
#include <string>
#include <vector>

#include "link/LineStats.h"

namespace k7 {

// Column titles, ID tag first.
const std::vector<std::string>& lineHealthHeader();

// One row for a tag, in the header's order; "never" when the tag has not answered.
std::vector<std::string> lineHealthRow(int tag, const TagHealth& h);

// The tags the link has exchanged with, in order.
std::vector<int> tagsSeen(const LineStats& stats);

}  // namespace k7
