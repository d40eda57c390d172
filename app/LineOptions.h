#pragma once
// The line the desktop program and the command-line tool work on: a serial device named with
// --port, or simulated sensors (--simulate, described by --sensors, --fault and --seed).
#include <optional>
#include <string>
#include <vector>

#include "common/Args.h"
#include "sim/SimOptions.h"

namespace k7 {

struct LineChoice {
    bool simulate = false;
    std::string port;  // --port DEVICE
    sim::SimSetup sim;
    std::string sensorOptionGiven;  // the first of --sensors, --fault, --seed given
};

// --simulate, --port and the simulator's options.
std::vector<OptionForm> lineOptionSpecs();

// Applies the argument when it is one of them (sets *taken); an error for a bad value.
std::optional<std::string> applyLineOption(const Arg& arg, LineChoice& line, bool& taken);

// The options agree: --port and --simulate exclude each other, and the simulator's options
// apply only with --simulate.
std::optional<std::string> checkLineChoice(const LineChoice& line);

}  // namespace k7
