#pragma once
// The command-line tool's line commands beyond single exchanges: the commissioning report of
// several sensors as a PDF, and the line health of several tags polled for a while.
#include <iosfwd>
#include <string>
#include <vector>

namespace k7 {

class Clock;
class Link;
class LogStop;
class SerialLine;
class TerminalProgress;

struct ReportCommand {
    std::string file;
    std::vector<int> tags;
    int distanceUnit = 1;  // 0 cm, 1 in, 2 ft, 3 m
};

// One page a sensor, in the order given. Exit status 0 when every sensor answered and the
// file was written; 1 when a sensor did not answer (its page says so; the file is still
// written) or the file could not be written.
int runReport(const ReportCommand& c, SerialLine& line, Clock& clock, TerminalProgress& progress,
              std::ostream& out, std::ostream& err);

// Status exchanges with the tags in turn for `seconds` (or until the stop, or the device goes
// away), then the line-health table (tab-separated, a header line first). Exit status 0 when
// every tag answered at least once and the device stayed.
int runHealth(const std::vector<int>& tags, int seconds, Link& link, LogStop& stop,
              TerminalProgress& progress, std::ostream& out, std::ostream& err);

}  // namespace k7
