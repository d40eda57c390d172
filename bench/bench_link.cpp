// Measures the link over a pseudo-terminal against k7700-sim at true 19200-baud pacing:
// exchange rate, CPU while exchanging and while timing out, the scan of an empty line, a
// full settings read and the programming of a standard sensor.
// With an adapter that echoes, the exchange rate; with a USB adapter's 16 ms latency timer
// (simulated in process), the settings read with and without the low-latency request.
//   bench_link [rate|echo|cpu|scan|read|program|latency|all]
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/Served.h"
#include "link/Commands.h"
#include "link/Discovery.h"
#include "settings/Programming.h"
#include "settings/SettingsRead.h"
#include "sim/SimulatedLine.h"

using namespace k7;
using namespace k7::bench;

namespace {

void rate(bool echo = false) {
    Served s(echo ? std::vector<std::string>{"--sensor", "1", "--fault", "echo"}
                  : std::vector<std::string>{"--sensor", "1"});
    const int n = 1000;
    int good = 0;
    auto [wall, cpu] = measure([&] {
        for (int i = 0; i < n; ++i) {
            s.link().sendRequest(cmd::Status);
            s.link().readReply();
            good += s.link().replyOk;
        }
    });
    const double perMs = wall * 1000 / n;
    std::printf(
        "%s: %d status exchanges in %.3f s: %.3f ms each; line allows %.3f ms "
        "(12 bytes + 1 ms turnaround): %.1f%% of the line's rate; %d good; "
        "CPU %.1f%% of a core\n",
        echo ? "echo" : "rate", n, wall, perMs, kExchangeMs, 100 * kExchangeMs / perMs, good,
        100 * cpu / wall);
}

void cpu() {
    {
        Served s({"--sensor", "1"});
        int polls = 0;
        auto [wall, cpu] = measure([&] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < end) {
                s.link().sendRequest(cmd::Status);
                s.link().readReply();
                ++polls;
                s.clock.sleepFor(220'000);  // the poll's gap
            }
        });
        std::printf("cpu: status poll every 220 ms for %.1f s (%d polls): %.2f%% of a core\n", wall,
                    polls, 100 * cpu / wall);
    }
    {
        Served s({"--sensor", "1"});
        int exchanges = 0;
        auto [wall, cpu] = measure([&] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < end) {
                s.link().sendRequest(cmd::Status);
                s.link().readReply();
                ++exchanges;
            }
        });
        std::printf("cpu: back-to-back status exchanges for %.1f s (%d): %.2f%% of a core\n", wall,
                    exchanges, 100 * cpu / wall);
    }
    {
        Served s({"--sensor", "1"});
        s.ui.tag = "9";  // nobody answers
        int attempts = 0;
        auto [wall, cpu] = measure([&] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < end) {
                s.link().sendRequest(cmd::Status);
                s.link().suppressNoCommWindow = true;
                s.link().readReply();
                attempts += 10;
            }
        });
        std::printf(
            "cpu: time-outs on a silent tag for %.1f s (%d attempts of 75 ms): %.2f%% "
            "of a core\n",
            wall, attempts, 100 * cpu / wall);
    }
}

void scan() {
    Served s({"--sensor", "1", "--fault", "drop=1"});
    DiscoveryState d;
    auto [wall, cpu] = measure([&] {
        for (int tag = 1; tag <= 32; ++tag) probeTag(s.link(), tag);
    });
    std::printf(
        "scan: empty line, 32 tags x 2 attempts: %.3f s (protocol: %.3f s, +%.1f%%); "
        "CPU %.2f%%\n",
        wall, 32 * 2 * 0.075, 100 * (wall / 4.8 - 1), 100 * cpu / wall);
}

void read() {
    Served s({"--sensor", "1"});
    s.ui.tag = "1";
    ScreenValues sv;
    auto [wall, cpu] = measure([&] { readSensorSettings(s.m, sv); });
    const double minimum = 55 * kExchangeMs / 1000;  // the type request and 54 reads
    std::printf(
        "read: full settings read of a standard sensor (55 exchanges): %.3f s; wire "
        "minimum with turnaround %.3f s: %.3f x; CPU %.2f%%\n",
        wall, minimum, wall / minimum, 100 * cpu / wall);
}

void program() {
    Served s({"--sensor", "1"});
    s.ui.tag = "1";
    ScreenValues sv;
    readSensorSettings(s.m, sv);
    s.m.discovery.currentIdTag = 1;
    sv.SingleSensorID = "1";
    sv.Hysteresis1 = "7";
    ScreenValues after;
    ProgramResult r;
    auto [wall, cpu] = measure([&] {
        r = writeAllUserEeprom(s.m, sv);
        readSensorSettings(s.m, after);
    });
    // Each verified write: the 60 ms wait counts from the write's handover, then the read-back.
    const double verified = 60 + kExchangeMs;
    const double dictated = (56 * verified + 1500 + 55 * kExchangeMs) / 1000;
    std::printf(
        "program: 56 verified writes, restart and re-read: %.3f s (%s); protocol "
        "dictates %.3f s: %.3f x; CPU %.2f%%\n",
        wall, r.ok() ? "ok" : "FAILED", dictated, wall / dictated, 100 * cpu / wall);
}

// The settings read through a USB adapter that holds received bytes for 16 ms, on the
// simulated line and a virtual clock (the figures are the line's, not this machine's).
void latency() {
    for (bool ask : {false, true}) {
        VirtualClock clock;
        sim::SimBus bus;
        bus.addSensor(sim::SensorConfig{});
        bus.setAdapterLatencyUs(16'000);
        sim::SimulatedLine line(bus, clock);
        line.setAskLowLatency(ask);
        line.open("SIM", kLineSettings);
        test::FakeLinkUi ui;
        ProgramState m(line, clock, ui);
        ScreenValues sv;
        const auto t0 = clock.nowUs();
        readSensorSettings(m, sv);
        std::printf("latency: settings read through a 16 ms adapter, %s: %.3f s\n",
                    ask ? "low latency asked for (1 ms)" : "low latency not asked for",
                    static_cast<double>(clock.nowUs() - t0) / 1e6);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "rate" || what == "all") rate();
    if (what == "echo" || what == "all") rate(true);
    if (what == "cpu" || what == "all") cpu();
    if (what == "scan" || what == "all") scan();
    if (what == "read" || what == "all") read();
    if (what == "program" || what == "all") program();
    if (what == "latency" || what == "all") latency();
    return 0;
}
