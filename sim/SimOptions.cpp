#include "sim/SimOptions.h"

#include <algorithm>
#include <charconv>
#include <random>
#include <set>

namespace k7::sim {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::optional<long long> wholeNumber(const std::string& text, int base = 10) {
    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value, base);
    if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

// A whole number within [lo, hi]; nullopt otherwise.
std::optional<int> inRange(const std::string& text, long long lo, long long hi) {
    auto v = wholeNumber(text);
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return static_cast<int>(*v);
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::optional<std::string> parseRate(const std::string& name, const std::string& value,
                                     double& rate) {
    double v = 0;
    const char* last = value.data() + value.size();
    auto [ptr, ec] = std::from_chars(value.data(), last, v);
    if (value.empty() || ec != std::errc() || ptr != last || !(v >= 0 && v <= 1)) {
        return "fault " + quoted(name + "=" + value) + ": the rate must be a number from 0 to 1";
    }
    rate = v;
    return std::nullopt;
}

std::optional<int> parseCell(const std::string& text) {
    return inRange(text, 0, 127);
}

// An item of a fault or scene list, split at its optional "TAG/" prefix.
std::optional<std::string> tagged(const char* what, const std::string& item, FaultRule& rule) {
    rule.text = item;
    const std::size_t slash = item.find('/');
    if (slash != std::string::npos) {
        auto tag = inRange(item.substr(0, slash), 1, 32);
        if (!tag) return what + (" " + quoted(item)) + ": the tag before / must be 1 to 32";
        rule.tag = *tag;
        rule.text = item.substr(slash + 1);
    }
    if (rule.text.empty()) return what + (" " + quoted(item)) + ": empty " + what;
    return std::nullopt;
}

// A number within [lo, hi]; nullopt otherwise.
std::optional<double> numberIn(const std::string& text, double lo, double hi) {
    double v = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, v);
    if (text.empty() || ec != std::errc() || ptr != last || !(v >= lo && v <= hi)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

std::optional<std::string> addSensors(const std::string& list, SimSetup& setup) {
    // Nothing is taken from a list with an error in it.
    std::vector<SensorConfig> sensors = setup.sensors;
    for (const std::string& item : split(list, ',')) {
        const std::vector<std::string> parts = split(item, ':');
        const std::string bad = "sensor " + quoted(item) + ": ";
        if (item.empty() || parts.size() > 3) {
            return bad + "expected TAG[:TYPE[:FIRMWARE]], e.g. 3 or 3:4 or 3:4:25";
        }
        SensorConfig c;
        auto tag = inRange(parts[0], 1, 32);
        if (!tag) return bad + "the tag must be a whole number from 1 to 32";
        c.tag = *tag;
        if (parts.size() > 1) {
            auto type = inRange(parts[1], 0, 255);
            if (!type) return bad + "the type must be a whole number from 0 to 255";
            c.type = *type;
        }
        if (parts.size() > 2) {
            auto firmware = inRange(parts[2], 0, 255);
            if (!firmware) return bad + "the firmware must be a whole number from 0 to 255";
            c.firmware = *firmware;
        }
        const bool taken = std::any_of(sensors.begin(), sensors.end(),
                                       [&c](const SensorConfig& s) { return s.tag == c.tag; });
        if (taken) return bad + "tag " + std::to_string(c.tag) + " is given twice";
        sensors.push_back(c);
    }
    setup.sensors = std::move(sensors);
    return std::nullopt;
}

std::optional<std::string> applyFault(const std::string& rule, FaultConfig& faults) {
    const std::size_t eq = rule.find('=');
    const std::string name = rule.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : rule.substr(eq + 1);
    const std::string bad = "fault " + quoted(rule) + ": ";

    if (name == "lost-first") {
        if (eq != std::string::npos) return bad + "lost-first takes no value";
        faults.firstAttemptLost = true;
        return std::nullopt;
    }
    if (name == "busy") {
        if (eq != std::string::npos) return bad + "busy takes no value";
        faults.busy = true;
        return std::nullopt;
    }
    if (eq == std::string::npos) {
        if (name == "drop" || name == "checksum" || name == "badtag" || name == "short" ||
            name == "noise" || name == "junk" || name == "delay" || name == "refuse" ||
            name == "fail-writes" || name == "silent-after" || name == "status-fault" ||
            name == "stream-delay") {
            return bad + "needs a value, e.g. " + name + "=...";
        }
    }
    if (name == "drop") return parseRate(name, value, faults.dropReply);
    if (name == "checksum") return parseRate(name, value, faults.badChecksum);
    if (name == "badtag") return parseRate(name, value, faults.badTag);
    if (name == "short") return parseRate(name, value, faults.shortReply);
    if (name == "noise") return parseRate(name, value, faults.lineNoise);
    if (name == "junk") return parseRate(name, value, faults.junkByte);
    auto ms = [](const std::string& t) -> std::optional<std::int64_t> {
        double v = 0;
        const char* last = t.data() + t.size();
        auto [ptr, ec] = std::from_chars(t.data(), last, v);
        if (t.empty() || ec != std::errc() || ptr != last || !(v >= 0 && v <= 10'000)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(v * 1000 + 0.5);
    };
    if (name == "stream-delay") {
        auto delay = ms(value);
        if (!delay) return bad + "expected stream-delay=MS (milliseconds, 0..10000)";
        faults.streamDelayUs = *delay;
        return std::nullopt;
    }
    if (name == "delay") {
        const std::vector<std::string> parts = split(value, ':');
        auto delay = ms(parts[0]);
        auto jitter = parts.size() == 2 ? ms(parts[1]) : std::optional<std::int64_t>(0);
        if (!delay || !jitter || parts.size() > 2) {
            return bad + "expected delay=MS or delay=MS:JITTER_MS (milliseconds, 0..10000)";
        }
        faults.replyDelayUs = *delay;
        faults.replyJitterUs = *jitter;
        return std::nullopt;
    }
    if (name == "refuse") {
        auto c = parseCell(value);
        if (!c) return bad + "the cell must be a whole number from 0 to 127";
        faults.refuseWriteCells.insert(*c);
        return std::nullopt;
    }
    if (name == "fail-writes") {
        const std::vector<std::string> parts = split(value, ':');
        auto c = parseCell(parts[0]);
        auto n = parts.size() == 2 ? inRange(parts[1], 0, 1'000'000) : std::nullopt;
        if (!c || !n) return bad + "expected fail-writes=CELL:COUNT with CELL 0..127";
        faults.failWritesBeforeAccept[*c] = *n;
        return std::nullopt;
    }
    if (name == "silent-after") {
        auto n = inRange(value, 0, 1'000'000'000);
        if (!n) return bad + "the frame count must be a whole number of 0 or more";
        faults.silentAfterFrames = *n;
        return std::nullopt;
    }
    if (name == "status-fault") {
        const bool hex =
            value.size() > 2 && (value.rfind("0x", 0) == 0 || value.rfind("0X", 0) == 0);
        auto bits = hex ? wholeNumber(value.substr(2), 16) : wholeNumber(value);
        if (!bits || *bits < 0 || *bits > 255) {
            return bad + "the fault bits must be 0..255 (decimal or 0x hex)";
        }
        faults.statusFaultBits = static_cast<std::uint8_t>(*bits);
        return std::nullopt;
    }
    return bad +
           "unknown fault (known: drop, checksum, badtag, short, noise, junk, delay, refuse, "
           "fail-writes, lost-first, busy, silent-after, status-fault, stream-delay, echo, unplug)";
}

std::optional<std::string> addFaults(const std::string& list, SimSetup& setup) {
    std::vector<FaultRule> rules;
    bool echo = false;
    for (const std::string& item : split(list, ',')) {
        FaultRule rule;
        if (auto error = tagged("fault", item, rule)) return error;
        if (rule.text == "echo") {
            // The adapter's, not a sensor's: it echoes every request on the line.
            if (rule.tag) return "fault " + quoted(item) + ": echo is the line's, not one sensor's";
            echo = true;
            continue;
        }
        if (rule.text.rfind("unplug=", 0) == 0) {
            if (rule.tag) return "fault " + quoted(item) + ": unplug is the line's, not one sensor's";
            auto ms = inRange(rule.text.substr(7), 0, 86'400'000);
            if (!ms) return "fault " + quoted(item) + ": expected unplug=MS (milliseconds)";
            setup.unplugAfterUs = std::int64_t{*ms} * 1000;
            continue;
        }
        FaultConfig scratch;
        if (auto error = applyFault(rule.text, scratch)) return error;
        rules.push_back(rule);
    }
    setup.faults.insert(setup.faults.end(), rules.begin(), rules.end());
    setup.echo = setup.echo || echo;
    return std::nullopt;
}

std::optional<std::string> applyScene(const std::string& item, SensorConfig& c) {
    const std::size_t eq = item.find('=');
    const std::string name = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    const std::string bad = "scene " + quoted(item) + ": ";
    constexpr double kFarthest = 3000;  // inches: beyond every sensor's range
    if (name == "multiple") {
        const auto ratio = eq == std::string::npos ? 0.5 : numberIn(value, 0, 1);
        if (!ratio) return bad + "expected multiple or multiple=RATIO with RATIO 0..1";
        c.echo.multiple = *ratio;
        return std::nullopt;
    }
    if (name == "target") {
        c.noTarget = value == "none";
        c.targetInches = c.noTarget ? std::nullopt : numberIn(value, 0.5, kFarthest);
        if (!c.noTarget && !c.targetInches) {
            return bad + "expected target=INCHES (0.5..3000) or target=none";
        }
        return std::nullopt;
    }
    if (name == "amplitude") {
        c.echo.amplitude = numberIn(value, 0, 255);
        if (!c.echo.amplitude) return bad + "expected amplitude=COUNTS (0..255)";
        return std::nullopt;
    }
    if (name == "false-echo") {
        const std::vector<std::string> parts = split(value, ':');
        const auto at = numberIn(parts[0], 0.5, kFarthest);
        const auto height = parts.size() == 2 ? numberIn(parts[1], 0, 255)
                                              : std::optional<double>(c.echo.falseEchoHeight);
        if (!at || !height || parts.size() > 2) {
            return bad + "expected false-echo=INCHES or false-echo=INCHES:COUNTS";
        }
        c.echo.falseEchoInches = at;
        c.echo.falseEchoHeight = *height;
        return std::nullopt;
    }
    if (name == "noise") {
        const auto spread = numberIn(value, 0, 100);
        if (!spread) return bad + "expected noise=COUNTS (0..100)";
        c.echo.noise = *spread;
        return std::nullopt;
    }
    if (name == "ringdown") {
        c.echo.ringdownInches = numberIn(value, 0, kFarthest);
        if (!c.echo.ringdownInches) return bad + "expected ringdown=INCHES (0..3000)";
        return std::nullopt;
    }
    return bad + "unknown item (known: target, amplitude, false-echo, multiple, noise, ringdown)";
}

std::optional<std::string> addScene(const std::string& list, SimSetup& setup) {
    std::vector<FaultRule> rules;
    for (const std::string& item : split(list, ',')) {
        FaultRule rule;
        if (auto error = tagged("scene", item, rule)) return error;
        SensorConfig scratch;
        if (auto error = applyScene(rule.text, scratch)) return error;
        rules.push_back(rule);
    }
    setup.scene.insert(setup.scene.end(), rules.begin(), rules.end());
    return std::nullopt;
}

std::optional<std::string> setSeed(const std::string& text, SimSetup& setup) {
    auto v = wholeNumber(text);
    if (!v || *v < 0 || *v > 0xFFFFFFFFLL) {
        return "seed " + quoted(text) + ": expected a whole number from 0 to 4294967295";
    }
    setup.seed = static_cast<std::uint32_t>(*v);
    return std::nullopt;
}

std::optional<std::string> setAdapterLatency(const std::string& text, SimSetup& setup) {
    auto v = inRange(text, 0, 1000);
    if (!v) return "adapter latency " + quoted(text) + ": expected milliseconds from 0 to 1000";
    setup.adapterLatencyUs = static_cast<std::int64_t>(*v) * 1000;
    return std::nullopt;
}

std::optional<std::string> setTurnaround(const std::string& text, SimSetup& setup) {
    auto v = inRange(text, 0, 1'000'000);
    if (!v) return "turnaround " + quoted(text) + ": expected microseconds from 0 to 1000000";
    setup.turnaroundUs = *v;
    return std::nullopt;
}

FaultConfig faultsFor(const SimSetup& setup, int tag) {
    FaultConfig faults;
    for (const FaultRule& rule : setup.faults) {
        if (!rule.tag || *rule.tag == tag) applyFault(rule.text, faults);
    }
    return faults;
}

void buildBus(const SimSetup& setup, SimBus& bus) {
    const std::vector<SensorConfig> sensors =
        setup.sensors.empty() ? std::vector<SensorConfig>{SensorConfig{}} : setup.sensors;
    for (SensorConfig config : sensors) {
        for (const FaultRule& rule : setup.scene) {
            if (!rule.tag || *rule.tag == config.tag) applyScene(rule.text, config);
        }
        bus.addSensor(config);
        // Each sensor's own stream: adding a sensor does not change another's faults.
        std::seed_seq seq{setup.seed, static_cast<std::uint32_t>(config.tag)};
        std::uint32_t seed = 0;
        seq.generate(&seed, &seed + 1);
        bus.setFaults(bus.sensorCount() - 1, faultsFor(setup, config.tag), seed);
    }
    bus.setTurnaroundUs(setup.turnaroundUs);
    bus.setEcho(setup.echo);
    bus.setAdapterLatencyUs(setup.adapterLatencyUs);
}

std::unique_ptr<SimulatedLine> buildSimulatedLine(const SimSetup& setup, SimBus& bus,
                                                  Clock& clock) {
    buildBus(setup, bus);
    auto line = std::make_unique<SimulatedLine>(bus, clock);
    line->setUnplugAfter(setup.unplugAfterUs);
    return line;
}

std::optional<std::string> applySensorOption(const Arg& arg, SimSetup& setup) {
    if (arg.option == "--sensors") return addSensors(arg.value, setup);
    if (arg.option == "--fault") return addFaults(arg.value, setup);
    if (arg.option == "--scene") return addScene(arg.value, setup);
    return setSeed(arg.value, setup);
}

std::optional<std::string> parseToolArguments(const std::vector<std::string>& args,
                                              ToolArguments& out) {
    std::vector<OptionForm> known(std::begin(kSensorOptions), std::end(kSensorOptions));
    known.insert(known.end(), {{"--turnaround-us", "N"},
                               {"--adapter-latency-ms", "N"},
                               {"--link", "PATH"},
                               {"--port", "DEVICE"}});
    SplitArgs split;
    if (auto error = splitArgs(args, known, split)) return error;
    out.help = split.help;
    out.version = split.version;
    for (const Arg& a : split.items) {
        std::optional<std::string> error;
        if (a.option.empty()) {
            return "unexpected argument " + quoted(a.value) + ": k7700-sim takes only options";
        } else if (a.option == "--port") {
            return std::string(kPortWithSimulate) + " (k7700-sim serves simulated sensors)";
        } else if (a.option == "--turnaround-us") {
            error = setTurnaround(a.value, out.setup);
        } else if (a.option == "--adapter-latency-ms") {
            error = setAdapterLatency(a.value, out.setup);
        } else if (a.option == "--link") {
            if (a.value.empty()) return "option --link needs a path";
            out.linkPath = a.value;
        } else {
            error = applySensorOption(a, out.setup);
        }
        if (error) return error;
    }
    std::set<int> tags;
    for (const SensorConfig& s : out.setup.sensors) tags.insert(s.tag);
    if (tags.empty()) tags.insert(SensorConfig{}.tag);
    for (const auto& [what, rules] :
         {std::pair{"fault", &out.setup.faults}, std::pair{"scene", &out.setup.scene}}) {
        for (const FaultRule& f : *rules) {
            if (f.tag && !tags.count(*f.tag)) {
                return what + (" " + quoted(std::to_string(*f.tag) + "/" + f.text)) +
                       ": there is no sensor with tag " + std::to_string(*f.tag);
            }
        }
    }
    return std::nullopt;
}

std::string toolUsage() {
    return "usage: k7700-sim [--sensors LIST]... [--fault LIST]... [--scene LIST]...\n"
           "                 [--seed N] [--turnaround-us N] [--adapter-latency-ms N]\n"
           "                 [--link PATH]\n"
           "Serves simulated K7700 sensors on a pseudo-terminal; prints its device path first\n"
           "and serves until stopped (Ctrl+C). Exit status: 0 stopped, 1 the pseudo-terminal\n"
           "or link could not be made, 2 bad usage. Options take --name VALUE or --name=VALUE.\n"
           "\n"
           "  --sensors TAG[:TYPE[:FIRMWARE]][,...]  sensors on the line (default 1:0:25);\n"
           "                                         --sensor is the same\n"
           "  --fault [TAG/]FAULT[,...]              faults, for all sensors or one tag:\n"
           "          drop=P checksum=P badtag=P short=P noise=P junk=P  (P: 0..1)\n"
           "          delay=MS[:JITTER_MS]  replies that much later (past 75 ms: late)\n"
           "          busy                  one request at a time: a request that comes\n"
           "                                while one is worked on waits its turn\n"
           "          stream-delay=MS       acoustic records and RAM dumps that much later\n"
           "          refuse=CELL fail-writes=CELL:N lost-first silent-after=N\n"
           "          status-fault=BITS\n"
           "          echo        the adapter hands back every byte sent (whole line)\n"
           "          unplug=MS   the adapter is pulled out MS ms after the start\n"
           "  --scene [TAG/]ITEM[,...]               the target and the acoustic record, for\n"
           "                                         all sensors or one tag (inches, counts):\n"
           "          target=IN|none amplitude=H false-echo=IN[:H] multiple[=RATIO]\n"
           "          noise=SPREAD ringdown=IN\n"
           "  --seed N                               seed for the faults (default 1)\n"
           "  --turnaround-us N                      sensor reply delay (default 1000)\n"
           "  --adapter-latency-ms N                 host sees bytes only every N ms, as\n"
           "                                         through a USB adapter's latency timer\n"
           "  --link PATH                            also make PATH a symbolic link to the\n"
           "                                         device (a stable name across restarts)\n"
           "  -h, --help                             this text\n"
           "  --version                              the program's version\n";
}

}  // namespace k7::sim
