#include "sim/SimSensor.h"

#include <algorithm>
#include <cmath>

#include "link/Commands.h"
#include "sim/AcousticRecord.h"
#include "sim/FactoryImage.h"
#include "sim/Physics.h"
#include "sim/RamImage.h"
#include "sim/SensorTypes.h"

namespace k7::sim {
namespace {

constexpr std::uint8_t kFaultReportStatus = 0x70;

int strengthFor(double fractionOfRange) {
    if (fractionOfRange < 0.35) return 64;
    if (fractionOfRange < 0.55) return 48;
    if (fractionOfRange < 0.75) return 32;
    return 16;
}

std::uint8_t hi(int word) {
    return static_cast<std::uint8_t>((word >> 8) & 0xFF);
}
std::uint8_t lo(int word) {
    return static_cast<std::uint8_t>(word & 0xFF);
}

// High cell of the calibration point a raise/lower command works on, and its direction.
std::optional<std::pair<int, int>> calibrationTarget(int command) {
    switch (command) {
        case cmd::RaisePoint1:
            return std::pair{cell::CalPoint1, +1};
        case cmd::LowerPoint1:
            return std::pair{cell::CalPoint1, -1};
        case cmd::RaisePoint2:
            return std::pair{cell::CalPoint2, +1};
        case cmd::LowerPoint2:
            return std::pair{cell::CalPoint2, -1};
        case cmd::RaisePoint3:
            return std::pair{cell::CalPoint3, +1};
        case cmd::LowerPoint3:
            return std::pair{cell::CalPoint3, -1};
        case cmd::RaisePoint4:
            return std::pair{cell::CalPoint4, +1};
        case cmd::LowerPoint4:
            return std::pair{cell::CalPoint4, -1};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::uint32_t serialNumberOf(const SensorConfig& config) {
    const std::uint32_t serial =
        config.serial.value_or(100000u + static_cast<std::uint32_t>(std::max(config.tag, 0)));
    return serial & 0xFFFFFFu;
}

SimSensor::SimSensor(const SensorConfig& config)
    : config_(config),
      eeprom_(factoryImage(config.type, config.tag, serialNumberOf(config))),
      world_(typeProfile(config.type).minInches, rangeLimitInches(), 0.7 * config.tag),
      activeTag_(config.tag) {
    if (config.noTarget) world_.removeTarget();
    if (config.targetInches) world_.pinTarget(config.targetInches);
}

std::uint8_t SimSensor::cell(int address) const {
    if (address < 0 || address >= kEepromSize) return 0;
    return eeprom_[static_cast<std::size_t>(address)];
}

void SimSensor::setCell(int address, std::uint8_t value) {
    if (address >= 0 && address < kEepromSize) eeprom_[static_cast<std::size_t>(address)] = value;
}

void SimSensor::settle(std::int64_t nowUs) {
    for (;;) {
        const bool writeDue = !pendingWrites_.empty() && pendingWrites_.front().dueUs <= nowUs;
        const bool restartDue = restartDueUs_ && *restartDueUs_ <= nowUs;
        // A write started before the restart ends is in the EEPROM when the firmware boots.
        if (writeDue && (!restartDue || pendingWrites_.front().dueUs <= *restartDueUs_)) {
            const PendingWrite w = pendingWrites_.front();
            pendingWrites_.pop_front();
            eeprom_[static_cast<std::size_t>(w.address)] = w.value;
        } else if (restartDue) {
            finishRestart();
        } else {
            return;
        }
    }
}

bool SimSensor::hears(const Frame& request, std::int64_t nowUs) {
    settle(nowUs);
    if (silent_ || restarting(nowUs)) return false;
    return request[0] == kStartByte && frameChecksum(request) == request[5] &&
           request[1] == activeTag_;
}

Reply SimSensor::handle(const Frame& request, std::int64_t nowUs) {
    if (!hears(request, nowUs)) return {};
    const int command = request[2];
    const std::uint8_t d1 = request[3];
    const std::uint8_t d2 = request[4];

    if (auto target = calibrationTarget(command)) {
        if (calibrationMode_) adjustCalibrationPoint(target->first, target->second * d1);
        return {};
    }
    switch (command) {
        case cmd::ManualTrigger:
            triggered_ = measure(nowUs);
            return {};
        case cmd::Status:
            return status(nowUs);
        case cmd::AcousticData:
            displayMode_ = true;
            return acousticStream(d1 != 0, nowUs);
        case cmd::GainSwitch:
            displayMode_ = true;
            return gainSwitch();
        case cmd::WriteEeprom:
            write(d1, d2, nowUs);
            return {};
        case cmd::ReadEeprom:
            return frame(0, d1, cell(d1), d1 < kEepromSize - 1 ? cell(d1 + 1) : 0);
        case cmd::TempCalUp:
            adjustTemperatureCal(+1);
            return {};
        case cmd::TempCalDown:
            adjustTemperatureCal(-1);
            return {};
        case cmd::TemperatureReading:
            return frame(0, 0, 0, temperatureByte(reportedCelsius(world_.airCelsius(nowUs))));
        case cmd::DrivePoint1:
        case cmd::DrivePoint2:
        case cmd::DrivePoint3:
        case cmd::DrivePoint4:
            if (calibrationMode_) drivenPoint_ = command - cmd::DrivePoint1 + 1;
            return {};
        case cmd::DistanceCal:
            return echoTime(nowUs);
        case cmd::Restart:
            restart(nowUs);
            return {};
        case cmd::RamDump:
            return {ramImage(eeprom_, activeTag_, restartCount_), false};
        case cmd::CurrentCalMode:
            calibrationMode_ = d1 != 0;
            if (!calibrationMode_) drivenPoint_ = 0;
            return {};
        case cmd::FirmwareVersion:
            return frame(0, static_cast<std::uint8_t>(config_.firmware), 0, 0);
        case cmd::SensorType:
            return frame(0, static_cast<std::uint8_t>(config_.type), 0, 0);
        case cmd::ResetFaults:
            faultBits_ = 0;
            return {};
        case cmd::Unlock:
            if (d1 == kUnlockLowRegion) lowUnlocked_ = true;
            if (d1 == kUnlockMiddleRegion) middleUnlocked_ = true;
            return {};
        default:
            return {};  // unknown codes are ignored, as the firmware does
    }
}

Reply SimSensor::frame(std::uint8_t status, std::uint8_t d0, std::uint8_t d1,
                       std::uint8_t d2) const {
    const Frame f = makeReply(static_cast<std::uint8_t>(activeTag_), status, d0, d1, d2);
    return {std::vector<std::uint8_t>(f.begin(), f.end()), true};
}

double SimSensor::reportedCelsius(double airCelsius) const {
    const int factoryCal = eeprom_[cell::TemperatureCal] - kFactoryTemperatureCal;
    const int userCal = static_cast<std::int8_t>(eeprom_[cell::UserTemperatureCal]);
    return airCelsius + 0.5 * (factoryCal + userCal);
}

double SimSensor::rangeLimitInches() const {
    const TypeProfile& p = typeProfile(config_.type);
    if (hasUserMaxRange(config_.type)) {
        const double user = eepromWord(eeprom_, cell::UserMaxRange) / 128.0;
        if (user > 0) return std::min(user, p.maxInches);
    }
    return p.maxInches;
}

Reading SimSensor::measure(std::int64_t nowUs) const {
    Reading r;
    const double air = world_.airCelsius(nowUs);
    r.celsius = reportedCelsius(air);
    const std::optional<double> target = world_.targetInches(nowUs);
    const double limit = rangeLimitInches();
    if (!target || *target > limit) return r;
    r.trueInches = *target;
    if (*target < typeProfile(config_.type).minInches) {
        r.echo = Reading::Echo::Close;
        r.strength = 64;
        return r;
    }
    // The firmware turns its echo time, corrected by the distance calibration, into inches
    // with the speed of sound at the temperature it believes in.
    double assumed = r.celsius;
    if (!hasUserMaxRange(config_.type) && (eeprom_[cell::TemperatureCompensation] & 1)) {
        assumed = eeprom_[cell::PresetTemperature] / 2.0 - 50;
    }
    const int cal = static_cast<std::int16_t>(eepromWord(eeprom_, cell::DistanceCal));
    const double ticks =
        echoSeconds(*target, air) * kEchoTicksPerSecond + (cal - kEchoTimerOffsetTicks);
    r.inches = ticks / kEchoTicksPerSecond * speedOfSound(assumed) / 2;
    r.echo = Reading::Echo::Target;
    r.strength = strengthFor(*target / limit);
    return r;
}

Reading SimSensor::currentReading(std::int64_t nowUs) const {
    const bool triggeredMode =
        !hasUserMaxRange(config_.type) && (eeprom_[cell::TriggerMode] & 7) >= 2;
    if (!displayMode_ && !triggeredMode) return measure(nowUs);
    // Display mode holds the outputs at "no echo"; the triggered modes report the last
    // triggered measurement (external triggers are stood in for by the manual trigger).
    Reading r = (triggeredMode && !displayMode_ && triggered_) ? *triggered_ : Reading{};
    r.celsius = reportedCelsius(world_.airCelsius(nowUs));
    return r;
}

Reply SimSensor::status(std::int64_t nowUs) {
    if (faultBits_) return frame(kFaultReportStatus, 0, faultBits_, 0);
    const Reading r = currentReading(nowUs);
    std::optional<double> inches;
    int count = 0;
    if (r.echo == Reading::Echo::Target) {
        inches = r.inches;
        count = distanceCount(r.inches);
    } else if (r.echo == Reading::Echo::Close) {
        inches = 0.0;
        count = 1;
    }
    const Outputs o = outputs_.update(inches, setpointSettings(eeprom_));
    const int statusByte = r.strength | (o.target ? 8 : 0) | (o.a ? 4 : 0) | (o.b ? 2 : 0);
    return frame(static_cast<std::uint8_t>(statusByte), hi(count), lo(count),
                 temperatureByte(r.celsius));
}

Reply SimSensor::acousticStream(bool highGain, std::int64_t nowUs) {
    AcousticScene scene;
    scene.sampleCount = acousticSampleCount(config_.type);
    const std::optional<double> target = world_.targetInches(nowUs);
    if (target && *target <= rangeLimitInches()) scene.targetInches = target;
    scene.celsius = world_.airCelsius(nowUs);
    scene.highGain = highGain;
    scene.noiseSeed = static_cast<std::uint32_t>(++captures_);
    scene.shape = config_.echo;
    return {acousticRecord(scene), false};
}

Reply SimSensor::gainSwitch() {
    ++gainSwitchRequests_;
    int w = 0;
    if (gainSwitchRequests_ > config_.gainSwitchUnknownRequests) {
        w = gainSwitchWord(config_.gainSwitchSample, typeProfile(config_.type).frequencyClass);
    }
    return frame(0, 0, hi(w), lo(w));
}

Reply SimSensor::echoTime(std::int64_t nowUs) const {
    const std::optional<double> target = world_.targetInches(nowUs);
    int ticks = 0;
    if (target && *target <= rangeLimitInches()) {
        const double ideal = echoSeconds(*target, world_.airCelsius(nowUs)) * kEchoTicksPerSecond;
        ticks =
            static_cast<int>(std::clamp(std::lround(ideal) - kEchoTimerOffsetTicks, 0L, 65535L));
    }
    return frame(0, hi(ticks), lo(ticks), 0);
}

bool SimSensor::writable(int address) const {
    if (address < kMiddleRegionStart) return lowUnlocked_;
    if (address < kFreeRegionStart) return middleUnlocked_;
    return true;
}

void SimSensor::write(int address, std::uint8_t value, std::int64_t nowUs) {
    if (address >= kEepromSize || !writable(address)) return;
    pendingWrites_.push_back({nowUs + kEepromWriteUs, address, value});
}

void SimSensor::adjustCalibrationPoint(int highCell, int delta) {
    const int value = std::clamp(eepromWord(eeprom_, highCell) + delta, 0, 4095);
    setEepromWord(eeprom_, highCell, value);
}

void SimSensor::adjustTemperatureCal(int delta) {
    // The temperature calibration lives in the protected low region.
    if (!lowUnlocked_) return;
    auto& c = eeprom_[cell::TemperatureCal];
    c = static_cast<std::uint8_t>(std::clamp(c + delta, 0, 255));
}

void SimSensor::restart(std::int64_t nowUs) {
    ++restartCount_;
    restartDueUs_ = nowUs + restartSilenceUs(config_.type);
    lowUnlocked_ = false;
    middleUnlocked_ = false;
    calibrationMode_ = false;
    drivenPoint_ = 0;
    displayMode_ = false;
    gainSwitchRequests_ = 0;
    triggered_.reset();
    outputs_.reset();
}

void SimSensor::finishRestart() {
    restartDueUs_.reset();
    activeTag_ = eeprom_[cell::Tag];
}

}  // namespace k7::sim
