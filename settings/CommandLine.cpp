#include "settings/CommandLine.h"

#include <string>

#include "common/VbText.h"

namespace k7 {

CommandLineFlags ProcessCommandLineOptions(std::string_view commandLine) {
    CommandLineFlags flags;
    auto endToken = [&flags](const std::string& token) {
        const std::string t = toUpper(trim(token));
        if (t == "AUTORESETERROR") flags.AutoResetError = true;
        if (t == "ONESENSOR") flags.OneSensor = true;
        if (t == kFactoryAccessCode) flags.FactoryAccess = true;
    };
    std::string token;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '/') {
            endToken(token);
            token.clear();
            continue;
        }
        token += c;
        if (i + 1 == commandLine.size()) endToken(token);
    }
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

}  // namespace k7
