// A commissioning day on a bad line, every value checked.
//
// Three simulated sensors share a line with 5% lost replies, 1% junk bytes and an adapter that
// echoes; tag 2 takes one request at a time and answers 20..150 ms late, tag 3 answers about
// 100 ms late. The program's own code drives them as a technician's day does: the round-robin
// poll reads them all the time; now and then cells are peeked and poked, a setup is saved and
// compared with its sensor, and every few minutes a changed setup is programmed. Each value
// read is checked against the simulated sensor's memory (or its pinned scene), each save
// against the file a clean line gives, each write against what a clean line makes of it.
//
//   bench_soak [MINUTES] [virtual]    default 60 minutes of real time
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/CliSetup.h"
#include "link/Commands.h"
#include "settings/ProgramState.h"
#include "setupfile/SetupFileIo.h"
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedLine.h"
#include "status/RoundRobinPoll.h"
#include "support/FakeLinkUi.h"

namespace k7 {
namespace {

struct Counts {
    long operations = 0;
    long valuesRead = 0;
    long wrong = 0;         // a value read that is not the sensor's
    long falseSuccess = 0;  // an operation that said it worked when it did not
    long strayWrites = 0;   // cells changed that nobody asked to change, or changed wrongly
    long failed = 0;        // operations that said they failed (allowed)
};

struct Placed {
    int tag;
    int type;
    double targetInches;
    const char* faults;
};
constexpr Placed kSensors[] = {
    {1, 0, 30.0, "drop=0.05,junk=0.01"},
    {2, 1, 45.0, "drop=0.05,junk=0.01,delay=85:65,busy"},
    {3, 0, 25.0, "drop=0.05,junk=0.01,delay=100:10"},
};
constexpr double kCelsius = 20.0;

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lines after the header (which names the file).
std::vector<std::string> valueLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

sim::SensorConfig configOf(const Placed& p) {
    sim::SensorConfig c;
    c.tag = p.tag;
    c.type = p.type;
    return c;
}

// A clean line with one sensor holding the same memory: what a sound link makes of it.
struct Twin {
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    sim::SimSensor* sensor;

    Twin(const Placed& p, const sim::SimSensor& real) {
        sensor = &bus.addSensor(configOf(p));
        for (int a = 0; a < 128; ++a) sensor->setCell(a, real.cell(a));
        sensor->setTargetInches(p.targetInches);
        sensor->setTemperatureC(kCelsius);
        line.open("TWIN", kLineSettings);
    }
    int run(const SetupCommand& c) {
        std::ostringstream out, err;
        return runSetupCommand(c, line, clock, out, err);
    }
};

class Soak {
public:
    Soak(Clock& clock, std::uint32_t seed) : clock_(clock), rng_(seed) {
        for (const Placed& p : kSensors) {
            sim::SimSensor& s = bus_.addSensor(configOf(p));
            s.setTargetInches(p.targetInches);
            s.setTemperatureC(kCelsius);
            sim::SimSetup setup;
            sim::addFaults(p.faults, setup);
            bus_.setFaults(bus_.sensorCount() - 1, sim::faultsFor(setup, p.tag), seed + p.tag);
        }
        bus_.setEcho(true);
        bus_.setRecording(false);  // the simulator's own record is no part of the program
        line_.open("SOAK", kLineSettings);
        poll_.setTags({1, 2, 3});
    }

    void run(double minutes) {
        const std::int64_t start = clock_.nowUs();
        const std::int64_t end = start + static_cast<std::int64_t>(minutes * 60e6);
        std::int64_t nextPeek = start + 20'000'000, nextPoke = start + 40'000'000;
        std::int64_t nextSave = start + 60'000'000, nextProgram = start + 180'000'000;
        std::int64_t nextReport = start + 60'000'000;
        const double cpu0 = cpuSeconds();
        long rssWarm = 0;
        std::string rssTrail;
        std::printf("start: resident memory %ld KiB\n", residentKb());
        while (clock_.nowUs() < end) {
            const std::int64_t now = clock_.nowUs();
            if (now >= nextPeek) {
                peek();
                nextPeek = now + 20'000'000;
            } else if (now >= nextPoke) {
                poke();
                nextPoke = now + 40'000'000;
            } else if (now >= nextSave) {
                saveAndCompare();
                nextSave = now + 60'000'000;
            } else if (now >= nextProgram) {
                program();
                nextProgram = now + 180'000'000;
            } else {
                pollOnce(std::min({nextPeek, nextPoke, nextSave, nextProgram, end}));
            }
            if (clock_.nowUs() >= nextReport) {
                const long rss = residentKb();
                if (rssWarm == 0) rssWarm = rss;
                rssTrail += (rssTrail.empty() ? "" : " ") + std::to_string(rss);
                nextReport += 600'000'000;
                report(clock_.nowUs() - start, cpuSeconds() - cpu0, rssWarm, rssTrail);
            }
        }
        report(clock_.nowUs() - start, cpuSeconds() - cpu0, rssWarm, rssTrail);
    }

private:
    sim::SimSensor& sensorOf(int tag) { return *bus_.sensorWithTag(tag); }
    const Placed& placed(int tag) { return kSensors[tag - 1]; }
    int anyTag() { return 1 + static_cast<int>(rng_() % 3); }

    // One step of the poll, or a sleep until it or the next operation is due.
    void pollOnce(std::int64_t until) {
        const auto i = poll_.step();
        if (!i) {
            clock_.sleepUntil(std::min(poll_.nextDueUs(), until));
            return;
        }
        const SensorRow& r = poll_.rows()[*i];
        if (r.readings == taken_[*i]) return;
        taken_[*i] = r.readings;
        ++counts_.valuesRead;
        const StatusReading& reading = *r.reading;
        const bool right = reading.kind == StatusReading::Kind::Normal &&
                           reading.distanceCount ==
                               static_cast<int>(placed(r.tag).targetInches * 128 + 0.5) &&
                           reading.temperatureC == kCelsius;
        if (!right) {
            ++counts_.wrong;
            std::printf("wrong status of tag %d: distance %d, temperature %g\n", r.tag,
                        reading.distanceCount, reading.temperatureC);
        }
    }

    // The program's own link, as the main window's: hand the line over clean.
    void handOver() { m_.link.letLateAnswersPass(); }

    void peek() {
        ++counts_.operations;
        const int tag = anyTag();
        ui_.tag = std::to_string(tag);
        bool failed = false;
        for (int n = 0; n < 16; ++n) {
            const int a = static_cast<int>(rng_() % 128);
            m_.link.eepromReadAddress = static_cast<std::uint8_t>(a);
            if (!m_.link.exchange(cmd::ReadEeprom, {.quiet = true})) {
                failed = true;
                continue;
            }
            ++counts_.valuesRead;
            if (m_.link.dataByte(1) != sensorOf(tag).cell(a)) {
                ++counts_.wrong;
                std::printf("wrong peek of tag %d cell %d: %d, not %d\n", tag, a,
                            m_.link.dataByte(1), sensorOf(tag).cell(a));
            }
        }
        counts_.failed += failed;
    }

    void poke() {
        ++counts_.operations;
        const int tag = anyTag();
        const int cell = 119 + static_cast<int>(rng_() % 7);
        const int value = static_cast<int>(rng_() % 256);
        const sim::Eeprom before = sensorOf(tag).eeprom();
        ui_.tag = std::to_string(tag);
        const bool verified = m_.link.writeCell(cell, value);
        const sim::Eeprom& after = sensorOf(tag).eeprom();
        if (!verified) ++counts_.failed;
        if (verified && after[static_cast<std::size_t>(cell)] != value) ++counts_.falseSuccess;
        for (int a = 0; a < 128; ++a) {
            if (a != cell && after[static_cast<std::size_t>(a)] != before[static_cast<std::size_t>(a)]) {
                ++counts_.strayWrites;
            }
        }
    }

    void saveAndCompare() {
        ++counts_.operations;
        handOver();
        const int tag = anyTag();
        const std::string file = dir_ + "/soak-" + std::to_string(tag) + ".txt";
        std::ostringstream out, err;
        const int saved = runSetupCommand({"save", file, {tag}}, line_, clock_, out, err);
        Twin twin(placed(tag), sensorOf(tag));
        const std::string expectedFile = dir_ + "/twin.txt";
        twin.run({"save", expectedFile, {tag}});
        if (saved != 0) {
            ++counts_.failed;
            return;
        }
        const auto got = valueLines(fileText(file)), want = valueLines(fileText(expectedFile));
        counts_.valuesRead += static_cast<long>(want.size());
        long differ = got.size() == want.size() ? 0 : static_cast<long>(want.size());
        for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) differ += got[i] != want[i];
        if (differ) {
            counts_.wrong += differ;
            ++counts_.falseSuccess;
            std::printf("save of tag %d: %ld lines wrong\n", tag, differ);
        }
        const int compared = runSetupCommand({"diff", file, {tag}}, line_, clock_, out, err);
        if (compared == 2) ++counts_.failed;
        if (compared == 1) {
            ++counts_.wrong;
            std::printf("diff of tag %d found differences that are not there\n", tag);
        }
    }

    void program() {
        ++counts_.operations;
        handOver();
        const int tag = anyTag();
        const int type = placed(tag).type;
        // Yesterday's setup of this sensor, as a clean line reads it, changed a little.
        const std::string file = dir_ + "/program-" + std::to_string(tag) + ".txt";
        {
            Twin twin(placed(tag), sensorOf(tag));
            twin.run({"save", file, {tag}});
        }
        SetupRead read = readSetupFile(file, type);
        ++programmings_;
        read.values.UserDescription = "Soak " + std::to_string(programmings_);
        read.values.Hysteresis1 = programmings_ % 2 ? "4" : "6";
        saveSetupFile(file, file, read.values);

        const sim::Eeprom before = sensorOf(tag).eeprom();
        Twin twin(placed(tag), sensorOf(tag));
        twin.run({"program", file, {tag}});
        const sim::Eeprom& expected = twin.sensor->eeprom();
        std::ostringstream out, err;
        const int status = runSetupCommand({"program", file, {tag}}, line_, clock_, out, err);
        const sim::Eeprom& after = sensorOf(tag).eeprom();
        long wrongCells = 0, stray = 0;
        for (std::size_t a = 0; a < 128; ++a) {
            if (after[a] == expected[a]) continue;
            ++wrongCells;
            if (after[a] != before[a]) ++stray;
        }
        if (status != 0) ++counts_.failed;
        if (status == 0 && wrongCells) {
            ++counts_.falseSuccess;
            std::printf("programming of tag %d said done with %ld cells wrong\n", tag, wrongCells);
        }
        counts_.strayWrites += stray;
    }

    void report(std::int64_t elapsedUs, double cpu, long rssWarm, const std::string& rssTrail) {
        const double seconds = static_cast<double>(elapsedUs) / 1e6;
        std::printf(
            "after %.0f s: %ld operations, %ld values read, %ld wrong, %ld false successes, %ld "
            "stray writes, %ld failed operations (allowed); CPU %.1f s (%.2f%% of a core); "
            "resident memory %ld KiB after warm-up, every 10 min: %s\n",
            seconds, counts_.operations, counts_.valuesRead, counts_.wrong, counts_.falseSuccess,
            counts_.strayWrites, counts_.failed, cpu, 100 * cpu / seconds, rssWarm,
            rssTrail.c_str());
        std::fflush(stdout);
    }

    Clock& clock_;
    std::mt19937 rng_;
    sim::SimBus bus_;
    sim::SimulatedLine line_{bus_, clock_};
    test::FakeLinkUi ui_;
    ProgramState m_{line_, clock_, ui_};
    RoundRobinPoll poll_{m_.link, m_.formats};
    std::vector<std::uint64_t> taken_ = std::vector<std::uint64_t>(3, 0);
    Counts counts_;
    int programmings_ = 0;
    std::string dir_ = "/tmp";
};

}  // namespace
}  // namespace k7

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 60;
    const bool virtualTime = argc > 2 && std::string(argv[2]) == "virtual";
    k7::SystemClock real;
    k7::VirtualClock virt;
    k7::Clock& clock = virtualTime ? static_cast<k7::Clock&>(virt) : real;
    std::printf("soak: %.0f min of %s time\n", minutes, virtualTime ? "virtual" : "real");
    k7::Soak soak(clock, 1);
    soak.run(minutes);
    return 0;
}
