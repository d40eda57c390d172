#include "link/CommHistory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/NumberText.h"

namespace k7 {
namespace {

constexpr int kRing = 200;

// Where the n-th read (from 0) went: record 0, then round the ring 1..200.
std::size_t recordOf(std::uint64_t n) {
    return n == 0 ? 0 : static_cast<std::size_t>((n - 1) % kRing + 1);
}

}  // namespace

HistoryRecord& CommHistory::next() {
    if (index > kRing) index = 1;
    ++written;
    return records[static_cast<std::size_t>(index++)];
}

std::vector<HistoryRecord> CommHistory::latest(std::uint64_t count) const {
    // Record 0 keeps the very first read until the ring has been round once more.
    const std::uint64_t kept = written <= kRing + 1 ? written : kRing;
    count = std::min(count, kept);
    std::vector<HistoryRecord> out;
    for (std::uint64_t n = written - count; n < written; ++n) out.push_back(records[recordOf(n)]);
    return out;
}

std::string CommHistory::fileText() const {
    std::string out = " " + std::to_string(index) + "\r\n";
    for (int r = 1; r <= kRing; ++r) {
        const HistoryRecord& rec = records[static_cast<std::size_t>(r)];
        out += " " + std::to_string(r) + " \t";
        for (std::uint8_t b : rec.bytes) out += " " + std::to_string(b) + "\t";
        out += signedTextSingle(rec.time) + " \r\n";
    }
    return out;
}

std::string isoTimeOfDay(double seconds) {
    const auto ms =
        static_cast<long long>(std::llround(std::clamp(seconds, 0.0, 86399.999) * 1000));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", ms / 3'600'000, ms / 60'000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return buf;
}

}  // namespace k7
