#pragma once
// What this run did to each sensor, kept by ID tag for the commissioning report: the last
// programming and the last acoustic record captured.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace k7 {

struct ProgrammingOutcome {
    std::string time;        // local date and time it ended
    bool completed = false;  // every cell was sent and the sensor restarted
    int cellsWritten = 0;
    std::vector<int> failedCells;  // written but never read back right
    std::string note;              // why it stopped, when it did
};

struct CapturedEcho {
    std::string time;
    std::vector<std::uint8_t> samples;
    int thresholdCode = 0;
    double kelvin = 293.15;  // for the distance scale
    std::string gainCaption;
};

struct RunRecord {
    std::map<int, ProgrammingOutcome> programmed;
    std::map<int, CapturedEcho> echoes;
};

// Local date and time, "2026-12-06 16:56:07".
std::string localDateTimeText();

}  // namespace k7
