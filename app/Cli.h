#pragma once
// k7700-cli: scan, peek, poke, history and echo on the same link as the desktop program. It never
// waits for a window: where the desktop program would show the no-communication window the
// tool reports the failure and exits with status 1.
#include <iosfwd>
#include <string>
#include <vector>

namespace k7 {

// Exit status: 0 done, 1 port or sensor failure, 2 bad usage.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace k7
