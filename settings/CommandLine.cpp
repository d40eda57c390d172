#include "settings/CommandLine.h"

#include <string>

#include "common/VbText.h"

namespace k7 {
namespace {

// Calls f with each token of the command line, trimmed and upper-cased: "/" ends a token, and
// so does the end of the line.
template <typename F>
void forEachToken(std::string_view commandLine, F&& f) {
    std::string token;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '/') {
            f(toUpper(trim(token)));
            token.clear();
            continue;
        }
        token += c;
        if (i + 1 == commandLine.size()) f(toUpper(trim(token)));
    }
}

}  // namespace

CommandLineFlags ProcessCommandLineOptions(std::string_view commandLine) {
    CommandLineFlags flags;
    forEachToken(commandLine, [&flags](const std::string& t) {
        if (t == "AUTORESETERROR") flags.AutoResetError = true;
        if (t == "ONESENSOR") flags.OneSensor = true;
        if (t == kFactoryAccessCode) flags.FactoryAccess = true;
    });
    return flags;
}

CommandLineFlags ProcessCommandLineOptions(const std::vector<std::string>& arguments) {
    CommandLineFlags flags;
    for (const std::string& a : arguments) {
        const CommandLineFlags f = ProcessCommandLineOptions(std::string_view(a));
        flags.AutoResetError |= f.AutoResetError;
        flags.OneSensor |= f.OneSensor;
        flags.FactoryAccess |= f.FactoryAccess;
    }
    return flags;
}

std::optional<std::string> unknownSwitch(const std::vector<std::string>& arguments) {
    for (const std::string& a : arguments) {
        std::optional<std::string> unknown;
        forEachToken(a, [&](const std::string& t) {
            const bool known =
                t.empty() || t == "AUTORESETERROR" || t == "ONESENSOR" || t == kFactoryAccessCode;
            if (!known && !unknown) unknown = a;
        });
        if (unknown) return unknown;
    }
    return std::nullopt;
}

}  // namespace k7
