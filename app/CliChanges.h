#pragma once
// k7700-cli changes: the change history listed (or as CSV, or exported to a file), newest first,
// for one sensor by serial number or ID tag, from a date on. It reads the history only; no port.
#include <iosfwd>
#include <optional>
#include <string>

namespace k7 {

struct ChangesCommand {
    std::string history;  // the database file
    std::optional<long> serial;
    std::optional<int> tag;
    std::string sinceUtc;    // stored form (utcFromLocal)
    bool csv = false;        // CSV on standard output
    std::string exportFile;  // CSV into this file instead
    int distanceUnit = 1;
};

// Exit status: 0 listed; 1 the history could not be read or the file written.
int runChanges(const ChangesCommand& c, std::ostream& out, std::ostream& err);

}  // namespace k7
