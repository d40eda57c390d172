// The command-line readers on any arguments: no crash, and what they accept is consistent (a
// port and the simulator never both, the simulator's options only with it).
#include <cstdint>
#include <string>
#include <vector>

#include "app/AppOptions.h"
#include "sim/SimOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Arguments separated by NUL bytes, as the kernel hands them over.
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() <= 32; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    k7::AppOptions app;
    if (!k7::parseAppOptions(args, app)) {
        if (app.simulate && !app.port.empty()) __builtin_trap();
        if (!app.simulate && !app.sensorOptionGiven.empty()) __builtin_trap();
    }
    k7::sim::ToolArguments tool;
    if (!k7::sim::parseToolArguments(args, tool)) {
        for (const k7::sim::SensorConfig& s : tool.setup.sensors) {
            if (s.tag < 1 || s.tag > 32) __builtin_trap();
        }
    }
    return 0;
}
