#include "app/LineOptions.h"

namespace k7 {

std::vector<OptionForm> lineOptionSpecs() {
    std::vector<OptionForm> forms = {{"--simulate"}, {"--port", "DEVICE"}};
    forms.insert(forms.end(), std::begin(sim::kSensorOptions), std::end(sim::kSensorOptions));
    return forms;
}

std::optional<std::string> applyLineOption(const Arg& arg, LineChoice& line, bool& taken) {
    taken = true;
    if (arg.option == "--simulate") {
        line.simulate = true;
        return std::nullopt;
    }
    if (arg.option == "--port") {
        if (arg.value.empty()) return "--port needs a device, e.g. --port /dev/ttyUSB0";
        line.port = arg.value;
        return std::nullopt;
    }
    for (const OptionForm& form : sim::kSensorOptions) {
        if (arg.option != form.name) continue;
        if (line.sensorOptionGiven.empty()) line.sensorOptionGiven = arg.option;
        return sim::applySensorOption(arg, line.sim);
    }
    taken = false;
    return std::nullopt;
}

std::optional<std::string> checkLineChoice(const LineChoice& line) {
    if (line.simulate && !line.port.empty()) return std::string(sim::kPortWithSimulate);
    if (!line.simulate && !line.sensorOptionGiven.empty()) {
        return line.sensorOptionGiven + " describes simulated sensors: it applies only with " +
               "--simulate";
    }
    return std::nullopt;
}

}  // namespace k7
