#pragma once
// Options of the desktop program: ours (--simulate, --sensors, --fault, --seed, --port) are
// taken out; everything else is the classic command line (ONESENSOR, AUTORESETERROR, the
// factory access code).
#include <optional>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace k7 {

struct AppOptions {
    bool simulate = false;
    sim::SimSetup sim;
    std::string port;                    // --port DEVICE
    std::vector<std::string> arguments;  // the remaining words, each a switch of its own
    bool help = false;
};

// nullopt when the arguments were taken; otherwise a one-line error.
std::optional<std::string> parseAppOptions(const std::vector<std::string>& args, AppOptions& out);
std::string appUsage();

}  // namespace k7
