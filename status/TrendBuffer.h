#pragma once
// The live trend's memory: the last readings of one sensor in a ring of fixed size, so a trend
// left open for hours holds no more than its longest span. Toolkit-free.
#include <cstdint>
#include <vector>

#include "status/Reading.h"

namespace k7 {

struct TrendSample {
    std::int64_t timeUs = 0;  // the link's clock
    // NaN where the reading has no value (no echo, a fault report, the slow model's current).
    double inches = 0;
    double currentMa = 0;
    double temperatureC = 0;
    double strength = 0;
};

class TrendBuffer {
public:
    // Ten minutes of the status poll (a reading every 220 ms or so) fit with room to spare.
    static constexpr std::size_t kDefaultCapacity = 4096;

    explicit TrendBuffer(std::size_t capacity = kDefaultCapacity);
    void add(const StatusReading& r);
    void clear();
    std::size_t size() const { return count_; }
    std::size_t capacity() const { return ring_.size(); }
    // Oldest first.
    const TrendSample& operator[](std::size_t i) const;

private:
    std::vector<TrendSample> ring_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

}  // namespace k7
