#pragma once
// Time for the link: a monotonic microsecond clock for time-outs (midnight cannot break them),
// the time of day for the comm history, and a sleep. Tests use VirtualClock, which only moves
// when something sleeps, so a scan of 32 silent tags costs no real time.
#include <cstdint>

namespace k7 {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() = 0;
    virtual double secondsSinceMidnight() = 0;
    virtual void sleepUntil(std::int64_t us) = 0;
    void sleepFor(std::int64_t us) { sleepUntil(nowUs() + us); }
};

class SystemClock final : public Clock {
public:
    std::int64_t nowUs() override;
    double secondsSinceMidnight() override;
    void sleepUntil(std::int64_t us) override;
};

class VirtualClock final : public Clock {
public:
    explicit VirtualClock(double startSecondsOfDay = 8 * 3600.0) : startOfDay_(startSecondsOfDay) {}
    std::int64_t nowUs() override { return now_; }
    double secondsSinceMidnight() override;
    void sleepUntil(std::int64_t us) override {
        if (us > now_) now_ = us;
    }
    void advance(std::int64_t us) { now_ += us; }

private:
    std::int64_t now_ = 0;
    double startOfDay_;
};

}  // namespace k7
