// The change history's costs: what recording adds to a programming on the programming's own
// thread, and what the writer's transaction takes; and `k7700-cli changes` for one sensor in a
// history of 100 000 records of 1 000 sensors.
//
//   bench_history [record|changes] [FOLDER]   (default: both, in a temporary folder)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/CliChanges.h"
#include "history/ChangeHistory.h"
#include "history/HistoryRecorder.h"
#include "link/Clock.h"
#include "settings/ProgramState.h"
#include "settings/Programming.h"
#include "settings/SettingsRead.h"
#include "setupfile/SetupScreen.h"
#include "sim/SimulatedLine.h"
#include "support/FakeLinkUi.h"

namespace {

using namespace k7;

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// Times the recorder's calls on the caller's side: all a programming waits for.
class TimedSink final : public ChangeSink {
public:
    explicit TimedSink(HistoryRecorder& r) : r_(r) {}
    std::vector<double> us;
    void changeStarting(Link& link, SensorChange& c) override {
        QElapsedTimer t;
        t.start();
        r_.changeStarting(link, c);
        startUs_ = static_cast<double>(t.nsecsElapsed()) / 1000;
    }
    void changeMade(const SensorChange& c) override {
        QElapsedTimer t;
        t.start();
        r_.changeMade(c);
        us.push_back(startUs_ + static_cast<double>(t.nsecsElapsed()) / 1000);
    }

private:
    HistoryRecorder& r_;
    double startUs_ = 0;
};

void record(const std::string& folder) {
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line(bus, clock);
    line.open("sim", kLineSettings);
    bus.addSensor({.tag = 1});
    test::FakeLinkUi ui;
    ProgramState m(line, clock, ui);
    m.discovery.currentIdTag = 1;
    ScreenValues sv;
    sv.SingleSensorID = "1";
    readSensorSettings(m, sv);
    HistoryRecorder recorder({folder + "/record.sqlite", "bench", [] { return "sim"; }});
    recorder.sensorRead(1, sv.SerialNumber, m.sensorType);
    TimedSink sink(recorder);
    m.link.changeSink = &sink;

    // The first change of a sensor in a run asks its firmware: one exchange of line time.
    const std::int64_t before = clock.nowUs();
    SensorChange first;
    first.tag = 1;
    recorder.changeStarting(m.link, first);
    const double askedMs = static_cast<double>(clock.nowUs() - before) / 1000;

    constexpr int kRuns = 200;
    std::vector<double> with, without;
    const std::string setup = setupRecordText(setupValuesFrom(m, sv));
    for (int i = 0; i < kRuns; ++i) {
        for (bool recorded : {true, false}) {
            m.link.changeSink = recorded ? static_cast<ChangeSink*>(&sink) : nullptr;
            QElapsedTimer t;
            t.start();
            {
                ChangeScope change(m.link, kProgramChange, {setup, setup});
                if (!writeAllUserEeprom(m, sv).ok()) {
                    std::printf("record: the programming failed\n");
                    return;
                }
            }
            (recorded ? with : without).push_back(static_cast<double>(t.nsecsElapsed()) / 1000);
        }
    }
    recorder.flush();
    const auto writes = recorder.writeTimesUs();
    std::printf(
        "record: %d programmings (56 cells each, simulated sensor on a virtual clock)\n"
        "  on the programming's thread: median %.1f us, 99%% %.1f us, max %.1f us "
        "(goal < 5000 us)\n"
        "  programming CPU with / without a record: median %.0f / %.0f us\n"
        "  the writer's transaction (WAL, synchronous=FULL): median %.0f us, 99%% %.0f us, "
        "max %.0f us\n"
        "  the first change of a sensor in a run asks its firmware: %.1f ms of line time\n",
        kRuns, percentile(sink.us, 0.5), percentile(sink.us, 0.99), percentile(sink.us, 1),
        percentile(with, 0.5), percentile(without, 0.5), percentile(writes, 0.5),
        percentile(writes, 0.99), percentile(writes, 1), askedMs);
}

void changes(const std::string& folder) {
    constexpr int kSensors = 1000, kPerSensor = 100;
    const std::string path = folder + "/changes.sqlite";
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line(bus, clock);
    line.open("sim", kLineSettings);
    bus.addSensor({.tag = 1});
    test::FakeLinkUi ui;
    ProgramState m(line, clock, ui);
    ScreenValues sv;
    readSensorSettings(m, sv);
    SetupValues a = setupValuesFrom(m, sv), b = a;
    b.Hysteresis1 = "9";
    b.stored[2] = 2304;

    QElapsedTimer t;
    t.start();
    // A history built by an earlier run in FOLDER is used again.
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        ChangeHistory history(path, ChangeHistory::Mode::Write);
        std::vector<ChangeRecord> batch;
        for (int k = 0; k < kPerSensor; ++k) {
            for (int s = 0; s < kSensors; ++s) {
                ChangeRecord r;
                char time[32];
                std::snprintf(time, sizeof time, "2026-%02d-%02dT%02d:%02d:00.000Z", 1 + k / 28,
                              1 + k % 28, s / 60 % 24, s % 60);
                r.timeUtc = time;
                r.user = "tech";
                r.host = "bench";
                r.program = "k7700 3.10";
                r.port = "/dev/ttyUSB0";
                r.change.action = kProgramChange;
                r.change.tag = r.change.finalTag = 1 + s % 32;
                r.change.sensor = {100000 + s, 0, 25};
                r.change.setupBefore = setupRecordText(k % 2 ? a : b);
                r.change.setupAfter = setupRecordText(k % 2 ? b : a);
                for (int c = 0; c < 56; ++c) r.change.cells.push_back({46 + c, c, {}});
                batch.push_back(std::move(r));
            }
            if (const auto p = history.add(batch)) {
                std::printf("changes: %s\n", p->text.c_str());
                return;
            }
            batch.clear();
        }
    }
    const double builtS = static_cast<double>(t.elapsed()) / 1000;

    std::vector<double> ms;
    std::size_t bytes = 0;
    for (int i = 0; i < 9; ++i) {
        std::ostringstream out, err;
        t.restart();
        runChanges({path, 100000 + 111 * i, std::nullopt, "", false, "", 1}, out, err);
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        bytes = out.str().size();
    }
    std::vector<double> since;
    for (int i = 0; i < 9; ++i) {
        std::ostringstream out, err;
        t.restart();
        runChanges({path, 100500, std::nullopt, "2026-03-01T00:00:00.000Z", true, "", 1}, out, err);
        since.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::printf(
        "changes: %d records of %d sensors built in %.1f s\n"
        "  changes --serial N (%d records, %zu bytes of text): median %.1f ms, max %.1f ms "
        "(goal < 100 ms)\n"
        "  changes --serial N --since DATE --csv: median %.1f ms\n",
        kSensors * kPerSensor, kSensors, builtS, kPerSensor, bytes, percentile(ms, 0.5),
        percentile(ms, 1), percentile(since, 0.5));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string which = argc > 1 ? argv[1] : "";
    QTemporaryDir temp;
    const std::string folder = argc > 2 ? argv[2] : temp.path().toStdString();
    if (which.empty() || which == "record") record(folder);
    if (which.empty() || which == "changes") changes(folder);
    return 0;
}
