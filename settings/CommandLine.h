#pragma once
// The switches a technician can put on the command line: AUTORESETERROR, ONESENSOR and the
// factory access code, written with or without "/" and separated by "/".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k7 {

inline constexpr const char* kFactoryAccessCode = "5290318846";

struct CommandLineFlags {
    bool autoResetError = false;
    bool oneSensor = false;
    bool factoryAccess = false;
};

CommandLineFlags processCommandLineOptions(std::string_view commandLine);
// The program's arguments: each is read as a command line of its own, so separate words are
// separate switches ("ONESENSOR" "AUTORESETERROR") and never join into one.
CommandLineFlags processCommandLineOptions(const std::vector<std::string>& arguments);

// The first argument that holds anything but these switches (a typo would otherwise be
// ignored without a word), or nullopt.
std::optional<std::string> unknownSwitch(const std::vector<std::string>& arguments);

}  // namespace k7
