#pragma once
// The messages of a line as JSON (Qt Core's QJsonDocument): a sensor's state and info, the
// line's health and the Home Assistant discovery configs. Field names are the same in every
// message and in the README.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/LineStats.h"
#include "report/ReportModel.h"
#include "status/RoundRobinPoll.h"

namespace k7 {

// The topics of one line under P/LINE.
struct LineTopics {
    std::string base;  // P/LINE
    std::string status() const { return base + "/status"; }
    std::string health() const { return base + "/health"; }
    std::string state(int tag) const { return base + "/" + std::to_string(tag) + "/state"; }
    std::string info(int tag) const { return base + "/" + std::to_string(tag) + "/info"; }
};

// What a sensor is: its identity and its settings as the commissioning report shows them.
struct SensorInfo {
    int tag = 0;
    int type = -1;
    int firmware = -1;
    std::string serial;
    std::string description;
    std::vector<ReportSection> settings;
};

// The state of a row in `distanceUnit`: the last reading (kept while the sensor does not
// answer) with its ISO 8601 time (none when it never gave one), "answering", and why not.
std::string statePayload(const SensorRow& row, int distanceUnit, const std::string& time);

std::string infoPayload(const SensorInfo& info, int distanceUnit);

struct GatewayCounts {
    std::uint64_t readingsPublished = 0;
    std::uint64_t messagesSkipped = 0;  // replaced while the broker was away or slow
    std::uint64_t brokerOutages = 0;
};
// The line-health table of the tags, with the gateway's own counts.
std::string healthPayload(const LineStats& stats, const std::vector<int>& tags,
                          const std::string& time, const GatewayCounts& counts);

// Home Assistant's retained discovery configs for one sensor: (topic, payload) each.
std::vector<std::pair<std::string, std::string>> homeAssistantConfigs(const LineTopics& topics,
                                                                      const std::string& line,
                                                                      const SensorInfo& info,
                                                                      int distanceUnit);

}  // namespace k7
