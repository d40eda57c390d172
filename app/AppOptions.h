#pragma once
// Options of the desktop program: ours (--simulate, --sensors, --fault, --seed, --port, --help,
// --version) are taken out; the words left are the classic switches (ONESENSOR,
// AUTORESETERROR, the factory access code), each word a switch of its own.
#include <optional>
#include <string>
#include <vector>

#include "app/LineOptions.h"

namespace k7 {

struct AppOptions : LineChoice {
    std::vector<std::string> arguments;  // the classic switches
    std::string history;                 // --history FILE: the change history's file
    bool help = false;
    bool version = false;
};

// nullopt when the arguments were taken; otherwise a one-line error naming the argument.
std::optional<std::string> parseAppOptions(const std::vector<std::string>& args, AppOptions& out);
std::string appUsage();

}  // namespace k7
