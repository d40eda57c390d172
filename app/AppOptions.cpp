#include "app/AppOptions.h"

namespace k7 {

std::optional<std::string> parseAppOptions(const std::vector<std::string>& args, AppOptions& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name) -> std::optional<std::string> {
            if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
            if (a == name && i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        auto takes = [&](const std::string& name) {
            return a == name || a.rfind(name + "=", 0) == 0;
        };
        std::optional<std::string> err;
        if (a == "--simulate") {
            out.simulate = true;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (takes("--port")) {
            auto v = value("--port");
            if (!v || v->empty()) return "--port needs a device, e.g. --port /dev/ttyUSB0";
            out.port = *v;
        } else if (takes("--sensors")) {
            auto v = value("--sensors");
            if (!v) return "--sensors needs a list, e.g. --sensors 1:0,5:4";
            err = sim::addSensors(*v, out.sim);
        } else if (takes("--fault")) {
            auto v = value("--fault");
            if (!v) return "--fault needs a rule, e.g. --fault drop=0.2";
            err = sim::addFaults(*v, out.sim);
        } else if (takes("--seed")) {
            auto v = value("--seed");
            if (!v) return "--seed needs a number";
            err = sim::setSeed(*v, out.sim);
        } else if (a.rfind("--", 0) == 0) {
            return "unknown option " + a + " (see --help)";
        } else {
            out.arguments.push_back(a);
        }
        if (err) return *err;
    }
    if (!out.port.empty() && out.simulate) return "--port and --simulate exclude each other";
    return std::nullopt;
}

std::string appUsage() {
    return "usage: k7700 [--simulate [--sensors LIST] [--fault RULE]... [--seed N]] "
           "[--port DEVICE] [ONESENSOR] [AUTORESETERROR]\n"
           "  --simulate       run on simulated sensors (default: one standard sensor, tag 1)\n"
           "  --sensors LIST   simulated sensors, TAG[:TYPE[:FIRMWARE]] comma-separated\n"
           "  --fault RULE     simulated fault, e.g. drop=0.2, refuse=90, status-fault=0x18\n"
           "  --seed N         seed of the simulated faults\n"
           "  --port DEVICE    serial device for this run, e.g. /dev/ttyUSB0\n"
           "  ONESENSOR        stop the sensor search at the first sensor found\n"
           "  AUTORESETERROR   reset sensor faults automatically\n";
}

}  // namespace k7
