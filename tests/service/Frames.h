#pragma once
// What the simulated sensors received, as (command, data byte 1, data byte 2), so a tool's
// exact frame sequence reads as a list.
#include <array>
#include <vector>

#include "sim/SimBus.h"

namespace k7::test {

using Sent = std::array<int, 3>;

inline std::vector<Sent> sentFrames(const sim::SimBus& bus, std::size_t from = 0) {
    std::vector<Sent> out;
    const auto& r = bus.received();
    for (std::size_t i = from; i < r.size(); ++i) {
        out.push_back({r[i].bytes[2], r[i].bytes[3], r[i].bytes[4]});
    }
    return out;
}

inline bool anyStatusFrame(const std::vector<Sent>& frames) {
    for (const Sent& s : frames) {
        if (s[0] == 2) return true;
    }
    return false;
}

}  // namespace k7::test
