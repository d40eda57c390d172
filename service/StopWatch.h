#pragma once
// A millisecond stopwatch on the link's monotonic clock: it keeps counting across midnight and
// any length of uptime, and runs on the virtual clock in tests.
#include <cstdint>
#include <optional>

#include "link/Clock.h"

namespace k7 {

class StopWatch {
public:
    explicit StopWatch(Clock& clock) : clock_(clock) {}

    void start() { startUs_ = clock_.nowUs(); }
    bool isRunning() const { return startUs_.has_value(); }
    // Milliseconds since start; 0 when not running.
    std::int64_t elapsedMs() const;
    // The clock's reading in milliseconds when started; 0 when not running.
    std::int64_t startedMs() const { return startUs_.value_or(0) / 1000; }
    // elapsedMs, then stopped.
    std::int64_t stop();

private:
    Clock& clock_;
    std::optional<std::int64_t> startUs_;
};

}  // namespace k7
