// The plant gateway against a local Mosquitto broker: k7700-sim serves 32 sensors on a
// pseudo-terminal at true 19200-baud pacing, `k7700-cli publish` polls them and publishes, and
// a subscriber here takes every message. Prints readings per second against what the line
// allows, the time from a reading's reply on the line to its message at the subscriber (median,
// 99th percentile, worst), the gateway's CPU and resident memory minute by minute; `plant`
// runs several such lines into one broker.
//   bench_gateway line [MINUTES]          one line, 32 sensors (default 10 minutes)
//   bench_gateway plant [GATEWAYS] [SECONDS]   GATEWAYS lines of 32 sensors (default 16, 120 s)
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "support/MqttBroker.h"
#include "support/TempDir.h"

using namespace std::chrono;
using namespace std::chrono_literals;
using k7::test::MqttBroker;
using k7::test::MqttSubscriber;
using k7::test::SimProcess;

namespace {

// Milliseconds since the epoch of "2024-05-01T14:03:07.123+02:00".
double epochMs(const std::string& iso) {
    std::tm tm{};
    int ms = 0, oh = 0, om = 0;
    char sign = '+';
    if (std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d.%d%c%d:%d", &tm.tm_year, &tm.tm_mon,
                    &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &ms, &sign, &oh, &om) != 10)
        return 0;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const double offset = (oh * 60 + om) * 60.0 * (sign == '-' ? -1 : 1);
    return (static_cast<double>(timegm(&tm)) - offset) * 1000 + ms;
}

// User and system seconds of a process so far, and its resident memory in KiB.
std::pair<double, long> usage(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    long rssPages = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);
        if (i == 24) rssPages = std::stol(field);
    }
    return {ticks / static_cast<double>(sysconf(_SC_CLK_TCK)), rssPages * sysconf(_SC_PAGESIZE) / 1024};
}

struct Line {
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<SimProcess> gateway;
};

Line startLine(const MqttBroker& broker, const std::string& name) {
    std::string tags;
    for (int t = 1; t <= 32; ++t) tags += (t > 1 ? "," : "") + std::to_string(t);
    Line l;
    l.sim = std::make_unique<SimProcess>(K7700_SIM_PATH, std::vector<std::string>{"--sensors", tags});
    const std::string pty = k7::test::readLine(l.sim->out(), 5000ms);
    l.gateway = std::make_unique<SimProcess>(
        K7700_CLI_PATH, std::vector<std::string>{"publish", "--port", pty, "--id", tags, "--broker",
                                                 broker.url(), "--line", name});
    return l;
}

struct Latencies {
    std::vector<double> ms;
    std::size_t states = 0;
    void take(const std::vector<k7::test::Received>& all, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const auto& m = all[i];
            if (m.topic.size() < 6 || m.topic.compare(m.topic.size() - 6, 6, "/state") != 0) continue;
            ++states;
            const auto obj = QJsonDocument::fromJson(QByteArray::fromStdString(m.payload)).object();
            const double sent = epochMs(obj["time"].toString().toStdString());
            const double at = static_cast<double>(
                duration_cast<microseconds>(system_clock::now().time_since_epoch() -
                                            (steady_clock::now() - m.at))
                    .count()) / 1000;
            if (sent > 0) ms.push_back(at - sent);
        }
    }
    double quantile(double q) {
        if (ms.empty()) return 0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * static_cast<double>(ms.size())))];
    }
};

int line(int minutes) {
    k7::test::TempDir dir;
    MqttBroker broker(dir.path());
    if (!broker.start()) return std::puts("mosquitto did not start"), 1;
    MqttSubscriber sub(broker.port());
    Line l = startLine(broker, "bench");
    std::this_thread::sleep_for(40s);  // every sensor identified and its settings read
    std::printf("one line, 32 sensors at 19200 baud, each read at most every 220 ms; the line "
                "sets the pace (the overview's round-robin poll)\n");
    std::printf("minute  readings/s  latency median  p99  worst (ms)  gateway CPU %%  RSS KiB\n");
    Latencies all;
    for (int minute = 1; minute <= minutes; ++minute) {
        const std::size_t from = sub.count();
        const auto [cpu0, rss0] = usage(l.gateway->pid());
        const auto t0 = steady_clock::now();
        std::this_thread::sleep_for(60s);
        const double wall = duration<double>(steady_clock::now() - t0).count();
        const auto [cpu1, rss1] = usage(l.gateway->pid());
        const auto messages = sub.messages();
        Latencies m;
        m.take(messages, from, messages.size());
        all.take(messages, from, messages.size());
        std::printf("%6d  %10.1f  %14.1f  %4.1f  %10.1f  %13.2f  %7ld\n", minute,
                    static_cast<double>(m.states) / wall, m.quantile(0.5), m.quantile(0.99),
                    m.quantile(1.0), 100 * (cpu1 - cpu0) / wall, rss1);
        std::fflush(stdout);
    }
    std::printf("all: median %.1f ms, p99 %.1f ms, worst %.1f ms over %zu states\n",
                all.quantile(0.5), all.quantile(0.99), all.quantile(1.0), all.ms.size());
    return 0;
}

int plant(int gateways, int seconds) {
    k7::test::TempDir dir;
    MqttBroker broker(dir.path());
    if (!broker.start()) return std::puts("mosquitto did not start"), 1;
    MqttSubscriber sub(broker.port());
    std::vector<Line> lines;
    for (int g = 1; g <= gateways; ++g) lines.push_back(startLine(broker, "line" + std::to_string(g)));
    std::this_thread::sleep_for(60s);
    pid_t brokerPid = 0;
    {
        FILE* p = popen(("pgrep -f 'mosquitto -c " + dir.file("mosquitto.conf") + "'").c_str(), "r");
        if (p && std::fscanf(p, "%d", &brokerPid) != 1) brokerPid = 0;
        if (p) pclose(p);
    }
    auto gatewaysCpu = [&] {
        double s = 0;
        for (auto& l : lines) s += usage(l.gateway->pid()).first;
        return s;
    };
    auto simsCpu = [&] {
        double s = 0;
        for (auto& l : lines) s += usage(l.sim->pid()).first;
        return s;
    };
    const std::size_t from = sub.count();
    const double g0 = gatewaysCpu(), s0 = simsCpu(), b0 = brokerPid ? usage(brokerPid).first : 0;
    const auto t0 = steady_clock::now();
    std::this_thread::sleep_for(seconds * 1s);
    const double wall = duration<double>(steady_clock::now() - t0).count();
    const double g1 = gatewaysCpu(), s1 = simsCpu(), b1 = brokerPid ? usage(brokerPid).first : 0;
    const auto messages = sub.messages();
    Latencies m;
    m.take(messages, from, messages.size());
    std::printf("%d gateways x 32 sensors, %d s: %.0f messages/s (%.0f states/s) into one broker\n",
                gateways, seconds, static_cast<double>(messages.size() - from) / wall,
                static_cast<double>(m.states) / wall);
    std::printf("CPU (%% of one core): broker %.1f, gateways %.1f (%.2f each), simulators %.1f\n",
                100 * (b1 - b0) / wall, 100 * (g1 - g0) / wall, 100 * (g1 - g0) / wall / gateways,
                100 * (s1 - s0) / wall);
    std::printf("reply to subscriber: median %.1f ms, p99 %.1f ms, worst %.1f ms\n", m.quantile(0.5),
                m.quantile(0.99), m.quantile(1.0));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (k7::test::mosquittoPath().empty()) return std::puts("mosquitto is not installed"), 1;
    const std::string what = argc > 1 ? argv[1] : "line";
    if (what == "plant")
        return plant(argc > 2 ? std::atoi(argv[2]) : 16, argc > 3 ? std::atoi(argv[3]) : 120);
    return line(argc > 2 ? std::atoi(argv[2]) : 10);
}
