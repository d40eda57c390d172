// k7700-sim: simulated K7700 sensors on a pseudo-terminal. Prints the device path as its
// first line, then serves the sensors in real time until SIGINT or SIGTERM.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Version.h"
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

// A symbolic link to the device under a name that stays the same across restarts, so a
// program can open the "same device" again after the simulator was stopped and started.
class DeviceLink {
public:
    DeviceLink(const std::string& path, const std::string& target) : path_(path) {
        if (path_.empty()) return;
        struct stat st {};
        if (lstat(path_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                throw std::runtime_error(path_ + " exists and is not a symbolic link");
            }
            unlink(path_.c_str());
        }
        if (symlink(target.c_str(), path_.c_str()) != 0) {
            throw std::runtime_error(path_ + ": " + std::strerror(errno));
        }
        target_ = target;
    }
    ~DeviceLink() {
        if (target_.empty()) return;
        char buf[4096];
        const ssize_t n = readlink(path_.c_str(), buf, sizeof buf - 1);
        if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target_)
            unlink(path_.c_str());
    }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

private:
    std::string path_;
    std::string target_;
};

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
    if (parsed.version) {
        std::printf("k7700-sim %s\n", k7::versionText().c_str());
        return 0;
    }

    // The stop signals stay blocked except while the server sleeps, so none is missed.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGALRM);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGALRM);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGALRM, &action, nullptr);
    if (parsed.setup.unplugAfterUs) {
        // An unplugged adapter: the device goes away, as when the simulator is stopped.
        itimerval unplug{};
        unplug.it_value.tv_sec = static_cast<time_t>(*parsed.setup.unplugAfterUs / 1'000'000);
        unplug.it_value.tv_usec = static_cast<suseconds_t>(*parsed.setup.unplugAfterUs % 1'000'000);
        if (*parsed.setup.unplugAfterUs == 0) unplug.it_value.tv_usec = 1;
        setitimer(ITIMER_REAL, &unplug, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);

    try {
        Pty pty;
        SimBus bus;
        buildBus(parsed.setup, bus);
        bus.setRecording(false);  // serves for days: keeps no record of what it was sent
        const DeviceLink link(parsed.linkPath, pty.slavePath());
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
