#pragma once
// k7700-cli: scan, peek, poke, history, echo, the setup files, report and health on the same link
// as the desktop program. It never waits for a window: where the desktop program would show the
// no-communication window the tool reports the failure and exits with status 1.
#include <iosfwd>
#include <string>
#include <vector>

namespace k7 {

// Exit status: 0 done, 1 port or sensor failure, 2 bad usage. `terminal`: standard error is a
// terminal, and long operations show a progress line on `err`.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool terminal = false);

}  // namespace k7
