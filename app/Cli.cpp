#include "app/Cli.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>

#include "app/CliEcho.h"
#include "app/CliSetup.h"
#include "app/CliUi.h"
#include "common/VbText.h"
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

const char* kUsage =
    "usage: k7700-cli COMMAND (--port DEVICE | --simulate [--sensors LIST] [--fault RULE]... "
    "[--seed N]) [--id N] [--units cm|in|ft|m]\n"
    "  scan                 list the sensors that answer, with type and firmware\n"
    "  peek ADDR [COUNT]    read EEPROM cells ADDR..ADDR+COUNT-1 (all within 0..127)\n"
    "  poke ADDR VALUE      write one EEPROM cell and verify it (--unlock for cells below 30);\n"
    "                       needs --id\n"
    "  history [N]          make N status exchanges (default 10) and print the comm history\n"
    "  echo FILE            capture the acoustic record (display mode, then a restart) into\n"
    "                       an acoustic data file, or CSV (distances in --units) when FILE\n"
    "                       ends in .csv; needs --id; --gain normal|low|high (default normal)\n"
    "  save FILE            write the sensor's setup file\n"
    "  diff FILE            compare a setup file with the sensor; exit status 0 when they\n"
    "                       agree, 1 when they differ, 2 when either cannot be read\n"
    "  program FILE         check the file's values as the main window does, then program\n"
    "                       each sensor of --id N[,N...] (the ID tag is never changed); one\n"
    "                       line a sensor\n"
    "  --id N               the sensor's ID tag (peek, history, save and diff: default the\n"
    "                       first sensor that answers; the output names the tag used)\n"
    "  --units U            distances shown in cm, in (default), ft or m\n";

struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::string port;
    bool simulate = false;
    bool unlock = false;
    std::optional<int> id;
    std::vector<int> ids;  // program takes several
    int units = kIn;
    std::string gain = "normal";
    sim::SimSetup sim;
};

std::optional<std::string> parse(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        std::optional<std::string> err;
        if (a == "--simulate") {
            o.simulate = true;
        } else if (a == "--unlock") {
            o.unlock = true;
        } else if (a == "--port" || a == "--id" || a == "--sensors" || a == "--fault" ||
                   a == "--seed" || a == "--units" || a == "--gain") {
            auto v = next();
            if (!v) return a + " needs a value";
            if (a == "--port") o.port = *v;
            if (a == "--sensors") err = sim::addSensors(*v, o.sim);
            if (a == "--fault") err = sim::addFaults(*v, o.sim);
            if (a == "--seed") err = sim::setSeed(*v, o.sim);
            if (a == "--gain") o.gain = *v;
            if (a == "--id") {
                o.ids.clear();
                for (std::size_t start = 0; start <= v->size();) {
                    const std::size_t comma = std::min(v->find(',', start), v->size());
                    double n = 0;
                    if (!parseNumber(v->substr(start, comma - start), &n) ||
                        n != static_cast<int>(n) || n < 1 || n > 32) {
                        return "--id must be a tag from 1 to 32 (program: a comma list)";
                    }
                    o.ids.push_back(static_cast<int>(n));
                    start = comma + 1;
                }
                o.id = o.ids.front();
            }
            if (a == "--units") {
                const auto u = std::find(kUnitName.begin(), kUnitName.end(), *v);
                if (u == kUnitName.end()) return "--units must be cm, in, ft or m";
                o.units = static_cast<int>(u - kUnitName.begin());
            }
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a;
        } else if (o.command.empty()) {
            o.command = a;
        } else {
            o.operands.push_back(a);
        }
        if (err) return *err;
    }
    if (o.command.empty()) return "no command given";
    if (o.simulate == !o.port.empty()) return "name a port with --port DEVICE, or use --simulate";
    if (o.ids.size() > 1 && o.command != "program") return "only program takes several tags";
    return std::nullopt;
}

std::optional<int> intOperand(const Options& o, std::size_t i, int lo, int hi) {
    if (i >= o.operands.size()) return std::nullopt;
    double v = 0;
    if (!parseNumber(o.operands[i], &v) || v != static_cast<int>(v) || v < lo || v > hi) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

class Session {
public:
    Session(SerialLine& line, Clock& clock, std::ostream& out, std::ostream& err)
        : ui(err), link(line, clock, ui), out_(out), err_(err) {}

    CliUi ui;
    Link link;

    bool failed(const std::string& what) {
        if (ui.noReply || link.ProgramEnding) {
            err_ << "k7700-cli: sensor " << ui.tag << " does not answer (" << what << ")\n";
            return true;
        }
        return false;
    }

    std::vector<int> scan(bool firstOnly) {
        std::vector<int> found;
        for (int tag = 1; tag <= 32; ++tag) {
            if (probeTag(link, tag)) {
                found.push_back(tag);
                if (firstOnly) break;
            }
        }
        return found;
    }

    // A quiet exchange: the reply's data byte 0, or nullopt.
    std::optional<int> ask(int command) {
        link.SendRequest(command);
        link.SuppressNoCommWindow = true;
        link.ReadCommBlock();
        if (!link.CommOK) return std::nullopt;
        return link.dataByte(0);
    }

    int doScan() {
        const std::vector<int> found = scan(false);
        if (found.empty()) {
            err_ << "k7700-cli: no sensor answered on tags 1 to 32\n";
            return 1;
        }
        for (int tag : found) {
            ui.tag = std::to_string(tag);
            out_ << "tag " << tag;
            if (auto type = ask(cmd::SensorType)) {
                out_ << ": type " << *type << " (" << sensorTypeInfo(*type).caption << ")";
            } else {
                out_ << ": type not reported";
            }
            if (auto fw = ask(cmd::FirmwareVersion)) {
                out_ << ", firmware " << *fw;
            } else {
                out_ << ", firmware not reported";
            }
            out_ << "\n";
        }
        return 0;
    }

    int doPeek(int addr, int count) {
        out_ << "tag " << ui.tag << "\n";
        for (int a = addr; a < addr + count; ++a) {
            link.EEReadAddress = static_cast<std::uint8_t>(a);
            link.SendRequest(cmd::ReadEeprom);
            link.ReadCommBlock();
            if (failed("reading cell " + std::to_string(a))) return 1;
            out_ << a << ": " << int(link.dataByte(1)) << "\n";
        }
        return 0;
    }

    int doPoke(int addr, int value, bool unlock) {
        link.WriteEEAdr = std::to_string(addr);
        link.WriteEEdata = std::to_string(value);
        if (unlock) link.SendRequest(cmd::Unlock);
        link.SendRequest(cmd::WriteEeprom);
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

    int doHistory(int n) {
        out_ << "tag " << ui.tag << "\n";
        for (int i = 0; i < n; ++i) {
            link.SendRequest(cmd::Status);
            link.ReadCommBlock();
            if (failed("status")) return 1;
        }
        for (const std::string& note : link.stats.notes)
            err_ << "k7700-cli: note: " << note << "\n";
        std::string text = link.history.fileText();
        std::string unix;
        for (char c : text) {
            if (c != '\r') unix += c;
        }
        out_ << unix;
        return 0;
    }

private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (auto e = parse(args, o)) {
        err << "k7700-cli: " << *e << "\n" << kUsage;
        return 2;
    }
    int addr = 0, count = 1, value = 0, n = 10;
    EchoCommand echo;
    if (o.command == "peek") {
        auto a = intOperand(o, 0, 0, 127);
        auto c = o.operands.size() > 1 ? intOperand(o, 1, 1, 128) : std::optional<int>(1);
        if (!a || !c || o.operands.size() > 2 || *a + *c > 128) {
            err << "k7700-cli: peek ADDR [COUNT]: the cells ADDR..ADDR+COUNT-1 must lie within "
                   "0..127\n";
            return 2;
        }
        addr = *a;
        count = *c;
    } else if (o.command == "poke") {
        auto a = intOperand(o, 0, 0, 127);
        auto v = intOperand(o, 1, 0, 255);
        if (!a || !v || o.operands.size() != 2) {
            err << "k7700-cli: poke ADDR VALUE with ADDR 0..127 and VALUE 0..255\n";
            return 2;
        }
        if (!o.id) {
            // A write never goes to whichever sensor happened to answer first.
            err << "k7700-cli: poke writes to one sensor: name it with --id N\n";
            return 2;
        }
        addr = *a;
        value = *v;
    } else if (o.command == "history") {
        auto k = o.operands.empty() ? std::optional<int>(10) : intOperand(o, 0, 1, 10000);
        if (!k || o.operands.size() > 1) {
            err << "k7700-cli: history [N] with N 1..10000\n";
            return 2;
        }
        n = *k;
    } else if (o.command == "echo") {
        const std::optional<Gain> gain = gainNamed(o.gain);
        if (o.operands.size() != 1 || !gain) {
            err << "k7700-cli: echo FILE [--gain normal|low|high]\n";
            return 2;
        }
        if (!o.id) {
            err << "k7700-cli: echo puts one sensor in its display mode: name it with --id N\n";
            return 2;
        }
        echo = {o.operands[0], *gain, o.units};
    } else if (o.command == "save" || o.command == "diff" || o.command == "program") {
        if (o.operands.size() != 1) {
            err << "k7700-cli: " << o.command << " FILE: name one setup file\n";
            return 2;
        }
        if (o.command == "program" && !o.id) {
            err << "k7700-cli: program writes to the sensors named with --id N[,N...]\n";
            return 2;
        }
    } else if (o.command != "scan" || !o.operands.empty()) {
        err << "k7700-cli: unknown command " << o.command << "\n" << kUsage;
        return 2;
    }

    // Simulated sensors run on a virtual clock (started at the time of day): same exchanges,
    // no waiting.
    SystemClock realClock;
    VirtualClock virtualClock(realClock.secondsSinceMidnight());
    Clock& clock = o.simulate ? static_cast<Clock&>(virtualClock) : realClock;
    sim::SimBus bus;
    std::unique_ptr<SerialLine> line;
    if (o.simulate) {
        sim::buildBus(o.sim, bus);
        line = std::make_unique<sim::SimulatedLine>(bus, clock);
    } else {
        line = std::make_unique<QtSerialLine>(clock);
    }
    const std::string device = o.simulate ? "simulated sensors" : o.port;
    // diff keeps 1 for "they differ".
    const int failure = o.command == "diff" ? 2 : 1;
    try {
        line->open(device, kLineSettings);
    } catch (const LineError& e) {
        err << "k7700-cli: cannot open the port: " << e.what() << "\n";
        return failure;
    }

    Session s(*line, clock, out, err);
    for (const std::string& note : line->takeNotes()) s.link.stats.note(note);
    if (o.command == "scan") return s.doScan();
    if (o.id) {
        s.ui.tag = std::to_string(*o.id);
    } else {
        const std::vector<int> first = s.scan(true);
        if (first.empty()) {
            err << "k7700-cli: no sensor answered on tags 1 to 32\n";
            return failure;
        }
        s.ui.tag = std::to_string(first.front());
    }
    if (o.command == "peek") return s.doPeek(addr, count);
    if (o.command == "poke") return s.doPoke(addr, value, o.unlock);
    if (o.command == "history") return s.doHistory(n);
    if (o.command == "echo") return runEcho(*line, clock, s.ui, echo, out, err);
    SetupCommand setup{o.command, o.operands.front(), o.ids, o.units};
    if (setup.tags.empty()) setup.tags = {std::stoi(s.ui.tag)};
    return runSetupCommand(setup, *line, clock, out, err);
}

}  // namespace k7
