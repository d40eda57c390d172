// k7700-sim: simulated K7700 sensors on a pseudo-terminal. Prints the device path as its
// first line, then serves the sensors in real time until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "sim/Pty.h"
#include "sim/PtyServer.h"
#include "sim/SimBus.h"
#include "sim/SimOptions.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int) {
    g_stop = 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace k7::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    ToolArguments parsed;
    if (auto error = parseToolArguments(args, parsed)) {
        std::fprintf(stderr, "k7700-sim: %s\n", error->c_str());
        return 2;
    }
    if (parsed.help) {
        std::fputs(toolUsage().c_str(), stdout);
        return 0;
    }

    // The stop signals stay blocked except while the server sleeps, so none is missed.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        Pty pty;
        SimBus bus;
        buildBus(parsed.setup, bus);
        std::printf("%s\n", pty.slavePath().c_str());
        std::fflush(stdout);
        k7::SystemClock clock;
        servePty(pty, bus, clock, g_stop, &waitMask);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "k7700-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
