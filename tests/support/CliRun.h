#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/Cli.h"

namespace k7 {

// One k7700-cli run in this process: its exit status and what it printed.
struct CliRun {
    int status;
    std::string out, err;
};

inline CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace k7
