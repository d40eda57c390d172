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

    void StartTimer() { startUs_ = clock_.nowUs(); }
    bool IsRunning() const { return startUs_.has_value(); }
    // Milliseconds since StartTimer; 0 when not running.
    std::int64_t ElapsedTime() const;
    // The clock's reading in milliseconds when started; 0 when not running.
    std::int64_t TimerStarted() const { return startUs_.value_or(0) / 1000; }
    // ElapsedTime, then stopped.
    std::int64_t StopTimer();

private:
    Clock& clock_;
    std::optional<std::int64_t> startUs_;
};

}  // namespace k7
