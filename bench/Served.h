#pragma once
// The benchmarks' harness: simulated sensors served by k7700-sim on a pseudo-terminal at true
// 19200-baud pacing, the real serial line on it, and wall and CPU time of a piece of work.
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/Clock.h"
#include "link/QtSerialLine.h"
#include "settings/ProgramState.h"
#include "support/FakeLinkUi.h"
#include "support/SimProcess.h"

namespace k7::bench {

inline constexpr double kByteMs = 10.0 * 1000 / 19200;  // 0.5208 ms
inline constexpr double kTurnaroundMs = 1.0;            // the simulator's default
inline constexpr double kExchangeMs = 12 * kByteMs + kTurnaroundMs;

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Served {
    test::SimProcess sim;
    std::string pty;
    SystemClock clock;
    QtSerialLine line{clock};
    test::FakeLinkUi ui;
    ProgramState m{line, clock, ui};

    explicit Served(std::vector<std::string> args) : sim(K7700_SIM_PATH, std::move(args)) {
        pty = test::readLine(sim.out(), std::chrono::milliseconds(5000));
        line.open(pty, kLineSettings);
    }
    Link& link() { return m.link; }
};

// Wall and CPU seconds of `f`.
inline std::pair<double, double> measure(const std::function<void()>& f) {
    using Seconds = std::chrono::duration<double>;
    const double cpu0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return {Seconds(std::chrono::steady_clock::now() - t0).count(), cpuSeconds() - cpu0};
}

}  // namespace k7::bench
