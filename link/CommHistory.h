#pragma once
// The last 200 replies read, with the time of day of each, for the "K7KCOMM.txt" file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace k7 {

struct HistoryRecord {
    std::array<std::uint8_t, 6> bytes{};
    float time = 0;  // seconds since midnight
};

struct CommHistory {
    // Record 0 takes the very first read only; afterwards the ring runs 1..200.
    std::array<HistoryRecord, 201> records{};
    int index = 0;              // CommHistoryIndex: the record the next read goes into
    std::uint64_t written = 0;  // reads recorded since the start

    // The record for the next read; the ring moves on.
    HistoryRecord& next();
    // The last `count` reads recorded (at most those still kept), oldest first.
    std::vector<HistoryRecord> latest(std::uint64_t count) const;

    // The file text: the index, then records 1..200 in number order, CR LF line ends.
    std::string fileText() const;
};

// "hh:mm:ss.sss" (ISO 8601) for a time of day in seconds since midnight.
std::string isoTimeOfDay(double secondsSinceMidnight);

}  // namespace k7
