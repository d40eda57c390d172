#include "status/TrendBuffer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k7 {

TrendBuffer::TrendBuffer(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

void TrendBuffer::add(const StatusReading& r) {
    if (r.kind == StatusReading::Kind::Ignored) return;
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    const bool normal = r.kind == StatusReading::Kind::Normal;
    TrendSample s{r.timeUs, none, none, none, none};
    if (normal) {
        if (r.distanceCount > 1) s.inches = r.inches;
        s.currentMa = r.currentMa;
        s.temperatureC = r.temperatureC;
        if (r.strength >= 0) s.strength = r.strength;
    }
    if (count_ < ring_.size()) {
        ring_[(first_ + count_++) % ring_.size()] = s;
    } else {
        ring_[first_] = s;
        first_ = (first_ + 1) % ring_.size();
    }
}

void TrendBuffer::clear() {
    first_ = 0;
    count_ = 0;
}

const TrendSample& TrendBuffer::operator[](std::size_t i) const {
    return ring_[(first_ + i) % ring_.size()];
}

}  // namespace k7
