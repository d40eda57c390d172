#pragma once
// k7700-cli log: the status readings of one or more sensors, round-robin, as CSV rows streamed
// to a file until the time is up or the user interrupts (Ctrl-C, SIGTERM), which closes the
// file with every row whole.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/Link.h"
#include "status/ReadingLog.h"
#include "status/RoundRobinPoll.h"

namespace k7 {

struct LogCommand {
    std::string file;
    std::vector<int> tags;
    std::optional<double> seconds;  // nullopt: until interrupted
    int intervalMs = 220;           // between two readings of one sensor
    LogUnits units;
};

// Whether to stop, and the waits between readings, which a stop request cuts short.
class LogStop {
public:
    virtual ~LogStop() = default;
    virtual bool requested() = 0;
    // Sleeps until `us` on the clock, or until a stop is requested.
    virtual void waitUntil(Clock& clock, std::int64_t us) = 0;
};

// SIGINT and SIGTERM request the stop for as long as it lives. They are held back while the
// line is in use, so an exchange is never cut in half, and taken during the waits.
class SignalStop final : public LogStop {
public:
    SignalStop();
    ~SignalStop() override;
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;
    bool requested() override;
    void waitUntil(Clock& clock, std::int64_t us) override;
};

// Says on `err` when the sensor of row r stopped answering (with what happened) or answers
// again; `reported` keeps what was said last.
void reportSilence(const SensorRow& r, bool& reported, std::ostream& err);

// Exit status: 0 the log was written (until the time was up or the stop), 1 the file could
// not be written or no sensor gave a reading.
int runLog(Link& link, const LogCommand& c, LogStop& stop, std::ostream& out, std::ostream& err);

}  // namespace k7
