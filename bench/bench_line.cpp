// The whole line at a glance:
//   overview  the line overview window (offscreen) on 32 sensors served by k7700-sim over a
//             pseudo-terminal at true 19200-baud pacing, for 15 s: the longest time between two
//             readings of one row, the sweep, and CPU of this process.
//   log       two sensors logged to CSV (and kept in the trend) for ten minutes (or MINUTES) of
//             line time on the in-process simulator with a virtual clock: resident memory
//             minute by minute (hour by hour past an hour).
//   bench_line [overview|log [MINUTES]|all]
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "bench/Served.h"
#include "sim/SimBus.h"
#include "sim/SimulatedLine.h"
#include "status/LineOverviewWindow.h"
#include "status/ReadingLog.h"
#include "status/RoundRobinPoll.h"
#include "status/TrendBuffer.h"

using namespace k7;
using namespace k7::bench;

namespace {

class NoPoll final : public StatusPoll {
public:
    bool pollRunning() const override { return false; }
    void stopPoll() override {}
    void resumePoll() override {}
};

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;  // 4 KiB pages
}

void overview() {
    std::string sensors;
    for (int tag = 1; tag <= 32; ++tag) sensors += (tag > 1 ? "," : "") + std::to_string(tag);
    Served s({"--sensors", sensors});
    std::vector<int> tags;
    for (int tag = 1; tag <= 32; ++tag) tags.push_back(tag);
    NoPoll poll;
    LineOverviewWindow window(s.m, poll, tags, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);  // it lives on the stack here
    window.resize(1280, 760);
    window.show();

    // Let every row be identified first; then measure.
    const int warmUpMs = 4000, runMs = 15000;
    std::map<int, std::int64_t> last;
    std::int64_t worstGapUs = 0;
    std::uint64_t readingsAtStart = 0;
    QTimer sampler;  // reads the rows' reading times; every change is 200+ ms after the last
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        for (const SensorRow& r : window.poller().rows()) {
            if (!r.reading) continue;
            auto [it, fresh] = last.emplace(r.tag, r.reading->timeUs);
            if (!fresh && it->second != r.reading->timeUs) {
                worstGapUs = std::max(worstGapUs, r.reading->timeUs - it->second);
                it->second = r.reading->timeUs;
            }
        }
    });
    double cpu0 = 0;
    std::chrono::steady_clock::time_point t0;
    QTimer::singleShot(warmUpMs, [&] {
        for (const SensorRow& r : window.poller().rows()) readingsAtStart += r.readings;
        cpu0 = cpuSeconds();
        t0 = std::chrono::steady_clock::now();
        sampler.start(20);
    });
    QTimer::singleShot(warmUpMs + runMs, [] { QApplication::quit(); });
    QApplication::exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    std::uint64_t readings = 0;
    for (const SensorRow& r : window.poller().rows()) readings += r.readings;
    readings -= readingsAtStart;
    std::printf(
        "overview: 32 sensors for %.1f s: %llu readings, one sweep every %.0f ms (the wire "
        "allows %.0f ms); longest wait of a row between two readings %.0f ms (limit 400); "
        "CPU %.2f%% of a core (this process, window shown offscreen)\n",
        wall, static_cast<unsigned long long>(readings), wall * 1000 * 32 / double(readings),
        32 * kExchangeMs, worstGapUs / 1000.0, 100 * cpu / wall);
}

void log(int minutes) {
    VirtualClock clock;
    sim::SimBus bus;
    for (int tag : {1, 2}) {
        sim::SensorConfig c;
        c.tag = tag;
        bus.addSensor(c);
    }
    bus.setRecording(false);  // the simulator's own record is no part of the program
    sim::SimulatedLine line(bus, clock);
    test::FakeLinkUi ui;
    ProgramState m(line, clock, ui);
    line.open("SIM", kLineSettings);
    RoundRobinPoll poll(m.link, m.formats);
    poll.setTags({1, 2});
    ReadingLog csv;
    const std::string file = "/tmp/k7700-bench-log.csv";
    if (auto e = csv.open(file, {}, clock)) {
        std::printf("log: %s\n", e->c_str());
        return;
    }
    TrendBuffer trend;
    std::vector<std::uint64_t> taken(2, 0);
    // Resident memory at the end of each minute (of each hour for a long run).
    const int every = minutes > 60 ? 60 : 1;
    std::string rss;
    const auto t0 = std::chrono::steady_clock::now();
    for (int minute = 1; minute <= minutes; ++minute) {
        const std::int64_t end = std::int64_t{minute} * 60'000'000;
        while (clock.nowUs() < end) {
            const auto i = poll.step();
            if (!i) {
                clock.sleepUntil(std::min(poll.nextDueUs(), end));
                continue;
            }
            const SensorRow& r = poll.rows()[*i];
            if (r.readings == taken[*i]) continue;
            taken[*i] = r.readings;
            csv.write(*r.reading, r.formats);
            trend.add(*r.reading);
        }
        if (minute % every == 0) rss += (rss.empty() ? "" : " ") + std::to_string(residentKb());
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf(
        "log: 2 sensors for %d min of line time (virtual clock, %.2f s real): %llu rows; "
        "resident memory (KiB) at the end of each %s: %s; the trend holds %zu of %zu "
        "(full after %.1f min)\n",
        minutes, wall, static_cast<unsigned long long>(csv.rows()), every == 1 ? "minute" : "hour",
        rss.c_str(), trend.size(), trend.capacity(),
        trend.capacity() * double(minutes) / double(csv.rows()));
    csv.close();
    std::remove(file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "log" || what == "all") log(argc > 2 ? std::atoi(argv[2]) : 10);
    if (what == "overview" || what == "all") overview();
    return 0;
}
