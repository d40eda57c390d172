#pragma once
// Reading what a sensor is (identity, description, settings) on the line the round-robin poll
// works on, between two of its steps. Toolkit-free.
#include <optional>

#include "gateway/Payloads.h"
#include "link/Link.h"
#include "status/RoundRobinPoll.h"

namespace k7 {

// The sensor of `row` read with the settings read of the main window, on a program state of
// its own (as the report reads each sensor), distances in `distanceUnit`. The poll's link lends
// it what it has learned of the line and takes back what the read counted, so the line health
// stays whole and no answer still owed is taken for another. Nullopt when the sensor stopped
// answering.
std::optional<SensorInfo> readSensorInfo(Link& link, const SensorRow& row, int distanceUnit);

}  // namespace k7
