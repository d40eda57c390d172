#include "setupfile/SetupCompare.h"

#include <algorithm>
#include <cmath>

#include "common/Cp1252.h"
#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "settings/Lists.h"
#include "settings/SensorTypes.h"
#include "settings/Validation.h"

namespace k7 {
namespace {

constexpr std::size_t kDescriptionCells = 32;

template <std::size_t N>
std::string entry(const std::array<const char*, N>& list, int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= N) return "(none)";
    return list[static_cast<std::size_t>(code)];
}

// The whole number a typed field programs.
double programmedWhole(const std::string& text) {
    return std::floor(lenientNumber(text) + 0.5);
}

// The description as its 32 cells hold it, blanks around it removed as a read removes them.
std::string programmedDescription(const std::string& text) {
    std::string cells = utf8ToCp1252(text);
    if (cells.size() > kDescriptionCells) cells.resize(kDescriptionCells);
    return cp1252ToUtf8(trim(cells));
}

class Rows {
public:
    Rows(const SetupValues& file, const SetupValues& sensor, const CompareUnits& m)
        : f_(file), s_(sensor), m_(m) {}
    std::vector<CompareRow> rows;
    std::string group;  // of the rows added next

    void add(std::string setting, std::string file, std::string sensor, bool differs) {
        rows.push_back({std::move(setting), std::move(file), std::move(sensor), differs, group});
    }
    void distance(const char* setting, DistField field) {
        const auto i = static_cast<std::size_t>(field);
        const std::int32_t a = f_.stored[i], b = s_.stored[i];
        std::string ta = distanceWithUnits(a / 128.0, m_.distanceUnit, m_.formats);
        std::string tb = distanceWithUnits(b / 128.0, m_.distanceUnit, m_.formats);
        if (a != b && ta == tb) {
            ta += " (stored " + std::to_string(a) + ")";
            tb += " (stored " + std::to_string(b) + ")";
        }
        add(setting, ta, tb, a != b);
    }
    template <std::size_t N>
    void list(const char* setting, const std::array<const char*, N>& entries,
              int SetupValues::*code, const std::string& suffix = "") {
        const int a = f_.*code, b = s_.*code;
        add(setting, entry(entries, a) + suffix, entry(entries, b) + suffix, a != b);
    }
    void toggle(const char* setting, std::string SetupValues::*text) {
        add(setting, f_.*text, s_.*text, f_.*text != s_.*text);
    }
    void whole(const char* setting, std::string SetupValues::*text, const std::string& suffix) {
        const double a = programmedWhole(f_.*text), b = programmedWhole(s_.*text);
        add(setting, plainText(a) + suffix, plainText(b) + suffix, a != b);
    }
    void sampleRate() {
        const int a = sampleRateCount(f_.SampleRate1), b = sampleRateCount(s_.SampleRate1);
        add("Sample Rate", plainText(a / 10.0) + " Samples/sec.",
            plainText(b / 10.0) + " Samples/sec.", a != b);
    }
    void compensation() {
        const int a = f_.temperatureCompensation != 0, b = s_.temperatureCompensation != 0;
        add("Temperature Compensation", kTemperatureCompensationName[static_cast<std::size_t>(a)],
            kTemperatureCompensationName[static_cast<std::size_t>(b)], a != b);
    }
    void presetTemperature() {
        const double a = roundPresetTemperatureC(f_.presetTemperatureC);
        const double b = roundPresetTemperatureC(s_.presetTemperatureC);
        add("Preset Temperature", temperature(a), temperature(b), a != b);
    }
    void description() {
        const std::string a = programmedDescription(f_.UserDescription);
        const std::string b = programmedDescription(s_.UserDescription);
        add("User Description", "\"" + a + "\"", "\"" + b + "\"", a != b);
    }

private:
    std::string temperature(double c) const {
        const bool f = m_.temperatureUnit == kFahrenheit;
        return formatNumber(f ? celsiusToFahrenheit(c) : c, "##0.0") + " " +
               kTempUnitName[static_cast<std::size_t>(m_.temperatureUnit)];
    }
    const SetupValues& f_;
    const SetupValues& s_;
    const CompareUnits& m_;
};

// Display width of UTF-8 text: continuation bytes take no column.
std::size_t columns(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > columns(text) ? width - columns(text) : 0, ' ');
}

}  // namespace

CompareUnits compareUnitsOf(const ProgramState& m) {
    return {m.sensorType, m.distanceUnit, m.temperatureUnit, m.formats};
}

CompareUnits compareUnitsFor(int sensorType, int distanceUnit, int temperatureUnit) {
    CompareUnits u{sensorType, distanceUnit, temperatureUnit, {}};
    u.formats.resetForSensor(sensorTypeInfo(sensorType).family95kHz);
    return u;
}

std::vector<CompareRow> compareSetups(const SetupValues& file, const SetupValues& sensor,
                                      const CompareUnits& m) {
    const ModelScreen shown = modelScreen(m.sensorType);
    Rows r(file, sensor, m);
    r.group = shown.outputGroup;
    if (shown.currentLoop) {
        r.distance(sensor.OutputSpan == 0 ? "0 mA Distance" : "4 mA Distance", DistField::Dist04);
        r.distance("20 mA Distance", DistField::Dist20);
        r.list("OUTPUT Span", kOutputSpanEntries, &SetupValues::OutputSpan);
        r.list("No Echo OUTPUT Current", kNoTargetCurrentEntries, &SetupValues::NoTargetCurrent,
               " mA");
    } else {
        r.distance("Maximum Range", DistField::UserMaxRange);
    }
    r.group = kSetpointGroup;
    r.distance("Close Setpoint Distance", DistField::CloseSetPoint);
    r.distance("Far Setpoint Distance", DistField::FarSetPoint);
    r.toggle("Setpoint OUTPUT A < Close Setpoint", &SetupValues::CloseMinLL);
    r.list("Setpoint OUTPUT A Mid Zone", kMidZoneEntries, &SetupValues::cbMidMinLL);
    r.toggle("Setpoint OUTPUT A > Far Setpoint", &SetupValues::FarMinLL);
    r.toggle("Setpoint OUTPUT A No Echo", &SetupValues::NoEchoMinLL);
    r.toggle("Setpoint OUTPUT B < Close Setpoint", &SetupValues::CloseMaxLL);
    r.list("Setpoint OUTPUT B Mid Zone", kMidZoneEntries, &SetupValues::cbMidMaxLL);
    r.toggle("Setpoint OUTPUT B > Far Setpoint", &SetupValues::FarMaxLL);
    r.toggle("Setpoint OUTPUT B No Echo", &SetupValues::NoEchoMaxLL);
    r.whole("Hysteresis", &SetupValues::Hysteresis1, " %");
    r.group = kSamplingGroup;
    r.sampleRate();
    r.list("Average", kAverageSamplesEntries, &SetupValues::AverageSamples, " Samples");
    r.list("Average type", kAverageTypeEntries, &SetupValues::AverageType);
    if (shown.triggerMode) r.list("Trigger Mode", kTriggerModeEntries, &SetupValues::TriggerMode);
    if (shown.triggerDelay) r.whole("Trigger Delay", &SetupValues::TriggerDelay, " mSec.");
    if (shown.temperature) {
        r.compensation();
        r.presetTemperature();
    }
    r.group = kEchoGroup;
    if (shown.echoOutputWithNoEcho) {
        r.toggle("Echo Status OUTPUT with No Echo", &SetupValues::TargLL);
    }
    r.whole("No Echo Time Out", &SetupValues::NoEchoTimeout, " Samples");
    r.description();
    return std::move(r.rows);
}

int differenceCount(const std::vector<CompareRow>& rows) {
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const CompareRow& r) { return r.differs; }));
}

std::string compareReport(const std::vector<CompareRow>& rows) {
    std::size_t w0 = columns("Setting"), w1 = columns("File");
    for (const CompareRow& r : rows) {
        w0 = std::max(w0, columns(r.setting));
        w1 = std::max(w1, columns(r.file));
    }
    std::string out = "  " + padded("Setting", w0) + "  " + padded("File", w1) + "  Sensor\n";
    for (const CompareRow& r : rows) {
        out += (r.differs ? "* " : "  ") + padded(r.setting, w0) + "  " + padded(r.file, w1) +
               "  " + r.sensor + "\n";
    }
    const int n = differenceCount(rows);
    if (n == 0) {
        out += "The file and the sensor hold the same settings.\n";
    } else {
        out += std::to_string(n) + (n == 1 ? " setting differs.\n" : " settings differ.\n");
    }
    return out;
}

}  // namespace k7
