#pragma once
// The switches a technician can put on the command line: AUTORESETERROR, ONESENSOR and the
// factory access code, written with or without "/" and separated by "/".
#include <string_view>

namespace k7 {

inline constexpr const char* kFactoryAccessCode = "5290318846";

struct CommandLineFlags {
    bool AutoResetError = false;
    bool OneSensor = false;
    bool FactoryAccess = false;
};

CommandLineFlags ProcessCommandLineOptions(std::string_view commandLine);

}  // namespace k7
