#include "settings/SettingsRead.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "common/Cp1252.h"
#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "link/Commands.h"
#include "settings/EepromMap.h"
#include "settings/Lists.h"

namespace k7 {
namespace {

inline constexpr int kSettingsReadTransfers = 54;
inline constexpr const char* kReadingCaption = "Reading K-7700 Data";

// The read stops when the program is ending (Exit in the no-communication window) or when a
// reply never came: whatever is in the reply buffer then is not this cell's value.
struct ReadAborted {};

class CellReader {
public:
    explicit CellReader(Link& link) : link_(link) {}

    void exchange(int command) {
        link_.sendRequest(command);
        link_.readReply();
        if (link_.programEnding || link_.replyOk == 0) throw ReadAborted{};
    }
    std::uint8_t byte(int address) {
        read(address);
        return link_.dataByte(1);
    }
    // 16-bit values come whole from the read of their high cell.
    int word(int address) {
        read(address);
        return link_.replyWord45;
    }

private:
    void read(int address) {
        link_.eepromReadAddress = static_cast<std::uint8_t>(address);
        exchange(cmd::ReadEeprom);
    }
    Link& link_;
};

const char* onOff(int levels, int bit) {
    return (levels >> bit) & 1 ? kOn : kOff;
}

// A list position the sensor holds, or -1 (nothing selected) when the code is beyond the
// list: showing some other entry would program a value the sensor never had. Such codes are
// noted with the setting's name.
int listPosition(int code, std::size_t entries, const char* name, std::string& unknown) {
    if (code >= 0 && static_cast<std::size_t>(code) < entries) return code;
    unknown += (unknown.empty() ? "" : ", ") + std::string(name) + " " + std::to_string(code);
    return -1;
}

// Rolling averages offer the first 6 sample counts, boxcar averages all 11.
std::size_t averageSamplesEntries(int averageType) {
    return averageType == 1 ? kAverageSamplesEntries.size() : 6;
}

// A single-precision value in its shortest plain form: "10", "2.5", "0.1".
std::string singleText(float value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

// Description bytes as text: printable ASCII and the letters of the Windows code page are
// kept, control codes and unassigned bytes become blanks so they cannot upset the screen or
// a setup file.
std::string descriptionText(const std::string& bytes) {
    std::string clean = bytes;
    for (char& c : clean) {
        const auto b = static_cast<std::uint8_t>(c);
        const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (b < 0x20 || b == 0x7F || unassigned) c = ' ';
    }
    return trim(cp1252ToUtf8(clean));
}

void readDistance(CellReader& r, ProgramState& m, ScreenValues& screen, DistField field,
                  int address) {
    const auto i = static_cast<std::size_t>(field);
    DistanceFieldState& s = m.dist[i];
    s.stored = r.word(address);
    makeDistanceFieldFromStored(s, m.formats);
    // The field now holds what the sensor holds; an old edit mark would re-parse the
    // rounded text at the next commit and shift the stored value.
    s.changed = false;
    screen.DistText[i] = s.unitText[static_cast<std::size_t>(m.distanceUnit)];
}

void identify(CellReader& r, ProgramState& m, ScreenValues& screen) {
    r.exchange(cmd::SensorType);
    m.sensorType = m.link.dataByte(0);
    const SensorTypeInfo info = sensorTypeInfo(m.sensorType);
    m.formats.resetForSensor(info.family95kHz);
    m.link.slowSensor = info.slow;
    m.g503Sensor = info.g503;
    m.k7702Sensor = info.k7702;
    if (info.sensorClass != 0) m.link.sensorClass = static_cast<std::uint8_t>(info.sensorClass);
    screen.FactoryDescription = info.caption;
}

void readSettings(CellReader& r, ProgramState& m, ScreenValues& screen, std::string& unknown) {
    const int type = m.sensorType;
    const bool slow = type == 4;
    const bool maxRangeModel = isMaxRangeModel(type);

    readDistance(r, m, screen, DistField::Dist04, addr::Dist04);
    readDistance(r, m, screen, DistField::Dist20, addr::Dist20);
    if (!slow) {
        screen.OutputSpan = r.byte(addr::OutputSpan) & 1;
        m.stored.OutputSpan = screen.OutputSpan;
        screen.NoTargetCurrent =
            listPosition(r.byte(addr::NoTargetCurrent) & 7, kNoTargetCurrentEntries.size(),
                         kNoTargetCurrentName, unknown);
        m.stored.NoTargetCurrent = screen.NoTargetCurrent;
    }
    readDistance(r, m, screen, DistField::CloseSetPoint, addr::CloseSetPoint);
    readDistance(r, m, screen, DistField::FarSetPoint, addr::FarSetPoint);
    if (maxRangeModel) readDistance(r, m, screen, DistField::UserMaxRange, addr::UserMaxRange);

    const int levelsA = r.byte(addr::LevelsA);
    screen.NoEchoMinLL = onOff(levelsA, 0);
    screen.FarMinLL = onOff(levelsA, 1);
    screen.cbMidMinLL = (levelsA >> 2) & 1;
    screen.CloseMinLL = onOff(levelsA, 3);
    const int levelsB = r.byte(addr::LevelsB);
    screen.NoEchoMaxLL = onOff(levelsB, 0);
    screen.FarMaxLL = onOff(levelsB, 1);
    screen.cbMidMaxLL = (levelsB >> 2) & 1;
    screen.CloseMaxLL = onOff(levelsB, 3);
    const int hold = r.byte(addr::MidZoneHold);
    if (hold & 1) screen.cbMidMinLL = kMidZoneNoChange;
    if (hold & 2) screen.cbMidMaxLL = kMidZoneNoChange;
    m.stored.cbMidMinLL = screen.cbMidMinLL;
    m.stored.cbMidMaxLL = screen.cbMidMaxLL;

    screen.Hysteresis1 = std::to_string(r.byte(addr::Hysteresis));
    screen.TargLL = r.byte(addr::TargetIndication) & 1 ? kOff : kOn;
    screen.SampleRate1 = singleText(static_cast<float>(r.word(addr::SampleRate) / 10.0));
    screen.NoEchoTimeout = std::to_string(r.byte(addr::NoEchoTimeout));

    screen.AverageType = r.byte(addr::AverageType) & 1;
    m.stored.AverageType = screen.AverageType;
    screen.AverageSamples =
        listPosition(r.byte(addr::AverageSamples) & 15, averageSamplesEntries(screen.AverageType),
                     kAverageSamplesName, unknown);
    m.stored.AverageSamples = screen.AverageSamples;

    if (!slow) {
        screen.TriggerMode = listPosition(r.byte(addr::TriggerMode) & 7, kTriggerModeEntries.size(),
                                          kTriggerModeName, unknown);
        m.stored.TriggerMode = screen.TriggerMode;
        screen.TriggerDelay = std::to_string(r.byte(addr::TriggerDelay));
    }
    if (!maxRangeModel) {
        m.temperatureCompensation = r.byte(addr::TemperatureCompensation) & 1;
        m.presetTemperatureC = r.byte(addr::PresetTemperature) / 2.0 - 50;
        m.presetTemperatureF = celsiusToFahrenheit(m.presetTemperatureC);
        screen.ManualTemperature = formatNumber(
            m.temperatureUnit == kFahrenheit ? m.presetTemperatureF : m.presetTemperatureC,
            "##0.0");
    }

    const int b2 = r.byte(addr::SerialHigh);
    const int b3 = r.byte(addr::SerialMid);
    const int b4 = r.byte(addr::SerialLow);
    screen.SerialNumber = " " + std::to_string(65536 * b2 + 256 * b3 + b4);

    std::string description;
    for (int a = addr::Description; a < addr::Description + addr::DescriptionLength; ++a) {
        description += static_cast<char>(r.byte(a));
    }
    screen.UserDescription = descriptionText(description);
}

}  // namespace

std::string readSensorSettings(ProgramState& m, ScreenValues& screen) {
    if (m.link.programEnding) return {};
    const Link::Hold held = m.link.hold();
    if (!held) return {};
    std::string unknown;
    LinkUi& ui = m.link.ui();
    m.link.progressDone = 0;
    m.link.progressTotal = kSettingsReadTransfers;
    ui.showProgressWindow(kReadingCaption, false);
    try {
        CellReader reader(m.link);
        identify(reader, m, screen);
        readSettings(reader, m, screen, unknown);
    } catch (const ReadAborted&) {
        // Ending the program closes every window; a read that merely failed must not leave
        // the progress window standing over the main screen.
        if (!m.link.programEnding) ui.closeProgressWindow();
        return {};
    } catch (const std::exception& e) {
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        ui.reportError("Module2.ShowUnitSelections", re ? re->number() : kErrDeviceIo, e.what());
        ui.closeProgressWindow();
        return {};
    }
    ui.closeProgressWindow();
    m.limits =
        limitsFor(m.sensorType, m.link.sensorClass, m.distField(DistField::UserMaxRange).inches);
    if (unknown.empty()) return {};
    return "Codes not in their lists were read from the sensor (" + unknown +
           "): choose an entry before programming.";
}

}  // namespace k7
