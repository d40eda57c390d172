#include "settings/CommandLine.h"

#include <string>

#include "common/NumberText.h"

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

CommandLineFlags processCommandLineOptions(std::string_view commandLine) {
    CommandLineFlags flags;
    forEachToken(commandLine, [&flags](const std::string& t) {
        if (t == "AUTORESETERROR") flags.autoResetError = true;
        if (t == "ONESENSOR") flags.oneSensor = true;
        if (t == kFactoryAccessCode) flags.factoryAccess = true;
    });
    return flags;
}

CommandLineFlags processCommandLineOptions(const std::vector<std::string>& arguments) {
    CommandLineFlags flags;
    for (const std::string& a : arguments) {
        const CommandLineFlags f = processCommandLineOptions(std::string_view(a));
        flags.autoResetError |= f.autoResetError;
        flags.oneSensor |= f.oneSensor;
        flags.factoryAccess |= f.factoryAccess;
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
