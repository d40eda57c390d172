#pragma once
// One sensor's firmware, modelled from the command table: the EEPROM with its write
// protection and write time, the ID tag taken from cell 45 at restart, the deaf period after a
// restart, live status from a moving target, display mode with the acoustic record, the
// calibration commands and the fault flags. Time is whatever the caller passes in, so the
// model runs on a virtual clock as well as on real time; it must not go backwards.
//
// Commands whose reply the host does not read (1, 29..39, 103, 106, 107, 113..116, 119, 121,
// 125, 126) get no reply at all, so a stale reply can never be taken for the next one.
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "link/Frame.h"
#include "sim/AcousticRecord.h"
#include "sim/Eeprom.h"
#include "sim/Setpoints.h"
#include "sim/World.h"

namespace k7::sim {

struct SensorConfig {
    int tag = 1;   // written into cell 45 of the factory image
    int type = 0;  // codes above 7 are reported as given and otherwise behave like type 0
    int firmware = 25;
    std::optional<std::uint32_t> serial{};  // 100000 + tag when not given
    int gainSwitchSample = 40;              // the sample the host computes from the 101 reply
    int gainSwitchUnknownRequests = 0;      // 101 requests after each restart answered with 0
    // The scene from the start (--scene): a pinned target or none, and the acoustic record's
    // extras.
    std::optional<double> targetInches{};
    bool noTarget = false;
    EchoShape echo{};
};

std::uint32_t serialNumberOf(const SensorConfig& config);

// What goes back on the line for one request.
struct Reply {
    std::vector<std::uint8_t> bytes;  // empty: the sensor stays quiet
    bool isFrame = false;             // a six-byte reply frame rather than a raw stream
};

inline constexpr std::int64_t kEepromWriteUs = 4'000;
// The echo timer's built-in offset; the distance calibration in cells 6/7 makes up for it.
inline constexpr int kEchoTimerOffsetTicks = 150;

// The sensor's own reading of the scene at one moment.
struct Reading {
    enum class Echo { None, Close, Target };
    Echo echo = Echo::None;
    double inches = 0;      // the distance the sensor reports (calibration and compensation)
    double trueInches = 0;  // where the target really is
    double celsius = 0;     // the temperature the sensor reports
    int strength = 0;       // 0, 16, 32, 48 or 64
};

class SimSensor {
public:
    explicit SimSensor(const SensorConfig& config);

    // True when `request` is a well-formed frame for this sensor's active tag and the sensor
    // is awake to hear it.
    bool hears(const Frame& request, std::int64_t nowUs);
    // The firmware's reaction to a request that has fully arrived at nowUs.
    Reply handle(const Frame& request, std::int64_t nowUs);
    // Finishes EEPROM writes and a restart that are due by nowUs.
    void settle(std::int64_t nowUs);

    // --- set-up and inspection (tests, tools) ---
    const SensorConfig& config() const { return config_; }
    int type() const { return config_.type; }
    const Eeprom& eeprom() const { return eeprom_; }
    std::uint8_t cell(int address) const;
    void setCell(int address, std::uint8_t value);  // direct: no unlock, no write time
    int activeTag() const { return activeTag_; }    // cell 45 as of the last restart
    int restartCount() const { return restartCount_; }
    bool restarting(std::int64_t nowUs) const { return restartDueUs_ && nowUs < *restartDueUs_; }
    bool calibrationMode() const { return calibrationMode_; }
    int drivenPoint() const { return drivenPoint_; }  // 1..4, 0 when not driving a point
    bool displayMode() const { return displayMode_; }
    bool lowRegionUnlocked() const { return lowUnlocked_; }
    bool middleRegionUnlocked() const { return middleUnlocked_; }
    std::uint8_t faultBits() const { return faultBits_; }
    void setFaultBits(std::uint8_t bits) { faultBits_ = bits; }
    // A silent sensor hears nothing (as if unplugged).
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }

    // The scene: pin the target (nullopt: the moving target again), take it away (no echo),
    // pin the air temperature (nullopt: drifting again), shape the acoustic record.
    void setTargetInches(std::optional<double> inches) { world_.pinTarget(inches); }
    void removeTarget() { world_.removeTarget(); }
    void setTemperatureC(std::optional<double> celsius) { world_.pinTemperature(celsius); }
    // What the next acoustic records hold besides the target.
    void setEchoShape(const EchoShape& shape) { config_.echo = shape; }

    // What a measurement at nowUs gives, from the current settings and calibration.
    Reading measure(std::int64_t nowUs) const;

private:
    struct PendingWrite {
        std::int64_t dueUs;
        int address;
        std::uint8_t value;
    };

    Reply frame(std::uint8_t status, std::uint8_t d0, std::uint8_t d1, std::uint8_t d2) const;
    Reply status(std::int64_t nowUs);
    Reply acousticStream(bool highGain, std::int64_t nowUs);
    Reply gainSwitch();
    Reply echoTime(std::int64_t nowUs) const;
    void write(int address, std::uint8_t value, std::int64_t nowUs);
    void adjustCalibrationPoint(int highCell, int delta);
    void adjustTemperatureCal(int delta);
    void restart(std::int64_t nowUs);
    void finishRestart();
    bool writable(int address) const;
    double reportedCelsius(double airCelsius) const;
    double rangeLimitInches() const;
    Reading currentReading(std::int64_t nowUs) const;

    SensorConfig config_;
    Eeprom eeprom_;
    World world_;
    SetpointOutputs outputs_;
    std::deque<PendingWrite> pendingWrites_;
    std::optional<std::int64_t> restartDueUs_;
    std::optional<Reading> triggered_;  // last measurement taken on a trigger
    int activeTag_;
    int restartCount_ = 0;
    int gainSwitchRequests_ = 0;
    int captures_ = 0;
    int drivenPoint_ = 0;
    bool calibrationMode_ = false;
    bool displayMode_ = false;
    bool lowUnlocked_ = false;
    bool middleUnlocked_ = false;
    bool silent_ = false;
    std::uint8_t faultBits_ = 0;
};

}  // namespace k7::sim
