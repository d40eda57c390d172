#include "common/Args.h"

#include <algorithm>

namespace k7 {

std::string optionSynopsis(const OptionForm& form) {
    return form.value ? std::string(form.name) + " " + form.value : form.name;
}

std::optional<std::string> splitArgs(const std::vector<std::string>& args,
                                     std::span<const OptionForm> known, SplitArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.empty() || a[0] != '-') {
            out.items.push_back({"", a});
            continue;
        }
        const std::size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, eq);
        const bool inlineValue = eq != std::string::npos;
        if (name == "-h" || name == "--help" || name == "--version") {
            if (inlineValue) return name + " takes no value";
            (name == "--version" ? out.version : out.help) = true;
            continue;
        }
        const auto form = std::find_if(known.begin(), known.end(), [&](const OptionForm& s) {
            return name == s.name || (s.alias && name == s.alias);
        });
        if (form == known.end()) return "unknown option " + name + " (see --help)";
        Arg arg{form->name, ""};
        if (!form->value) {
            if (inlineValue) return name + " takes no value";
        } else if (inlineValue) {
            arg.value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            arg.value = args[++i];
        } else {
            return name + " needs a value: " + optionSynopsis(*form);
        }
        out.items.push_back(std::move(arg));
    }
    return std::nullopt;
}

}  // namespace k7
