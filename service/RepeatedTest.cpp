#include "service/RepeatedTest.h"

namespace k7 {

std::string programFailureText(const ProgramResult& r) {
    switch (r.status) {
        case ProgramStatus::Completed:
            break;
        case ProgramStatus::Busy:
            return "not programmed: the line was busy";
        case ProgramStatus::Stopped:
            return "programming stopped";
        case ProgramStatus::TagUnavailable:
        case ProgramStatus::TagNotTaken:
            return "not programmed: ID tag refused";
    }
    if (r.failedCells.empty()) return {};
    std::string cells;
    for (int c : r.failedCells) cells += (cells.empty() ? "" : ", ") + std::to_string(c);
    return "programming failed: " + std::string(r.failedCells.size() > 1 ? "cells " : "cell ") +
           cells + " did not take the value written";
}

std::vector<std::string> RepeatedTest::step(const std::function<bool()>& stopped) {
    const int count = host_.sensorCount();
    if (count == 0) {
        if (toldEmpty_) return {};
        toldEmpty_ = true;
        return {"No sensor in the list: nothing to test."};
    }
    toldEmpty_ = false;
    if (next_ >= count) {
        next_ = 0;
        programming_ = !programming_;
    }
    const std::string tag = host_.selectSensor(next_);
    if (tag.empty() || stopped()) return {};
    const std::string sensor = "Sensor " + tag;
    ++next_;
    if (!programming_) {
        if (!host_.updateStatus()) return {sensor + " - no status reply"};
        return {sensor + " Status Updated."};
    }
    const std::string failure = host_.programSensor();
    if (!failure.empty()) return {sensor + " - " + failure};
    return {sensor + " - All User EEEPROM written", sensor + " booted"};
}

}  // namespace k7
