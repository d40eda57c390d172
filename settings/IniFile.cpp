#include "settings/IniFile.h"

#include <optional>

#include "common/NumberText.h"
#include "common/TextFile.h"
#include "common/Version.h"

namespace k7 {
namespace {

constexpr std::size_t kLinesRead = 7;
// Longer than any path a system takes; a longer value is no setting but damage, and keeping it
// out leaves every line written well within what the reader takes back.
constexpr std::size_t kMaxValueLength = 4096;

// The values by line position; one that is missing or out of range keeps its default and
// sets `repaired`, the others are taken as they are.
IniValues parse(const std::vector<std::string>& lines, bool& repaired) {
    IniValues v;
    auto value = [&](std::size_t line) -> std::optional<std::string> {
        if (line < lines.size()) {
            std::string v = valueAfterEquals(lines[line]);
            if (v.size() <= kMaxValueLength) return v;
        }
        repaired = true;
        return std::nullopt;
    };
    auto number = [&](std::size_t line, int max, int& out) {
        const auto text = value(line);
        if (!text) return;
        // As the byte conversion reads it: halves to even, 0..255 (and the unit tables).
        const double n = roundHalfEven(leadingNumber(*text));
        if (n >= 0 && n <= max) {
            out = static_cast<int>(n);
        } else {
            repaired = true;
        }
    };
    number(1, 255, v.port);
    number(2, 3, v.distanceUnit);
    number(3, 1, v.temperatureUnit);
    if (const auto tag = value(4)) {
        v.idTagText = trim(*tag);
        const double n = leadingNumber(*tag);
        v.preferredIdTag = n >= 1 && n <= 32 && n == static_cast<int>(n) ? static_cast<int>(n) : 0;
    }
    if (const auto file = value(5)) v.pathAndFilename = *file == "\x07" ? "" : *file;
    if (lines.size() >= 7 && lines[6].rfind("PortName=", 0) == 0) {
        if (const auto name = value(6)) v.portName = *name;
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
    const FirstLines file = readFirstLines(path, kLinesRead);
    bool write = false;
    switch (file.status) {
        case ReadStatus::Missing:
            write = true;
            break;
        case ReadStatus::Unreadable:
            r.leaveFileAlone = true;
            break;
        case ReadStatus::Ok:
            r.values = parse(file.lines, write);
            break;
    }
    if (write) r.rewritten = writeIniFile(path, r.values);
    r.dialogFolder = folderOf(r.values.pathAndFilename, currentDir);
    return r;
}

}  // namespace k7
