#include "app/Cli.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include "app/CliAnalyze.h"
#include "app/CliChanges.h"
#include "app/CliEcho.h"
#include "app/CliLog.h"
#include "app/CliPublish.h"
#include "app/CliReport.h"
#include "app/CliSetup.h"
#include "app/CliUi.h"
#include "app/LineOptions.h"
#include "app/TerminalProgress.h"
#include "common/NumberText.h"
#include "common/Version.h"
#include "history/ChangeHistory.h"
#include "history/ChangeText.h"
#include "history/HistoryRecorder.h"
#include "link/Clock.h"
#include "link/Commands.h"
#include "link/Discovery.h"
#include "link/Link.h"
#include "link/QtSerialLine.h"
#include "settings/SensorTypes.h"
#include "settings/Units.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedLine.h"

namespace k7 {
namespace {

class Session {
public:
    Session(SerialLine& line, Clock& clock, std::ostream& out, std::ostream& err, bool terminal)
        : progress(terminal ? &err : nullptr),
          ui(err),
          link(line, clock, ui),
          out_(out),
          err_(err) {
        ui.progress = &progress;
    }

    TerminalProgress progress;
    CliUi ui;
    Link link;
    HistoryRecorder* history = nullptr;  // where program records its changes

    bool failed(const std::string& what) {
        if (ui.noReply || link.programEnding) {
            err_ << "k7700-cli: sensor " << ui.tag << " does not answer (" << what << ")\n";
            return true;
        }
        return false;
    }

    // True (and said once) when the serial device has gone away.
    bool lineGone() {
        if (!link.line().deviceLost()) return false;
        ui.reportLineGone(link.line().lossReason());
        return true;
    }

    std::vector<int> scan(bool firstOnly, int attempts = kProbeAttempts) {
        std::vector<int> found;
        progress.setContext("search");
        for (int tag = 1; tag <= 32 && !lineGone(); ++tag) {
            progress.show("tag " + std::to_string(tag) + " of 32, " + std::to_string(found.size()) +
                          " found");
            if (probeTag(link, tag, attempts)) {
                found.push_back(tag);
                if (firstOnly) break;
            }
        }
        progress.clear();
        return found;
    }

    // A search on a lossy line can miss a sensor: say so when the sensors found lost replies
    // or the line brought bad ones.
    void noteSearch(const std::vector<int>& found, int attempts) {
        std::uint64_t bad = 0, resent = 0;
        for (int tag = 0; tag <= 32; ++tag) bad += link.stats.tag(tag).badReplies;
        for (int tag : found) resent += link.stats.tag(tag).resends;
        if (bad == 0 && resent == 0) return;
        err_ << "k7700-cli: search: " << found.size() << " of 32 tags answered, "
             << 32 - found.size() << " did not (" << attempts << " attempts each); " << bad
             << " bad replies, " << resent
             << " answers needed a second request: the line loses replies and can hide a "
                "sensor (--attempts N asks each tag up to N times)\n";
    }

    // A quiet exchange: the reply's data byte 0, or nullopt.
    std::optional<int> ask(int command) {
        if (!link.exchange(command, {.quiet = true})) return std::nullopt;
        return link.dataByte(0);
    }

    int doScan(int attempts) {
        const std::vector<int> found = scan(false, attempts);
        if (lineGone()) return 1;
        if (found.empty()) {
            err_ << "k7700-cli: no sensor answered on tags 1 to 32\n";
            return 1;
        }
        int status = 0;
        for (int tag : found) {
            ui.tag = std::to_string(tag);
            const auto type = ask(cmd::SensorType);
            const auto firmware = type ? ask(cmd::FirmwareVersion) : std::nullopt;
            if (lineGone()) return 1;
            if (!type || !firmware) {
                // Found a moment ago: a sensor that stops now is a failure, not an answer.
                err_ << "k7700-cli: sensor " << tag << " stopped answering ("
                     << (type ? "firmware version" : "sensor type") << ")\n";
                status = 1;
                continue;
            }
            out_ << "tag " << tag << ": type " << *type << " (" << sensorTypeInfo(*type).caption
                 << "), firmware " << *firmware << "\n";
        }
        noteSearch(found, attempts);
        return status;
    }

    int doPeek(int addr, int count) {
        out_ << "tag " << ui.tag << "\n";
        for (int a = addr; a < addr + count; ++a) {
            link.eepromReadAddress = static_cast<std::uint8_t>(a);
            link.sendRequest(cmd::ReadEeprom);
            link.readReply();
            if (failed("reading cell " + std::to_string(a))) return 1;
            out_ << a << ": " << int(link.dataByte(1)) << "\n";
        }
        return 0;
    }

    int doPoke(int addr, int value, bool unlock) {
        ChangeScope change(link, "Poke");
        link.writeEepromAddress = std::to_string(addr);
        link.writeEepromData = std::to_string(value);
        if (unlock) link.sendRequest(cmd::Unlock);
        link.sendRequest(cmd::WriteEeprom);
        if (failed("writing cell " + std::to_string(addr))) return 1;
        if (ui.verifyFailed) {
            err_ << "k7700-cli: cell " << addr << " did not take the value " << value
                 << " after 10 writes"
                 << (addr < 30 && !unlock ? " (protected cell: add --unlock)" : "") << "\n";
            return 1;
        }
        out_ << addr << ": " << value << " written and verified\n";
        return 0;
    }

    // The replies of n status exchanges as a table: a header line, then one tab-separated line
    // a reply read (a re-sent request reads more than one).
    int doHistory(int n) {
        out_ << "tag " << ui.tag << "\n";
        const std::uint64_t before = link.history.written;
        for (int i = 0; i < n; ++i) {
            link.sendRequest(cmd::Status);
            link.readReply();
            if (failed("status")) return 1;
        }
        for (const std::string& note : link.stats.notes)
            err_ << "k7700-cli: note: " << note << "\n";
        out_ << "reply\ttime\ttag\tstatus\tdata0\tdata1\tdata2\tchecksum\n";
        int number = 0;
        for (const HistoryRecord& r : link.history.latest(link.history.written - before)) {
            out_ << ++number << "\t" << isoTimeOfDay(r.time);
            for (std::uint8_t b : r.bytes) out_ << "\t" << int(b);
            out_ << "\n";
        }
        return 0;
    }

    int doEcho(const std::string& file, Gain gain, int units,
               std::optional<AnalyzeOptions> analyze) {
        return runEcho(link.line(), link.clock(), ui, {file, gain, units, analyze}, out_, err_);
    }

    // save, diff and program: on the main window's setup-file code (CliSetup).
    int doSetup(const std::string& name, const std::string& file, std::vector<int> tags,
                int units) {
        if (tags.empty()) tags = {std::stoi(ui.tag)};
        return runSetupCommand({name, file, std::move(tags), units, &progress, history}, link.line(),
                               link.clock(), out_, err_);
    }

    int doReport(const std::string& file, std::vector<int> tags, int units) {
        if (tags.empty()) tags = {std::stoi(ui.tag)};
        return runReport({file, std::move(tags), units}, link.line(), link.clock(), progress, out_,
                         err_);
    }

    // The tags named, or every tag that answers a search.
    int doHealth(std::vector<int> tags, int seconds, int attempts) {
        if (tags.empty()) tags = scan(false, attempts);
        if (lineGone()) return 1;
        if (tags.empty()) {
            err_ << "k7700-cli: no sensor answered on tags 1 to 32\n";
            return 1;
        }
        SignalStop stop;
        return runHealth(tags, seconds, link, stop, progress, out_, err_);
    }

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }

private:
    std::ostream& out_;
    std::ostream& err_;
};

// The options a command may take beside the line's, and what they mean.
struct OptionHelp {
    OptionForm form;
    const char* meaning;
};
const OptionHelp kCommandOptions[] = {
    {{"--id", "N"}, "the sensor's ID tag (default: the first that answers)"},
    {{"--unlock"}, "send the unlock code first (cells below 30)"},
    {{"--units", "U"}, "distances shown in cm, in (default), ft or m"},
    {{"--gain", "G"}, "the acoustic record's gain: normal (default), low or high"},
    {{"--seconds", "S"}, "health: how long it polls (default 10); log: how long it logs"},
    {{"--interval", "MS"}, "log, publish: each sensor read every MS ms (default 220)"},
    {{"--analyze"}, "echo: print the analysis of the record too"},
    {{"--json"}, "the analysis as JSON"},
    {{"--min-margin", "X"}, "exit 1 unless the target's margin is X counts or more"},
    {{"--baseline", "FILE"}, "analyze: compare with this saved record"},
    {{"--threshold", "V"}, "analyze: the sensor's threshold, 1.7, 2.0 (default), 2.5, 3.0 or 3.5"},
    {{"--attempts", "N"}, "scan, health: requests to each tag in the search (default 2)"},
    {{"--broker", "URL"}, "publish: the MQTT broker, mqtt://HOST[:PORT] or mqtts://..."},
    {{"--line", "NAME"}, "publish: the line's topic level (default: the port's name)"},
    {{"--topic-prefix", "P"}, "publish: the topics' prefix (default k7700)"},
    {{"--client-id", "ID"}, "publish: the MQTT client id (default k7700-HOST-LINE)"},
    {{"--username", "U"}, "publish: the broker's user name"},
    {{"--password-file", "F"},
     "publish: the password's file (or K7700_MQTT_PASSWORD; never an option)"},
    {{"--tls-ca", "FILE"}, "publish: the CA that signed an mqtts:// broker's certificate"},
    {{"--discovery", "homeassistant"}, "publish: Home Assistant's discovery configs too"},
    {{"--serial", "N"}, "changes: the sensor with this serial number"},
    {{"--since", "DATE"}, "changes: from this local date (and time) on, e.g. 2026-12-06 14:00"},
    {{"--csv"}, "changes: as CSV, every field"},
    {{"--export", "FILE"}, "changes: into FILE.csv, every field"},
    {{"--history", "FILE"},
     "poke, program, changes: the change history (default: $K7700_HISTORY, else "
     "~/.local/share/k7700/history.sqlite)"},
};

struct Options : LineChoice {
    std::string command;
    std::vector<std::string> operands;
    std::vector<std::string> given;  // the command options given, by name
    std::vector<int> numbers;        // the operands, as the command checked them
    bool unlock = false;
    std::optional<int> id;
    std::vector<int> ids;  // program, report, health and log take several
    int units = kIn;
    int seconds = 10;
    int attempts = kProbeAttempts;
    std::string gain = "normal";
    std::string interval;                        // as given; log checks it
    std::string minMargin, baseline, threshold;  // as given; echo and analyze check them
    AnalyzeOptions analysis;                     // ... into this
    std::map<std::string, std::string> texts;    // every command option as written
    std::string history;                         // --history
    std::optional<long> serial;
    std::string since, exportFile;
    bool csv = false;
};

bool given(const Options& o, const char* option) {
    return std::find(o.given.begin(), o.given.end(), option) != o.given.end();
}

// The analysis options of echo and analyze, checked into o.analysis; an error for bad usage.
std::optional<std::string> checkAnalysis(Options& o) {
    AnalyzeOptions& a = o.analysis;
    a.json = given(o, "--json");
    a.unit = o.units;
    if (given(o, "--min-margin")) {
        double x = 0;
        if (!parseNumber(o.minMargin, &x) || x < -255 || x > 255) {
            return "--min-margin must be a number of counts, -255 to 255";
        }
        a.minMargin = x;
    }
    if (given(o, "--threshold")) {
        const std::optional<int> code = thresholdCodeOfVolts(o.threshold);
        if (!code) return "--threshold must be 1.7, 2.0, 2.5, 3.0 or 3.5 (volts)";
        a.thresholdCode = *code;
    }
    return std::nullopt;
}

// Which sensor a command talks to.
enum class Addressing { None, IdOrFirst, IdRequired };

// One command of the tool. Adding one is a line in kCommands: its usage, the options it takes,
// how it checks its operands and what it runs.
struct Command {
    const char* name;
    const char* operands;  // as the usage shows them: "ADDR [COUNT]"
    const char* summary;
    std::vector<const char*> options;  // of kCommandOptions
    Addressing addressing;
    std::optional<std::string> (*check)(Options& o);  // fills o.numbers; an error: exit 2
    int (*run)(Session& s, const Options& o);
    int failure = 1;           // the exit status when the port or the sensor fails
    bool severalTags = false;  // --id takes a comma list
    bool realTime = false;     // runs on the clock even with simulated sensors
    // A command on saved files: no line is opened, and run is not used.
    int (*runAlone)(const Options& o, std::ostream& out, std::ostream& err) = nullptr;
};

// Operand i as a whole number within lo..hi.
std::optional<int> intOperand(const Options& o, std::size_t i, int lo, int hi) {
    if (i >= o.operands.size()) return std::nullopt;
    double v = 0;
    if (!parseNumber(o.operands[i], &v) || v != static_cast<int>(v) || v < lo || v > hi) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

std::optional<std::string> noOperandsBeyond(const Options& o, std::size_t count) {
    if (o.operands.size() <= count) return std::nullopt;
    return "unexpected argument \"" + o.operands[count] + "\" after " + o.command;
}

std::optional<std::string> oneFile(Options& o) {
    if (auto extra = noOperandsBeyond(o, 1)) return extra;
    if (o.operands.empty()) return o.command + " FILE: name one file";
    return std::nullopt;
}

// --interval (default 220) into o.numbers.
std::optional<std::string> checkInterval(Options& o) {
    double interval = 220;
    if (!o.interval.empty() &&
        (!parseNumber(o.interval, &interval) || interval != static_cast<int>(interval) ||
         interval < 0 || interval > 3'600'000)) {
        return "--interval must be a whole number of milliseconds, 0 to 3600000";
    }
    o.numbers = {static_cast<int>(interval)};
    return std::nullopt;
}

// publish's broker and topics; the line is named after the port unless --line names it.
std::optional<std::string> publishSettings(const Options& o, PublishSettings& s) {
    const std::string line =
        o.simulate ? "simulated" : o.port.substr(o.port.find_last_of('/') + 1);
    return readPublishSettings(o.texts, line, std::getenv(kPasswordVariable), s);
}

int setupCommand(Session& s, const Options& o) {
    return s.doSetup(o.command, o.operands.front(), o.ids, o.units);
}

const Command kCommands[] = {
    {"scan",
     "",
     "list the sensors that answer, with type and firmware",
     {"--attempts"},
     Addressing::None,
     [](Options& o) { return noOperandsBeyond(o, 0); },
     [](Session& s, const Options& o) { return s.doScan(o.attempts); }},
    {"peek",
     "ADDR [COUNT]",
     "read EEPROM cells ADDR..ADDR+COUNT-1 (within 0..127)",
     {"--id"},
     Addressing::IdOrFirst,
     [](Options& o) -> std::optional<std::string> {
         if (auto extra = noOperandsBeyond(o, 2)) return extra;
         auto a = intOperand(o, 0, 0, 127);
         auto c = o.operands.size() > 1 ? intOperand(o, 1, 1, 128) : std::optional<int>(1);
         if (!a || !c || *a + *c > 128) {
             return "peek ADDR [COUNT]: the cells ADDR..ADDR+COUNT-1 must lie within 0..127";
         }
         o.numbers = {*a, *c};
         return std::nullopt;
     },
     [](Session& s, const Options& o) { return s.doPeek(o.numbers[0], o.numbers[1]); }},
    {"poke",
     "ADDR VALUE",
     "write one EEPROM cell and verify it",
     {"--id", "--unlock", "--history"},
     Addressing::IdRequired,
     [](Options& o) -> std::optional<std::string> {
         if (auto extra = noOperandsBeyond(o, 2)) return extra;
         auto a = intOperand(o, 0, 0, 127);
         auto v = intOperand(o, 1, 0, 255);
         if (!a || !v) return "poke ADDR VALUE with ADDR 0..127 and VALUE 0..255";
         o.numbers = {*a, *v};
         return std::nullopt;
     },
     [](Session& s, const Options& o) { return s.doPoke(o.numbers[0], o.numbers[1], o.unlock); }},
    {"history",
     "[N]",
     "make N status exchanges (default 10), print the replies",
     {"--id"},
     Addressing::IdOrFirst,
     [](Options& o) -> std::optional<std::string> {
         if (auto extra = noOperandsBeyond(o, 1)) return extra;
         auto n = o.operands.empty() ? std::optional<int>(10) : intOperand(o, 0, 1, 10000);
         if (!n) return "history [N] with N 1..10000";
         o.numbers = {*n};
         return std::nullopt;
     },
     [](Session& s, const Options& o) { return s.doHistory(o.numbers[0]); }},
    {"echo",
     "FILE",
     "the acoustic record into a data file (CSV for .csv)",
     {"--id", "--units", "--gain", "--analyze", "--json", "--min-margin"},
     Addressing::IdRequired,
     [](Options& o) -> std::optional<std::string> {
         if (auto e = oneFile(o)) return e;
         if (!gainNamed(o.gain)) return "--gain must be normal, low or high";
         if (!given(o, "--analyze") && (given(o, "--json") || given(o, "--min-margin"))) {
             return "--json and --min-margin go with --analyze";
         }
         return checkAnalysis(o);
     },
     [](Session& s, const Options& o) {
         return s.doEcho(o.operands.front(), *gainNamed(o.gain), o.units,
                         given(o, "--analyze") ? std::optional(o.analysis) : std::nullopt);
     }},
    {"analyze",
     "FILE",
     "analysis of a saved acoustic data file, no sensor",
     {"--units", "--baseline", "--json", "--min-margin", "--threshold"},
     Addressing::None,
     [](Options& o) -> std::optional<std::string> {
         if (auto e = oneFile(o)) return e;
         if (o.simulate || !o.port.empty()) {
             return "analyze reads saved files: --port and --simulate do not apply";
         }
         return checkAnalysis(o);
     },
     nullptr,
     1,
     false,
     false,
     [](const Options& o, std::ostream& out, std::ostream& err) {
         return runAnalyze(o.operands.front(),
                           given(o, "--baseline") ? std::optional(o.baseline) : std::nullopt,
                           o.analysis, out, err);
     }},
    {"save",
     "FILE",
     "write the sensor's setup file",
     {"--id", "--units"},
     Addressing::IdOrFirst,
     oneFile,
     setupCommand},
    // diff keeps 1 for "they differ".
    {"diff",
     "FILE",
     "compare a setup file with the sensor (exit 0 same, 1 not)",
     {"--id", "--units"},
     Addressing::IdOrFirst,
     oneFile,
     setupCommand,
     2},
    {"program",
     "FILE",
     "check the file, then program each sensor of --id N[,N...]",
     {"--id", "--units", "--history"},
     Addressing::IdRequired,
     oneFile,
     setupCommand,
     1,
     true},
    {"report",
     "FILE.pdf",
     "a commissioning report, one PDF page a sensor of --id N[,N...]",
     {"--id", "--units"},
     Addressing::IdOrFirst,
     oneFile,
     [](Session& s, const Options& o) { return s.doReport(o.operands.front(), o.ids, o.units); },
     1,
     true},
    {"health",
     "",
     "poll the tags of --id N[,N...] (default: all found) for S seconds, print line health",
     {"--id", "--seconds", "--attempts"},
     Addressing::None,
     [](Options& o) { return noOperandsBeyond(o, 0); },
     [](Session& s, const Options& o) { return s.doHealth(o.ids, o.seconds, o.attempts); },
     1,
     true},
    {"log",
     "FILE",
     "status readings of each sensor of --id N[,N...] into a CSV file, round-robin",
     {"--id", "--units", "--seconds", "--interval"},
     Addressing::IdRequired,
     [](Options& o) -> std::optional<std::string> {
         if (auto e = oneFile(o)) return e;
         return checkInterval(o);
     },
     [](Session& s, const Options& o) {
         LogCommand c{o.operands.front(), o.ids, std::nullopt, o.numbers[0], {o.units, kCelsius}};
         // Without --seconds the log runs until it is stopped.
         if (std::find(o.given.begin(), o.given.end(), "--seconds") != o.given.end())
             c.seconds = o.seconds;
         SignalStop stop;
         return runLog(s.link, c, stop, s.out(), s.err());
     },
     1,
     true,
     true},
    {"changes",
     "",
     "the change history, newest first: what was programmed, when, by whom",
     {"--serial", "--id", "--since", "--csv", "--export", "--history", "--units"},
     Addressing::None,
     [](Options& o) -> std::optional<std::string> {
         if (auto extra = noOperandsBeyond(o, 0)) return extra;
         if (o.simulate || !o.port.empty()) {
             return "changes reads the change history only: it takes no --port or --simulate";
         }
         if (o.serial && o.id) return "changes: name the sensor by --serial or by --id, not both";
         if (!o.since.empty() && !utcFromLocal(o.since)) {
             return "--since must be a date, 2026-12-06, or a date and time, 2026-12-06 14:00";
         }
         return std::nullopt;
     },
     nullptr,
     1,
     false,
     false,
     [](const Options& o, std::ostream& out, std::ostream& err) {
         return runChanges({historyPath(o.history), o.serial, o.id,
                            o.since.empty() ? "" : *utcFromLocal(o.since), o.csv, o.exportFile,
                            o.units},
                           out, err);
     }},
    {"publish",
     "",
     "publish the sensors of --id N[,N...] (default: all found) to an MQTT broker",
     {"--id", "--units", "--interval", "--broker", "--line", "--topic-prefix", "--client-id",
      "--username", "--password-file", "--tls-ca", "--discovery"},
     Addressing::None,
     [](Options& o) -> std::optional<std::string> {
         if (auto e = noOperandsBeyond(o, 0)) return e;
         if (auto e = checkInterval(o)) return e;
         PublishSettings checked;
         return publishSettings(o, checked);
     },
     [](Session& s, const Options& o) {
         PublishCommand c{{}, o.ids, o.numbers[0], o.units};
         if (auto e = publishSettings(o, c.settings)) {  // a file gone since the check
             s.err() << "k7700-cli: " << *e << "\n";
             return 2;
         }
         if (c.tags.empty()) c.tags = s.scan(false);
         if (s.lineGone()) return 1;
         if (c.tags.empty()) {
             s.err() << "k7700-cli: no sensor answered on tags 1 to 32\n";
             return 1;
         }
         SignalStop stop;
         return runPublish(s.link, c, stop, s.out(), s.err());
     },
     1,
     true,
     true},
};

std::string usage() {
    std::string u =
        "usage: k7700-cli COMMAND [OPERANDS] [OPTIONS] --port DEVICE\n"
        "       k7700-cli COMMAND [OPERANDS] [OPTIONS] --simulate [--sensors LIST]\n"
        "                 [--fault RULE]... [--scene LIST]... [--seed N]\n"
        "       k7700-cli analyze FILE [OPTIONS]            (saved files: no port)\n"
        "Talks to K7700 sensors on the same link as the desktop program; never waits for a\n"
        "window. Exit status: 0 done, 1 the port could not be opened or a sensor did not\n"
        "answer or take a write, 2 bad usage. Options take --name VALUE or --name=VALUE.\n"
        "\nCommands:\n";
    auto row = [&u](const std::string& left, const std::string& right) {
        constexpr std::size_t kColumn = 30;
        u += "  " + left;
        u += left.size() + 2 <= kColumn ? std::string(kColumn - left.size(), ' ')
                                        : "\n" + std::string(kColumn + 2, ' ');
        u += right + "\n";
    };
    for (const Command& c : kCommands) {
        std::string left = std::string(c.name) + (*c.operands ? " " : "") + c.operands;
        for (const char* name : c.options) {
            const auto h = std::find_if(
                std::begin(kCommandOptions), std::end(kCommandOptions),
                [name](const OptionHelp& o) { return o.form.name == std::string(name); });
            const bool required =
                c.addressing == Addressing::IdRequired && h->form.name == std::string("--id");
            const std::string synopsis = optionSynopsis(h->form);
            left += required ? " " + synopsis : " [" + synopsis + "]";
        }
        row(left, c.summary);
    }
    u += "\nOptions:\n";
    row("--port DEVICE", "the serial device the sensors are on, e.g. /dev/ttyUSB0");
    row("--simulate", "simulated sensors instead (default: one sensor, tag 1)");
    row("--sensors LIST", "simulated sensors, TAG[:TYPE[:FIRMWARE]],... (or --sensor)");
    row("--fault RULE", "a simulated fault, repeatable (see k7700-sim --help)");
    row("--seed N", "seed of the simulated faults");
    row("--scene LIST", "simulated target and acoustic record (see k7700-sim --help)");
    for (const OptionHelp& o : kCommandOptions) row(optionSynopsis(o.form), o.meaning);
    row("-h, --help", "this text");
    row("--version", "the program's version");
    return u;
}

// Reads the arguments into o; an error names the argument at fault.
std::optional<std::string> parse(const std::vector<std::string>& args, Options& o,
                                 const Command*& command, bool& help, bool& version) {
    std::vector<OptionForm> known = lineOptionSpecs();
    for (const OptionHelp& h : kCommandOptions) known.push_back(h.form);
    SplitArgs split;
    if (auto e = splitArgs(args, known, split)) return e;
    help = split.help;
    version = split.version;
    if (help || version) return std::nullopt;
    for (const Arg& a : split.items) {
        if (a.option.empty()) {
            (o.command.empty() ? o.command : o.operands.emplace_back()) = a.value;
            continue;
        }
        bool taken = false;
        if (auto e = applyLineOption(a, o, taken)) return e;
        if (taken) continue;
        o.given.push_back(a.option);
        o.texts[a.option] = a.value;
        if (a.option == "--unlock") o.unlock = true;
        if (a.option == "--id") {
            o.ids.clear();
            for (std::size_t start = 0; start <= a.value.size();) {
                const std::size_t comma = std::min(a.value.find(',', start), a.value.size());
                double n = 0;
                if (!parseNumber(a.value.substr(start, comma - start), &n) ||
                    n != static_cast<int>(n) || n < 1 || n > 32) {
                    return "--id must be a tag from 1 to 32 (program, report, health, log, "
                           "publish: a comma list)";
                }
                o.ids.push_back(static_cast<int>(n));
                start = comma + 1;
            }
            o.id = o.ids.front();
        }
        if (a.option == "--gain") o.gain = a.value;
        if (a.option == "--seconds") {
            double s = 0;
            if (!parseNumber(a.value, &s) || s != static_cast<int>(s) || s < 1 || s > 86400) {
                return "--seconds must be a whole number from 1 to 86400";
            }
            o.seconds = static_cast<int>(s);
        }
        if (a.option == "--interval") o.interval = a.value;
        if (a.option == "--history") o.history = a.value;
        if (a.option == "--since") o.since = a.value;
        if (a.option == "--export") o.exportFile = a.value;
        if (a.option == "--csv") o.csv = true;
        if (a.option == "--serial") {
            double n = 0;
            if (!parseNumber(a.value, &n) || n != static_cast<long>(n) || n < 0 || n > 16777215) {
                return "--serial must be a serial number from 0 to 16777215";
            }
            o.serial = static_cast<long>(n);
        }
        if (a.option == "--min-margin") o.minMargin = a.value;
        if (a.option == "--baseline") o.baseline = a.value;
        if (a.option == "--threshold") o.threshold = a.value;
        if (a.option == "--attempts") {
            double n = 0;
            if (!parseNumber(a.value, &n) || n != static_cast<int>(n) || n < 1 || n > 20) {
                return "--attempts must be a whole number from 1 to 20";
            }
            o.attempts = static_cast<int>(n);
        }
        if (a.option == "--units") {
            const auto u = std::find(kUnitName.begin(), kUnitName.end(), a.value);
            if (u == kUnitName.end()) return "--units must be cm, in, ft or m";
            o.units = static_cast<int>(u - kUnitName.begin());
        }
    }
    if (o.command.empty()) return "no command given (see --help)";
    command = nullptr;
    for (const Command& c : kCommands) {
        if (o.command == c.name) command = &c;
    }
    if (!command) return "unknown command \"" + o.command + "\" (see --help)";
    for (const std::string& name : o.given) {
        const auto& allowed = command->options;
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
            return name + " does not apply to " + o.command;
        }
    }
    if (auto e = checkLineChoice(o)) return e;
    if (!command->runAlone && !o.simulate && o.port.empty()) {
        return "name a port with --port DEVICE, or use --simulate";
    }
    if (auto e = command->check(o)) return e;
    if (command->addressing == Addressing::IdRequired && !o.id) {
        // A write never goes to whichever sensor happened to answer first.
        return o.command + " changes the sensors it names: name them with --id N";
    }
    if (o.ids.size() > 1 && !command->severalTags) {
        return "--id: only program, report, health, log and publish take several tags";
    }
    return std::nullopt;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool terminal) {
    Options o;
    const Command* command = nullptr;
    bool help = false, version = false;
    if (auto e = parse(args, o, command, help, version)) {
        err << "k7700-cli: " << *e << "\n";
        return 2;
    }
    if (help) {
        out << usage();
        return 0;
    }
    if (version) {
        out << "k7700-cli " << versionText() << "\n";
        return 0;
    }
    if (command->runAlone) return command->runAlone(o, out, err);

    // Simulated sensors run on a virtual clock (started at the time of day): same exchanges,
    // no waiting. The logger keeps real time: it runs until its time is up or it is stopped.
    SystemClock realClock;
    VirtualClock virtualClock(realClock.secondsSinceMidnight());
    Clock& clock = o.simulate && !command->realTime ? static_cast<Clock&>(virtualClock) : realClock;
    sim::SimBus bus;
    std::unique_ptr<SerialLine> line;
    if (o.simulate) {
        line = sim::buildSimulatedLine(o.sim, bus, clock);
    } else {
        line = std::make_unique<QtSerialLine>(clock);
    }
    const std::string device = o.simulate ? "simulated sensors" : o.port;
    try {
        line->open(device, kLineSettings);
    } catch (const LineError& e) {
        err << "k7700-cli: cannot open the port: " << e.what() << "\n";
        return command->failure;
    }

    Session s(*line, clock, out, err, terminal);
    for (const std::string& note : line->takeNotes()) s.link.stats.note(note);
    if (o.id) {
        s.ui.tag = std::to_string(*o.id);
    } else if (command->addressing == Addressing::IdOrFirst) {
        const std::vector<int> first = s.scan(true);
        if (s.lineGone()) return command->failure;
        if (first.empty()) {
            err << "k7700-cli: no sensor answered on tags 1 to 32\n";
            return command->failure;
        }
        s.ui.tag = std::to_string(first.front());
    }
    // Whatever the command writes into a sensor goes into the change history; a history that
    // cannot be written is said once, after the command, and changes nothing of its outcome.
    HistoryRecorder history({historyPath(o.history), "k7700-cli " + versionText(),
                             [device] { return device; }});
    s.link.changeSink = &history;
    s.history = &history;
    const int status = command->run(s, o);
    for (const std::string& line : history.flush()) err << "k7700-cli: " << line << "\n";
    return status;
}

}  // namespace k7
