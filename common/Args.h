#pragma once
// Splitting a program's arguments into options and plain words, the same way in every tool:
// an option takes its value as "--name value" or "--name=value"; "-h", "--help" and
// "--version" are known to every program. Errors name the argument at fault.
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k7 {

struct OptionForm {
    const char* name;             // "--port"
    const char* value = nullptr;  // its value's placeholder ("DEVICE"); null for a switch
    const char* alias = nullptr;  // another spelling that means the same ("--sensor")
};

// One argument: an option (by its name, aliases resolved) with its value, or a plain word
// (empty option, the word in value).
struct Arg {
    std::string option;
    std::string value;
};

struct SplitArgs {
    std::vector<Arg> items;  // in the order given
    bool help = false;
    bool version = false;
};

// Nullopt when every argument was taken; otherwise a one-line error naming the argument.
std::optional<std::string> splitArgs(const std::vector<std::string>& args,
                                     std::span<const OptionForm> known, SplitArgs& out);

// "--name VALUE" or "--name", as usage texts and errors show an option.
std::string optionSynopsis(const OptionForm& form);

}  // namespace k7
