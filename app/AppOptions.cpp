#include "app/AppOptions.h"

#include "settings/CommandLine.h"

namespace k7 {

std::optional<std::string> parseAppOptions(const std::vector<std::string>& args, AppOptions& out) {
    SplitArgs split;
    if (auto err = splitArgs(args, lineOptionSpecs(), split)) return err;
    out.help = split.help;
    out.version = split.version;
    for (const Arg& a : split.items) {
        if (a.option.empty()) {
            out.arguments.push_back(a.value);
            continue;
        }
        bool taken = false;
        if (auto err = applyLineOption(a, out, taken)) return err;
    }
    if (auto word = unknownSwitch(out.arguments)) {
        return "unknown switch \"" + *word + "\" (the switches are ONESENSOR and AUTORESETERROR)";
    }
    return checkLineChoice(out);
}

std::string appUsage() {
    return "usage: k7700 [--port DEVICE] [ONESENSOR] [AUTORESETERROR]\n"
           "       k7700 --simulate [--sensors LIST] [--fault RULE]... [--scene LIST]...\n"
           "             [--seed N] [ONESENSOR] [AUTORESETERROR]\n"
           "The K7700 configuration and diagnostic program. Without --port or --simulate it\n"
           "opens the port kept in K7700.ini in the current folder (the port window asks for\n"
           "one on the first start). Exit status: 0 when the program ends, 2 bad usage.\n"
           "Options take --name VALUE or --name=VALUE.\n"
           "\n"
           "  --port DEVICE    serial device for this run, e.g. /dev/ttyUSB0 (K7700.ini keeps\n"
           "                   its own port)\n"
           "  --simulate       run on simulated sensors (default: one standard sensor, tag 1)\n"
           "  --sensors LIST   simulated sensors, TAG[:TYPE[:FIRMWARE]] comma-separated,\n"
           "                   e.g. 1:0,5:4 (--sensor is the same)\n"
           "  --fault RULE     simulated fault, e.g. drop=0.2, refuse=90, status-fault=0x18\n"
           "                   (k7700-sim --help lists them); repeatable\n"
           "  --seed N         seed of the simulated faults\n"
           "  --scene LIST     simulated target and acoustic record, e.g. target=30,multiple\n"
           "                   (k7700-sim --help lists them); repeatable\n"
           "  ONESENSOR        stop the sensor search at the first sensor found\n"
           "  AUTORESETERROR   reset sensor faults automatically\n"
           "  -h, --help       this text\n"
           "  --version        the program's version\n"
           "The switches may be written with or without a leading / (/onesensor).\n";
}

}  // namespace k7
