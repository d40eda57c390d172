#include "settings/Programming.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "common/Cp1252.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "link/Commands.h"
#include "settings/Lists.h"
#include "settings/Validation.h"

namespace k7 {
namespace {

constexpr int kTagCell = 45;
constexpr int kDescriptionCell = 46;
constexpr std::size_t kDescriptionLength = 32;
constexpr double kFallbackPresetByte = 140;  // 20 degrees Celsius

constexpr const char* kProgressCaption = "Writing K-7700 Data";
constexpr const char* kTagRangeMessage = "The ID tag must be a number between 1 and 32 inclusive";

std::string num(long long v) {
    return std::to_string(v);
}

// A number as decimal text; whole numbers in the byte range are what the cells take, anything
// else is left for the write parameter block to refuse.
std::string numberText(double v) {
    if (std::isfinite(v) && std::fabs(v) < 1e15 && v == std::floor(v)) {
        return num(static_cast<long long>(v));
    }
    return plainText(v);
}

// The value validation tested for a whole-number field (Int(x + 0.5)). Writing the text as
// typed would let the byte conversion round "0.5" down to 0, a value validation never passed.
std::string wholeFieldValue(std::string_view text) {
    return numberText(std::floor(lenientNumber(text) + 0.5));
}

void addWord(std::vector<CellWrite>& w, int address, std::int32_t stored) {
    w.push_back({address, num(highByte(stored))});
    w.push_back({address + 1, num(lowByte(stored))});
}

int levelBits(const std::string& noEcho, const std::string& far, int mid,
              const std::string& close) {
    return (noEcho == kOn ? 1 : 0) + (far == kOn ? 2 : 0) + (mid == 1 ? 4 : 0) +
           (close == kOn ? 8 : 0);
}

void addressTag(ProgramState& m, ScreenValues& screen, int tag) {
    screen.SingleSensorID = num(tag);
    m.link.ui().setAddressedTagText(screen.SingleSensorID);
}

// A quiet read of the ID cell at `tag`: does a sensor answer to it? `quick` gives up after two
// attempts, as the sensor search does. Only a reply carrying that tag counts.
bool answersAt(ProgramState& m, ScreenValues& screen, int tag, bool quick) {
    Link& link = m.link;
    addressTag(m, screen, tag);
    link.eepromReadAddress = kTagCell;
    const bool answered =
        link.exchange(cmd::ReadEeprom, {.quiet = true, .attempts = quick ? 2 : 0, .onlyTag = tag});
    return answered && !link.programEnding;
}

void tellUser(ProgramState& m, const std::string& text) {
    if (m.link.errorBeep) m.link.ui().beep();
    m.link.ui().showLinkMessage(text);
}

// The ID tag change: the sensor takes its new tag from cell 45 when it restarts. Returns the
// status to stop with, or Completed to go on with the settings.
ProgramStatus changeIdTag(ProgramState& m, ScreenValues& screen, double typedTag) {
    Link& link = m.link;
    const int oldTag = m.discovery.currentIdTag;
    if (typedTag < 1 || typedTag > 32) {
        // Only reachable with validation skipped: a sensor given such a tag could never be
        // addressed again, since replies outside 1..32 are refused.
        addressTag(m, screen, oldTag);
        tellUser(m, kTagRangeMessage);
        return ProgramStatus::TagUnavailable;
    }
    const int newTag = static_cast<int>(typedTag);
    // Two sensors on one tag would both take every following write.
    if (answersAt(m, screen, newTag, true)) {
        addressTag(m, screen, oldTag);
        tellUser(m, "ID tag " + num(newTag) +
                        " is already in use by another sensor. Nothing was written.");
        return ProgramStatus::TagUnavailable;
    }
    if (link.programEnding) return ProgramStatus::Stopped;

    addressTag(m, screen, oldTag);
    link.writeEepromAddress = num(kTagCell);
    link.writeEepromData = num(newTag);
    // Firmware may switch tags as soon as the cell is written, so a read-back under the old
    // tag could go unanswered; the look for the new tag after the restart checks it instead.
    link.skipWriteVerify = true;
    link.sendRequest(cmd::WriteEeprom);
    link.sendRequest(cmd::Restart);
    link.skipWriteVerify = false;
    if (link.programEnding) return ProgramStatus::Stopped;

    addressTag(m, screen, newTag);
    m.discovery.currentIdTag = newTag;
    if (answersAt(m, screen, newTag, false)) return ProgramStatus::Completed;
    if (link.programEnding) return ProgramStatus::Stopped;
    if (answersAt(m, screen, oldTag, false)) {
        m.discovery.currentIdTag = oldTag;
        tellUser(m, "The sensor did not take ID tag " + num(newTag) +
                        " and still answers to ID tag " + num(oldTag) +
                        ". Nothing else was written.");
        return ProgramStatus::TagNotTaken;
    }
    if (link.programEnding) return ProgramStatus::Stopped;
    // Silent under both tags: carry on under the new one; the first write then ends at the
    // no-communication window, as any sensor that stops answering does.
    addressTag(m, screen, newTag);
    return ProgramStatus::Completed;
}

ProgramStatus writeCells(ProgramState& m, const std::vector<CellWrite>& writes, ProgramResult& r) {
    Link& link = m.link;
    for (const CellWrite& w : writes) {
        link.writeEepromAddress = num(w.address);
        link.writeEepromData = w.value;
        // A value that is no byte is refused (and reported) by the link before anything is
        // sent; the cell then counts as failed.
        link.sendRequest(cmd::WriteEeprom);
        if (link.programEnding) return ProgramStatus::Stopped;
        ++r.cellsWritten;
        if (!link.lastWriteVerified()) r.failedCells.push_back(w.address);
    }
    link.sendRequest(cmd::Restart);
    return link.programEnding ? ProgramStatus::Stopped : ProgramStatus::Completed;
}

const char* whyStopped(ProgramStatus s) {
    switch (s) {
        case ProgramStatus::TagUnavailable:
            return "the new ID tag was not available";
        case ProgramStatus::TagNotTaken:
            return "the sensor did not take its new ID tag";
        case ProgramStatus::Stopped:
            return "the sensor stopped answering";
        default:
            return "";
    }
}

void keepOutcome(ProgramState& m, const ProgramResult& r) {
    m.runRecord.programmed[m.discovery.currentIdTag] = {
        localDateTimeText(), r.status == ProgramStatus::Completed, r.cellsWritten, r.failedCells,
        whyStopped(r.status)};
}

struct CellRange {
    int first, last;
    const char* name;
    const char* field;
};

// Every cell the programming writes, by the setting it holds.
constexpr CellRange kUserCells[] = {
    {45, 45, "ID Tag", "SingleSensorID"},
    {46, 77, "User Description", "UserDescription"},
    {78, 78, "OUTPUT Span", "OutputSpan"},
    {79, 80, nullptr, "Dist04"},  // named after the span
    {81, 82, "20 mA Distance", "Dist20"},
    {83, 83, "No Echo OUTPUT Current", "NoTargetCurrent"},
    {84, 85, "Close Setpoint Distance", "CloseSetPoint"},
    {86, 87, "Far Setpoint Distance", "FarSetPoint"},
    {88, 88, "Setpoint OUTPUT A", ""},
    {89, 89, "Setpoint OUTPUT B", ""},
    {90, 90, "Hysteresis", "Hysteresis1"},
    {91, 91, "Echo Status OUTPUT with No Echo", "TargLL"},
    {93, 93, "Average", "AverageSamples"},
    {94, 94, "Average type", "AverageType"},
    {95, 95, "No Echo Time Out", "NoEchoTimeout"},
    {101, 101, "Trigger Mode", "TriggerMode"},
    {102, 102, "Trigger Delay", "TriggerDelay"},
    {103, 103, "Temperature Compensation", ""},
    {104, 104, "Preset Temperature", "ManualTemperature"},
    {105, 105, "Mid Zone of Setpoint OUTPUT A and B", ""},
    {114, 115, "Maximum Range", "UserMaxRange"},
    {117, 118, "Sample Rate", "SampleRate1"},
};

}  // namespace

CellSetting cellSetting(int cell, int outputSpan) {
    for (const CellRange& r : kUserCells) {
        if (cell < r.first || cell > r.last) continue;
        if (!r.name) return {outputSpan == 0 ? "0 mA Distance" : "4 mA Distance", r.field};
        return {r.name, r.field};
    }
    return {"EEPROM cell " + num(cell), ""};
}

std::string notTakenText(const std::vector<int>& failedCells, int outputSpan) {
    // One entry a setting, its cells in the order they were written.
    std::vector<std::pair<std::string, std::vector<int>>> settings;
    for (int cell : failedCells) {
        const std::string name = cellSetting(cell, outputSpan).name;
        if (settings.empty() || settings.back().first != name) settings.push_back({name, {}});
        settings.back().second.push_back(cell);
    }
    std::string text;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const auto& [name, cells] = settings[i];
        if (i > 0) text += i + 1 == settings.size() ? " and " : ", ";
        text += name + (cells.size() == 1 ? " (cell " : " (cells ");
        for (std::size_t c = 0; c < cells.size(); ++c) text += (c ? ", " : "") + num(cells[c]);
        text += ")";
    }
    return text + (failedCells.size() == 1 ? " did not take the value written"
                                           : " did not take the values written");
}

std::vector<CellWrite> userEepromWrites(const ProgramState& m, const ScreenValues& screen) {
    const int type = m.sensorType;
    const bool g615 = type == 4;
    std::vector<CellWrite> w;
    addWord(w, 79, m.distField(DistField::Dist04).stored);
    addWord(w, 81, m.distField(DistField::Dist20).stored);
    // A list left empty (the sensor held a code beyond it) has no value to write: the cell
    // keeps what the sensor holds.
    auto addList = [&w](int address, int position) {
        if (position >= 0) w.push_back({address, num(position)});
    };
    if (!g615) {
        addList(78, screen.OutputSpan);
        addList(83, screen.NoTargetCurrent);
    }
    addWord(w, 84, m.distField(DistField::CloseSetPoint).stored);
    addWord(w, 86, m.distField(DistField::FarSetPoint).stored);
    if (isMaxRangeModel(type)) addWord(w, 114, m.distField(DistField::UserMaxRange).stored);
    w.push_back({88, num(levelBits(screen.NoEchoMinLL, screen.FarMinLL, screen.cbMidMinLL,
                                   screen.CloseMinLL))});
    w.push_back({89, num(levelBits(screen.NoEchoMaxLL, screen.FarMaxLL, screen.cbMidMaxLL,
                                   screen.CloseMaxLL))});
    w.push_back({105, num((screen.cbMidMinLL == kMidZoneNoChange ? 1 : 0) +
                          (screen.cbMidMaxLL == kMidZoneNoChange ? 2 : 0))});
    w.push_back({90, wholeFieldValue(screen.Hysteresis1)});
    w.push_back({91, num(screen.TargLL == kOff ? 1 : 0)});
    w.push_back({95, wholeFieldValue(screen.NoEchoTimeout)});
    addList(94, screen.AverageType);
    addList(93, screen.AverageSamples);
    if (!g615) {
        addList(101, screen.TriggerMode);
        w.push_back({102, wholeFieldValue(screen.TriggerDelay)});
    }
    // The maximum-range models' settings read skips the temperature cells: what the program
    // holds for them came from another sensor or from nowhere.
    if (!isMaxRangeModel(type)) {
        w.push_back({103, num(m.temperatureCompensation)});
        double preset = m.presetTemperatureC * 2 + 100;
        if (!(preset >= 0 && preset <= 255)) preset = kFallbackPresetByte;
        w.push_back({104, numberText(preset)});
    }
    // The same split as validation's count, so the cells hold exactly what was checked.
    const int rate = sampleRateCount(screen.SampleRate1);
    w.push_back({117, num(highByte(rate))});
    w.push_back({118, num(lowByte(rate))});

    std::string text = utf8ToCp1252(screen.UserDescription);
    text.resize(kDescriptionLength, ' ');
    for (std::size_t i = 0; i < kDescriptionLength; ++i) {
        w.push_back(
            {kDescriptionCell + static_cast<int>(i), num(static_cast<std::uint8_t>(text[i]))});
    }
    return w;
}

ProgramResult writeAllUserEeprom(ProgramState& m, ScreenValues& screen) {
    Link& link = m.link;
    ProgramResult result;
    if (link.programEnding) {
        result.status = ProgramStatus::Stopped;
        return result;
    }
    const Link::Hold held = link.hold();
    if (!held) {
        result.status = ProgramStatus::Busy;
        return result;
    }
    link.progressTotal = 55;
    link.progressDone = 0;
    ChangeScope change(link, kProgramChange);
    link.ui().showProgressWindow(kProgressCaption, false);
    try {
        const std::vector<CellWrite> writes = userEepromWrites(m, screen);
        const double typedTag = roundHalfEven(lenientNumber(screen.SingleSensorID));
        if (typedTag != m.discovery.currentIdTag) {
            result.status = changeIdTag(m, screen, typedTag);
        }
        if (result.status == ProgramStatus::Completed) {
            result.status = writeCells(m, writes, result);
        }
    } catch (const std::exception& e) {
        link.skipWriteVerify = false;
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        link.ui().reportError("Module2.WriteAllUserEEPROM", re ? re->number() : kErrDeviceIo,
                              e.what());
        link.endProgram();
        result.status = ProgramStatus::Stopped;
    }
    link.ui().closeProgressWindow();
    keepOutcome(m, result);
    change.fail(whyStopped(result.status));
    return result;
}

}  // namespace k7
