#include "settings/IniFile.h"

#include <optional>

#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "common/VbText.h"
#include "common/Version.h"

namespace k7 {
namespace {

std::optional<IniValues> parse(const std::vector<std::string>& lines) {
    if (lines.size() < 6) return std::nullopt;
    IniValues v;
    try {
        v.port = toByte(leadingNumber(valueAfterEquals(lines[1])));
        v.distanceUnit = toByte(leadingNumber(valueAfterEquals(lines[2])));
        v.temperatureUnit = toByte(leadingNumber(valueAfterEquals(lines[3])));
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    // Units beyond the tables would index past them later: treat them as a bad file too.
    if (v.distanceUnit > 3 || v.temperatureUnit > 1) return std::nullopt;
    v.preferredIdTag = leadingNumber(valueAfterEquals(lines[4]));
    v.idTagText = trim(valueAfterEquals(lines[4]));
    const std::string file = valueAfterEquals(lines[5]);
    v.pathAndFilename = file == "\x07" ? "" : file;
    if (lines.size() >= 7 && lines[6].rfind("PortName=", 0) == 0) {
        v.portName = valueAfterEquals(lines[6]);
    }
    return v;
}

}  // namespace

std::string iniHeaderLine() {
    return "K7700.ini initialization file for k7700 software version " + versionText();
}

std::string iniFileText(const IniValues& v) {
    std::vector<std::string> lines = {
        iniHeaderLine(),
        "Port=" + std::to_string(v.port),
        "Units=" + std::to_string(v.distanceUnit),
        "TemperatureUnits=" + std::to_string(v.temperatureUnit),
        "IDTag=" + trim(v.idTagText),
        "PathAndFilename=" + v.pathAndFilename,
    };
    if (!v.portName.empty()) lines.push_back("PortName=" + v.portName);
    return joinCrLf(lines);
}

bool writeIniFile(const std::string& path, const IniValues& v) {
    return writeTextFile(path, iniFileText(v));
}

std::string folderOf(const std::string& pathAndFilename, const std::string& currentDir) {
    const std::size_t sep = pathAndFilename.find_last_of("\\/");
    if (sep == std::string::npos || sep == 0) return currentDir;
    return pathAndFilename.substr(0, sep);
}

IniReadResult readIniFile(const std::string& path, const std::string& currentDir) {
    IniReadResult r;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (auto lines = readTextLines(path, nullptr, 1u << 20)) {
            if (auto v = parse(*lines)) {
                r.values = *v;
                r.dialogFolder = folderOf(v->pathAndFilename, currentDir);
                return r;
            }
        }
        if (attempt == 0) {
            r.rewritten = true;
            if (!writeIniFile(path, IniValues{})) break;
        }
    }
    r.values = IniValues{};
    r.dialogFolder = currentDir;
    return r;
}

}  // namespace k7
