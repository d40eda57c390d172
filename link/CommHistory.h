#pragma once
// The last 200 replies read, with the time of day of each, for the "K7KCOMM.txt" file.
#include <array>
#include <cstdint>
#include <string>

namespace k7 {

struct HistoryRecord {
    std::array<std::uint8_t, 6> bytes{};
    float time = 0;  // seconds since midnight
};

struct CommHistory {
    // Record 0 takes the very first read only; afterwards the ring runs 1..200.
    std::array<HistoryRecord, 201> records{};
    int index = 0;  // CommHistoryIndex: the record the next read goes into

    // The file text: the index, then records 1..200 in number order, CR LF line ends.
    std::string fileText() const;
};

}  // namespace k7
