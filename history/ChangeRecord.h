#pragma once
// One entry of the change history: a change made to a sensor (SensorChange) with when, by whom,
// with which program and on which port.
#include <cstdint>
#include <optional>
#include <string>

#include "link/SensorChange.h"

namespace k7 {

struct ChangeRecord {
    std::int64_t id = 0;     // the database's, once stored
    std::string timeUtc;     // ISO 8601 with milliseconds, "2026-12-06T15:56:07.123Z"
    std::string user, host;  // login name and machine
    std::string program;     // with its version, "k7700 3.10"
    std::string port;
    SensorChange change;
    bool done() const { return change.failure.empty(); }
};

// What a listing asks for; every part left empty matches all.
struct ChangeFilter {
    std::optional<long> serial{};
    std::optional<int> tag{};  // the tag the sensor answered to after the change
    std::string sinceUtc{};    // ISO 8601, as timeUtc
};

}  // namespace k7
