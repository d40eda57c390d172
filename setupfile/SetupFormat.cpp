#include "setupfile/SetupFormat.h"

#include <cmath>

#include "common/NumberText.h"
#include "common/Version.h"
#include "settings/Lists.h"
#include "settings/SensorTypes.h"

namespace k7 {
namespace {

enum class Form { Stored, List, Text, Flag, Temperature };

struct Line {
    const char* key;
    Form form;
    std::string SetupValues::*text = nullptr;  // Text
    int SetupValues::*code = nullptr;          // List, Flag
    int dist = -1;                             // Stored: index into SetupValues::stored
};

// The value lines in file order. Lines 16 and 18 carry the same field, and so do 17 and 25:
// the later one wins when reading.
const Line kLines[] = {
    {"low current distance (in X 128)=", Form::Stored, nullptr, nullptr, 0},
    {"high current distance (in X 128)=", Form::Stored, nullptr, nullptr, 1},
    {"span=", Form::List, nullptr, &SetupValues::OutputSpan},
    {"no target current=", Form::List, nullptr, &SetupValues::NoTargetCurrent},
    {"close setpoint (in X 128)=", Form::Stored, nullptr, nullptr, 2},
    {"far setpoint (in X 128)=", Form::Stored, nullptr, nullptr, 3},
    {"near distance digital output A=", Form::Text, &SetupValues::CloseMinLL},
    {"mid distance digital output A=", Form::List, nullptr, &SetupValues::cbMidMinLL},
    {"far distance digital output A=", Form::Text, &SetupValues::FarMinLL},
    {"no echo digital output A=", Form::Text, &SetupValues::NoEchoMinLL},
    {"near distance digital output B=", Form::Text, &SetupValues::CloseMaxLL},
    {"mid distance digital output B=", Form::List, nullptr, &SetupValues::cbMidMaxLL},
    {"far distance digital output B=", Form::Text, &SetupValues::FarMaxLL},
    {"no echo digital output B=", Form::Text, &SetupValues::NoEchoMaxLL},
    {"hysteresis=", Form::Text, &SetupValues::Hysteresis1},
    {"echo detect digital output=", Form::Text, &SetupValues::TargLL},
    {"hysteresis=", Form::Text, &SetupValues::Hysteresis1},
    {"trigger mode=", Form::List, nullptr, &SetupValues::TriggerMode},
    {"sample rate=", Form::Text, &SetupValues::SampleRate1},
    {"trigger delay=", Form::Text, &SetupValues::TriggerDelay},
    {"average type=", Form::List, nullptr, &SetupValues::AverageType},
    {"average samples=", Form::List, nullptr, &SetupValues::AverageSamples},
    {"no echo time out=", Form::Text, &SetupValues::NoEchoTimeout},
    {"echo detect output for echo detected=", Form::Text, &SetupValues::TargLL},
    {"temperature compensation=", Form::Flag, nullptr, &SetupValues::temperatureCompensation},
    {"preset temperature C =", Form::Temperature},
    {"user description=", Form::Text, &SetupValues::UserDescription},
    {"user max range (in X 128)=", Form::Stored, nullptr, nullptr, 4},
};
constexpr int kStandardValueLines = 27;

// A line break inside a value would shift every line after it. Such a text (a stray CR in
// a recalled file) is written as the reader will read it back, its edges trimmed, so that
// saving it again writes the same file.
std::string oneLine(std::string text) {
    bool broken = false;
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
            broken = true;
        }
    }
    return broken ? trim(text) : text;
}

std::string valueText(const SetupValues& v, const Line& l) {
    switch (l.form) {
        case Form::Stored:
            return signedText(v.stored[static_cast<std::size_t>(l.dist)]);
        case Form::List:
        case Form::Flag:
            return signedText(v.*l.code) + " ";
        case Form::Text:
            return oneLine(v.*l.text);
        case Form::Temperature:
            return signedText(v.presetTemperatureC);
    }
    return {};
}

// The value's leading number rounded to a whole number (halves to even), when it lies in
// lo..hi: the integer conversions of a distance, list code or flag.
std::optional<int> wholeIn(const std::string& value, double lo, double hi) {
    const double r = roundHalfEven(leadingNumber(value));
    if (!(r >= lo && r <= hi)) return std::nullopt;
    return static_cast<int>(r);
}

bool inList(int code, std::size_t entries, bool mayBeEmpty) {
    return (code >= 0 && static_cast<std::size_t>(code) < entries) || (mayBeEmpty && code == -1);
}

bool isToggle(const std::string& text) {
    return text == kOn || text == kOff;
}

}  // namespace

int setupValueLineCount(int sensorType) {
    return isMaxRangeModel(sensorType) ? kStandardValueLines + 1 : kStandardValueLines;
}

std::string setupFileText(const std::string& headerPath, const SetupValues& v) {
    std::string out =
        oneLine(headerPath) + ", Setup file for K-7700, Software Version " + versionText() + "\r\n";
    const int count = v.hasUserMaxRange ? kStandardValueLines + 1 : kStandardValueLines;
    for (int k = 0; k < count; ++k) {
        const Line& l = kLines[k];
        out += l.key + valueText(v, l) + "\r\n";
    }
    return out;
}

std::optional<SetupValues> parseSetupLines(const std::vector<std::string>& lines, int valueLines) {
    if (valueLines < kStandardValueLines || valueLines > kStandardValueLines + 1)
        return std::nullopt;
    if (lines.size() < static_cast<std::size_t>(valueLines) + 1) return std::nullopt;
    SetupValues v;
    v.hasUserMaxRange = valueLines > kStandardValueLines;
    for (int k = 0; k < valueLines; ++k) {
        const std::string value = valueAfterEquals(lines[static_cast<std::size_t>(k) + 1]);
        if (value == "\x07") return std::nullopt;
        const Line& l = kLines[k];
        std::optional<int> n;
        switch (l.form) {
            case Form::Stored:
                n = wholeIn(value, -2147483648.0, 2147483647.0);
                if (!n) return std::nullopt;
                v.stored[static_cast<std::size_t>(l.dist)] = *n;
                break;
            case Form::List:
                n = wholeIn(value, -32768, 32767);
                if (!n) return std::nullopt;
                v.*l.code = *n;
                break;
            case Form::Flag:
                n = wholeIn(value, 0, 255);
                if (!n) return std::nullopt;
                v.*l.code = *n;
                break;
            case Form::Temperature:
                v.presetTemperatureC = leadingNumber(value);
                if (!std::isfinite(v.presetTemperatureC)) return std::nullopt;
                break;
            case Form::Text:
                v.*l.text = value;
                break;
        }
    }
    return v;
}

bool setupFitsSensor(const SetupValues& v, int sensorType) {
    // The G615 has no span, no-echo current or trigger mode: a file from one may leave them
    // empty, and they are never programmed into it.
    const bool g615 = sensorType == 4;
    const std::size_t samples = v.AverageType == 1 ? kAverageSamplesEntries.size() : 6;
    return inList(v.OutputSpan, kOutputSpanEntries.size(), g615) &&
           inList(v.NoTargetCurrent, kNoTargetCurrentEntries.size(), g615) &&
           inList(v.TriggerMode, kTriggerModeEntries.size(), g615) &&
           inList(v.cbMidMinLL, kMidZoneEntries.size(), false) &&
           inList(v.cbMidMaxLL, kMidZoneEntries.size(), false) &&
           inList(v.AverageType, kAverageTypeEntries.size(), false) &&
           inList(v.AverageSamples, samples, false) && isToggle(v.CloseMinLL) &&
           isToggle(v.FarMinLL) && isToggle(v.NoEchoMinLL) && isToggle(v.CloseMaxLL) &&
           isToggle(v.FarMaxLL) && isToggle(v.NoEchoMaxLL) && isToggle(v.TargLL);
}

std::string notInterpretableMessage(const std::string& path) {
    return "The file \"" + path +
           "\" cannot be interpreted. It may not be an K-7700 setup file, or it may have been "
           "corrupted.";
}

std::string setupRecordText(const SetupValues& v) {
    return setupFileText("change history", v);
}

std::optional<SetupValues> setupFromRecordText(const std::string& text, int sensorType) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    auto v = parseSetupLines(lines, setupValueLineCount(sensorType));
    if (!v || !setupFitsSensor(*v, sensorType)) return std::nullopt;
    return v;
}

}  // namespace k7
