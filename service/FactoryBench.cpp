#include "service/FactoryBench.h"

#include <algorithm>
#include <cmath>

#include "common/Cp1252.h"
#include "link/Commands.h"
#include "service/ToolLine.h"

namespace k7 {
namespace {

constexpr int kTempCalSettleMs = 500;
constexpr int kDescriptionCellPauseMs = 1000;
constexpr int kLegPauseMs = 60;
constexpr int kWalkStepMs = 1000;
constexpr std::int64_t kStreamDrainUs = 1'000'000;
constexpr std::size_t kLongestStream = 4096;  // more than any acoustic record

// What the cells of the low region hold, for the description's confirmation.
struct LowCellUse {
    int first, last;
    const char* use;
};
constexpr LowCellUse kLowCellUses[] = {
    {6, 7, "distance calibration"},
    {8, 9, "20 mA D/A calibration"},
    {10, 10, "temperature calibration"},
    {11, 11, "gain switch delay"},
    {12, 12, "close target delay"},
    {13, 13, "lockout"},
    {14, 19, "factory data (ring times on a G-615 in 16 to 19)"},
    {20, 20, "user temperature calibration"},
    {21, 29, "factory data (ring times on a G-615)"},
};

bool sendOne(Link& link, int command) {
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    link.sendRequest(command);
    return true;
}

std::string cellsText(int first, int last) {
    return first == last ? "cell " + std::to_string(first)
                         : "cells " + std::to_string(first) + "-" + std::to_string(last);
}

}  // namespace

Pacer responsivePacer(Link& link, std::function<bool()> stopped) {
    return [&link, stopped = std::move(stopped)](int ms) {
        link.processEvents();
        if (link.programEnding || stopped()) return false;
        return link.pauseUntil(link.clock().nowUs() + std::int64_t{ms} * 1000,
                               [&] { return !stopped(); });
    };
}

// ---------------------------------------------------------------------------------------------
// Calibration

double expectedEchoTicks(double rangeInches, double celsius) {
    return (rangeInches + rangeInches) * 5000000.0 / 789.9147 / std::sqrt(celsius + 273.15);
}

long calibrationValue(double rangeInches, double celsius, int measuredTicks) {
    return static_cast<long>(std::floor(expectedEchoTicks(rangeInches, celsius) + 0.5)) -
           measuredTicks;
}

DistanceCalibration calibrateDistance(Link& link, double rangeInches, double celsius) {
    using Outcome = DistanceCalibration::Outcome;
    DistanceCalibration r;
    const Link::Hold held = lineForTool(link);
    if (!held) return r;
    if (!link.exchange(cmd::DistanceCal) || link.programEnding) {
        r.outcome = Outcome::NoReply;
        return r;
    }
    r.measured = link.replyWord34;
    if (r.measured == 0) {
        // No echo: a value from it would shift every distance by the whole expected time.
        r.outcome = Outcome::NoEcho;
        return r;
    }
    r.cal = calibrationValue(rangeInches, celsius, r.measured);
    if (r.cal < -32768 || r.cal > 32767) {
        r.outcome = Outcome::OutOfRange;
        return r;
    }
    const int stored = static_cast<int>(r.cal < 0 ? r.cal + 65536 : r.cal);
    ChangeScope change(link, "Distance calibration");
    change.note("Cal Value = " + std::to_string(r.cal));
    sendUnlock(link, UnlockRegion::Low);
    const std::array<CellValue, 2> cells{
        {{kDistanceCalCell, stored / 256}, {kDistanceCalCell + 1, stored % 256}}};
    if (const auto failed = writeCellsInOrder(link, cells, false)) {
        r.outcome = Outcome::WriteFailed;
        r.failedCell = *failed;
        return r;
    }
    link.sendRequest(cmd::Restart);
    r.outcome = Outcome::Written;
    return r;
}

std::optional<double> stepTemperatureCal(Link& link, bool up, const std::function<void()>& sent) {
    const Link::Hold held = lineForTool(link);
    if (!held) return std::nullopt;
    {
        // The sensor changes its own calibration cell: no write of ours says so.
        ChangeScope change(link, "Temperature calibration");
        change.note(up ? "raised one step" : "lowered one step");
        sendUnlock(link, UnlockRegion::Low);
        link.sendRequest(up ? cmd::TempCalUp : cmd::TempCalDown);
    }
    sent();
    link.waitMs(kTempCalSettleMs);
    if (!link.exchange(cmd::TemperatureReading) || link.programEnding) return std::nullopt;
    return link.dataByte(2) / 2.0 - 50;
}

// ---------------------------------------------------------------------------------------------
// Serial number and single exchanges

std::array<CellValue, 3> serialNumberCells(long serial) {
    const long a = serial / 256;
    const long b = a / 256;
    return {{{2, static_cast<int>(b)},
             {3, static_cast<int>(a - 256 * b)},
             {4, static_cast<int>(serial - 256 * a)}}};
}

CellsWritten writeSerialNumber(Link& link, long serial) {
    const Link::Hold held = lineForTool(link);
    if (!held) return {true, std::nullopt};
    ChangeScope change(link, "Serial number");
    change.note("serial number " + std::to_string(serial));
    sendUnlock(link, UnlockRegion::Low);
    return {false, writeCellsInOrder(link, serialNumberCells(serial), false)};
}

bool sendSingleCommand(Link& link, int code) {
    if (!isAcceptedCommand(code)) return false;
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    link.sendRequest(code);
    if (code == cmd::RamDump || code == cmd::AcousticData) {
        const std::size_t expected = code == cmd::RamDump ? kRamDumpBytes : kLongestStream;
        link.readStream(expected, link.clock().nowUs() + kStreamDrainUs);
    }
    return true;
}

CellsWritten writeCell(Link& link, int address, int value) {
    const Link::Hold held = lineForTool(link);
    if (!held) return {true, std::nullopt};
    const CellValue cell{address, value};
    return {false, writeCellsInOrder(link, std::span(&cell, 1), false)};
}

std::optional<CellPair> readCell(Link& link, int address) {
    const Link::Hold held = lineForTool(link);
    if (!held) return std::nullopt;
    return readEeprom(link, address);
}

bool enableAllWrites(Link& link) {
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    sendUnlock(link, UnlockRegion::Low);
    sendUnlock(link, UnlockRegion::Middle);
    return true;
}

bool bootSensor(Link& link) {
    return sendOne(link, cmd::Restart);
}

// ---------------------------------------------------------------------------------------------
// Sensor description

std::optional<std::vector<CellValue>> descriptionCells(std::string_view utf8Text) {
    const std::string codes = utf8ToCp1252(utf8Text);
    if (codes.size() > static_cast<std::size_t>(kDescriptionMaxLength)) return std::nullopt;
    std::vector<CellValue> cells;
    int cell = kDescriptionFirstCell;
    for (char c : codes) cells.push_back({cell++, static_cast<std::uint8_t>(c)});
    return cells;
}

std::string descriptionWarning(std::span<const CellValue> cells) {
    if (cells.empty()) return {};
    const int first = cells.front().cell;
    const int last = cells.back().cell;
    std::string text = "The description goes into EEPROM " + cellsText(first, last) +
                       ", in the protected region that holds the sensor's factory calibration:\n";
    for (const LowCellUse& u : kLowCellUses) {
        const int from = std::max(u.first, first);
        const int to = std::min(u.last, last);
        if (from <= to) text += "\n    " + cellsText(from, to) + ": " + u.use;
    }
    text += "\n\nWhat these cells hold now is overwritten. Write the description?";
    return text;
}

CellsWritten writeDescription(Link& link, std::span<const CellValue> cells, const Pacer& pacer) {
    const Link::Hold held = lineForTool(link);
    if (!held) return {true, std::nullopt};
    ChangeScope change(link, "Sensor description");
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0 && !pacer(kDescriptionCellPauseMs)) return {false, cells[i].cell};
        if (const auto failed = writeCellsInOrder(link, cells.subspan(i, 1), true)) {
            return {false, failed};
        }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Raw traffic

bool sendFreeFrame(Link& link, const std::array<std::uint8_t, 5>& bytes) {
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    std::copy(bytes.begin(), bytes.end(), link.lastRequest.begin());
    link.sendSixBytes();
    return true;
}

bool sendLegSequence(Link& link, const Pacer& pacer) {
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    const std::array<std::uint8_t, 2> legs{0, 1};
    if (!link.writeRaw(legs, "frmFactory.LegSequence_Click")) return false;
    return pacer(kLegPauseMs);
}

std::vector<PatternAction> patternActions(int code, int da) {
    using Kind = PatternAction::Kind;
    std::vector<PatternAction> out;
    std::array<std::uint8_t, 16> buf{};  // buf[i] is byte i + 1
    auto send = [&] { out.push_back({Kind::Send, buf, 0}); };
    auto wait = [&](int ms) { out.push_back({Kind::Wait, {}, ms}); };
    auto beep = [&] { out.push_back({Kind::Beep, {}, 0}); };
    auto oddEven = [&](int odd, int even) {
        for (std::size_t i = 0; i < buf.size(); ++i) {
            buf[i] = static_cast<std::uint8_t>(i % 2 == 0 ? odd : even);
        }
    };

    if (code >= 1 && code <= 8) {
        for (std::size_t b :
             {static_cast<std::size_t>(2 * code - 1), static_cast<std::size_t>(2 * code - 2)}) {
            for (int v = 1; v < 256; v *= 2) {
                buf[b] = static_cast<std::uint8_t>(v);
                send();
                wait(kWalkStepMs);
            }
            buf[b] = 0;
            send();
        }
        for (int i = 0; i < 5; ++i) beep();
        return out;
    }
    switch (code) {
        case 9:
        case 10:
            for (std::size_t i = 0; i < buf.size(); ++i) {
                const bool first = i % 4 < 2;
                buf[i] = (first == (code == 9)) ? 170 : 85;
            }
            break;
        case 11:
            for (std::size_t i = 0; i < 15; ++i) buf[i] = static_cast<std::uint8_t>(i + 1);
            buf[15] = 1;
            break;
        case 12:
            for (std::size_t i = 0; i < 14; ++i) {
                const int index = static_cast<int>(i) + 1;
                buf[i] = static_cast<std::uint8_t>(index % 2 == 1 ? index + 1 : index - 1);
            }
            buf[14] = 1;
            buf[15] = 15;
            break;
        case 13:
            buf.fill(255);
            break;
        case 15: {
            const int d = da == 0 ? kPatternDaDefault : da;
            const struct {
                int odd, even, repeats, ms;
            } phases[] = {{1, 17, d / 2 + 1, 2000},
                          {162, 0, d + 1, 1000},
                          {68, 98, 2 * d + 1, 500},
                          {152, 140, 4 * d + 1, 250}};
            for (const auto& p : phases) {
                oddEven(p.odd, p.even);
                send();
                for (int k = 0; k < p.repeats; ++k) {
                    wait(p.ms);
                    beep();
                }
            }
            return out;
        }
        case 17:
            oddEven(73, 36);
            break;
        case 18:
            oddEven(36, 146);
            break;
        case 19:
            oddEven(146, 73);
            break;
        default:  // 14 and every other code: all 0
            break;
    }
    send();
    return out;
}

bool runPattern(Link& link, const std::vector<PatternAction>& actions, const Pacer& pacer) {
    const Link::Hold held = lineForTool(link);
    if (!held) return false;
    for (const PatternAction& a : actions) {
        switch (a.kind) {
            case PatternAction::Kind::Send:
                if (!link.writeRaw(a.bytes, "frmFactory.SendPattern")) return false;
                break;
            case PatternAction::Kind::Wait:
                if (!pacer(a.ms)) return false;
                break;
            case PatternAction::Kind::Beep:
                link.ui().beep();
                break;
        }
    }
    return true;
}

}  // namespace k7
