#include "service/CurrentCalibration.h"

#include <algorithm>
#include <cstdint>

#include "common/NumberText.h"
#include "link/Commands.h"
#include "service/EepromAccess.h"
#include "service/ToolLine.h"

namespace k7 {
namespace {

constexpr float kAdjustWaitMs = 100;

// R(R(W × numerator / denominator + 128) / 256), the product in 32 bits, limited to 4095.
int scaledPoint(int w, std::int32_t numerator, int denominator) {
    const std::int32_t product = w * numerator;
    const double p = roundHalfEven(roundHalfEven(product / double(denominator) + 128) / 256);
    return std::min(static_cast<int>(p), kCalibrationMaxValue);
}

// Sets a link flag for one call and puts it back.
class FlagFor {
public:
    FlagFor(bool& flag, bool value) : flag_(flag), kept_(flag) { flag_ = value; }
    ~FlagFor() { flag_ = kept_; }
    FlagFor(const FlagFor&) = delete;
    FlagFor& operator=(const FlagFor&) = delete;

private:
    bool& flag_;
    bool kept_;
};

}  // namespace

const std::array<CalibrationPoint, 4> kCalibrationPoints{{
    {"Output &3.5 milliamps", 126, cmd::RaisePoint1, cmd::LowerPoint1, cmd::DrivePoint1},
    {"Output &4.0 milliamps", 106, cmd::RaisePoint2, cmd::LowerPoint2, cmd::DrivePoint2},
    {"Output &20.0 milliamps", 108, cmd::RaisePoint3, cmd::LowerPoint3, cmd::DrivePoint3},
    {"Output 20.&5 milliamps", 110, cmd::RaisePoint4, cmd::LowerPoint4, cmd::DrivePoint4},
}};

std::optional<CalibrationDefaults> calibrationDefaults(int w) {
    if (w < 1 || w > kCalibrationMaxValue) return std::nullopt;
    return CalibrationDefaults{scaledPoint(w, 1792, 40), scaledPoint(w, 256, 5), w,
                               scaledPoint(w, 10496, 40)};
}

std::array<CellValue, 8> calibrationWrites(const CalibrationDefaults& d) {
    std::array<CellValue, 8> out{};
    std::size_t i = 0;
    for (const auto& [value, point] :
         {std::pair{d.p205, 3}, std::pair{d.p200, 2}, std::pair{d.p40, 1}, std::pair{d.p35, 0}}) {
        const int high = kCalibrationPoints[static_cast<std::size_t>(point)].highCell;
        out[i++] = {high, value / 256};
        out[i++] = {high + 1, value - 256 * (value / 256)};
    }
    return out;
}

void CurrentCalibration::drive() {
    link_.sendRequest(kCalibrationPoints[static_cast<std::size_t>(point_)].outputCommand);
}

bool CurrentCalibration::open() {
    if (isOpen()) return true;
    const Link::Hold held = lineForTool(link_);
    if (!held) return false;
    pause_.emplace(poll_);
    link_.currentCalActive = true;
    link_.sendRequest(cmd::CurrentCalMode);
    point_ = 0;
    drive();
    return true;
}

bool CurrentCalibration::selectPoint(int index) {
    if (!isOpen() || index < 0 || index >= static_cast<int>(kCalibrationPoints.size())) {
        return false;
    }
    const Link::Hold held = lineForTool(link_);
    if (!held) return false;
    point_ = index;
    drive();
    return true;
}

bool CurrentCalibration::adjust(bool raise, bool fine) {
    if (!isOpen()) return false;
    const Link::Hold held = lineForTool(link_);
    if (!held) return false;
    const CalibrationPoint& p = kCalibrationPoints[static_cast<std::size_t>(point_)];
    {
        const FlagFor step(link_.fineCalibrationStep, fine);
        link_.sendRequest(raise ? p.raiseCommand : p.lowerCommand);
    }
    adjusted_[point_] += (raise ? 1 : -1) * (fine ? 1 : 10);
    link_.waitMs(kAdjustWaitMs);
    drive();
    link_.waitMs(kAdjustWaitMs);
    return true;
}

CurrentCalibration::Restore CurrentCalibration::restoreDefaults() {
    using Outcome = Restore::Outcome;
    if (!isOpen()) return {Outcome::Busy};
    const Link::Hold held = lineForTool(link_);
    if (!held) return {Outcome::Busy};
    const auto reference = readEeprom(link_, kReference20mACell);
    if (!reference) return {Outcome::NoReply};
    const int w = reference->word();
    const auto defaults = calibrationDefaults(w);
    if (!defaults) return {Outcome::BadReference, w};
    ChangeScope change(link_, "Current loop defaults");
    change.note("from the 20 mA reference " + std::to_string(w));
    // A cell that never reads back is reported by the link; the others are still written.
    for (const CellValue& c : calibrationWrites(*defaults)) {
        link_.writeCell(c.cell, c.value);
        if (link_.programEnding) return {Outcome::NoReply, w};
    }
    link_.sendRequest(cmd::Restart);
    link_.currentCalActive = true;
    link_.sendRequest(cmd::CurrentCalMode);
    drive();
    return {Outcome::Done, w};
}

bool CurrentCalibration::close() {
    if (!isOpen()) return true;
    if (!link_.programEnding) {
        const Link::Hold held = lineForTool(link_);
        if (!held) return false;
        // The raise and lower steps changed the points in the EEPROM: one change for them all.
        std::string steps;
        for (const auto& [point, units] : adjusted_) {
            if (units == 0) continue;
            std::string name = kCalibrationPoints[static_cast<std::size_t>(point)].caption;
            std::erase(name, '&');
            steps += (steps.empty() ? "" : ", ") + name + (units > 0 ? " +" : " ") +
                     std::to_string(units);
        }
        adjusted_.clear();
        std::optional<ChangeScope> change;
        if (!steps.empty()) {
            change.emplace(link_, "Current calibration");
            change->note("points moved (in calibration steps): " + steps);
        }
        link_.currentCalActive = false;
        link_.sendRequest(cmd::CurrentCalMode);
        link_.sendRequest(cmd::Restart);
    }
    link_.currentCalActive = false;
    pause_.reset();
    return true;
}

}  // namespace k7
