#pragma once
// The simulated sensors and faults chosen on a command line, shared by `k7700 --simulate` and
// `k7700-sim`. Parsers return an error text for bad input and never throw.
//
// Sensors: a comma list of TAG[:TYPE[:FIRMWARE]], e.g. "1", "3:4", "2:0:24,30:1". Tags are
// 1..32 and may not repeat; type and firmware are 0..255 (type codes above 7 make an "unknown
// sensor"); the defaults are type 0 and firmware 25.
//
// Faults: a comma list of faults, each optionally limited to one sensor by a "TAG/" prefix
// (e.g. "3/drop=0.5"); without it a fault applies to every sensor. They apply in the order
// given, so "drop=0.1,3/drop=0" spares sensor 3.
//   drop=P  checksum=P  badtag=P  short=P  noise=P  junk=P   probability per reply, 0..1
//   delay=MS[:JITTER_MS]                              replies start that much later
//   stream-delay=MS                                   raw streams (100, 120) start later still
//   refuse=CELL                                       writes to CELL (0..127) never take
//   fail-writes=CELL:N                                the first N writes to CELL do not take
//   lost-first                                        first copy of each request unanswered
//   silent-after=N                                    silent for good after N frames to it
//   status-fault=BITS                                 fault bits (decimal or 0x..) in status
//   echo                                              the line's adapter echoes (no tag prefix)
// Each sensor draws its faults from its own generator, seeded from the seed and its tag.
//
// Scene: what a sensor's target and acoustic record are like, a comma list of items, each
// optionally limited to one sensor by a "TAG/" prefix like a fault (distances in inches,
// heights in counts above the noise floor at low gain):
//   target=IN | target=none       the target pinned there (default: it sweeps), or nothing
//   amplitude=H                   the target's echo height (default: weaker with distance)
//   false-echo=IN[:H]             a fixed reflector (default height 100)
//   multiple[=RATIO]              the second bounce at twice the distance (default 0.5)
//   noise=SPREAD                  ± counts of the noise floor (default 4)
//   ringdown=IN                   how far the transmit burst rings above the threshold
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Args.h"
#include "sim/Faults.h"
#include "sim/SimBus.h"
#include "sim/SimSensor.h"
#include "sim/SimulatedLine.h"

namespace k7::sim {

struct FaultRule {
    std::optional<int> tag;  // nullopt: every sensor
    std::string text;        // the fault without its tag prefix, already checked
};

struct SimSetup {
    std::vector<SensorConfig> sensors;  // empty: one sensor, tag 1, type 0
    std::vector<FaultRule> faults;
    std::vector<FaultRule> scene;  // the same form: an item for every sensor or one
    std::uint32_t seed = 1;
    std::int64_t turnaroundUs = SimBus::kDefaultTurnaroundUs;
    bool echo = false;
    std::int64_t adapterLatencyUs = 0;
    // The adapter is pulled out this long after the line was opened.
    std::optional<std::int64_t> unplugAfterUs;
};

// Each returns an error message, or nullopt when the text was taken.
std::optional<std::string> addSensors(const std::string& list, SimSetup& setup);
std::optional<std::string> addFaults(const std::string& list, SimSetup& setup);
std::optional<std::string> addScene(const std::string& list, SimSetup& setup);
std::optional<std::string> setSeed(const std::string& text, SimSetup& setup);
std::optional<std::string> setTurnaround(const std::string& text, SimSetup& setup);
std::optional<std::string> setAdapterLatency(const std::string& text, SimSetup& setup);

// Every tool refuses --port together with simulated sensors in these words.
inline constexpr const char* kPortWithSimulate = "--port and --simulate exclude each other";

// The options that describe the simulated sensors, spelt alike in every tool (--sensor is
// taken for --sensors).
inline constexpr OptionForm kSensorOptions[] = {
    {"--sensors", "LIST", "--sensor"}, {"--fault", "RULE"}, {"--seed", "N"}, {"--scene", "LIST"}};
// Applies one of kSensorOptions; an error for a bad value.
std::optional<std::string> applySensorOption(const Arg& arg, SimSetup& setup);

// Applies one checked fault text (no tag prefix) to a fault configuration.
std::optional<std::string> applyFault(const std::string& rule, FaultConfig& faults);
// Applies one scene item (no tag prefix) to a sensor's configuration.
std::optional<std::string> applyScene(const std::string& item, SensorConfig& config);

// The faults one sensor gets: every rule without a tag or with its tag, in order.
FaultConfig faultsFor(const SimSetup& setup, int tag);

// Puts the configured sensors, faults and turnaround on an empty bus.
void buildBus(const SimSetup& setup, SimBus& bus);
// The same, and the host's line to that bus with the line's own faults (an unplugged adapter).
std::unique_ptr<SimulatedLine> buildSimulatedLine(const SimSetup& setup, SimBus& bus,
                                                  Clock& clock);

// Command-line arguments of the simulator tool (program name excluded):
// --sensors LIST, --fault LIST, --scene LIST (all repeatable), --seed N, --turnaround-us N,
// --adapter-latency-ms N, --link PATH, --help, --version; each also as --name=value.
struct ToolArguments {
    SimSetup setup;
    std::string linkPath;  // a symbolic link to the device, made while serving
    bool help = false;
    bool version = false;
};
std::optional<std::string> parseToolArguments(const std::vector<std::string>& args,
                                              ToolArguments& out);
std::string toolUsage();

}  // namespace k7::sim
