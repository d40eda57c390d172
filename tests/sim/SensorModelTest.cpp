// The firmware model behind the replies: factory settings, the moving scene, setpoint
// outputs, compensation and calibration, display mode and the acoustic record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "SimHarness.h"
#include "link/Commands.h"
#include "sim/AcousticRecord.h"
#include "sim/Eeprom.h"
#include "sim/FactoryImage.h"
#include "sim/Physics.h"
#include "sim/SensorTypes.h"
#include "sim/Setpoints.h"

namespace k7::sim::test {
namespace {

// The host's reading of the 101 reply.
int hostGainSwitchSample(int w, int frequencyClass) {
    if (frequencyClass == 92) w *= 4;
    return static_cast<int>(std::floor((w / 5.0 - 50) / 24.5 + 0.5)) + 1;
}

TEST(FactoryImage, UserSettingsPassTheHostsRulesForEveryType) {
    for (int type = 0; type < 8; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        const TypeProfile& p = typeProfile(type);
        const Eeprom e = factoryImage(type, 5, 123456);
        auto inches = [&e](int address) { return eepromWord(e, address) / 128.0; };
        const double gap = p.frequencyClass == 220 ? 7 / 128.0 : 1 / 16.0;
        const double h = e[cell::Hysteresis] / 100.0;

        EXPECT_EQ(e[cell::Tag], 5);
        EXPECT_GE(inches(cell::Dist04), p.minInches);
        EXPECT_LE(inches(cell::Dist20), p.maxInches);
        EXPECT_GE(std::abs(inches(cell::Dist20) - inches(cell::Dist04)), gap);
        EXPECT_LE(inches(cell::CloseSetpoint), inches(cell::FarSetpoint) * (1 - h) - gap);
        EXPECT_LE(inches(cell::FarSetpoint), p.maxInches);
        const int rate = eepromWord(e, cell::SampleRate);
        EXPECT_GE(rate, 1);
        EXPECT_LE(rate, 10 * p.maxSampleRate);
        EXPECT_GE(e[cell::NoEchoTimeout], 1);
        EXPECT_EQ(e[cell::PresetTemperature], 140);
        EXPECT_EQ(e[cell::OutputSpan], 1);
        for (int i = 0; i < cell::DescriptionLength; ++i) EXPECT_EQ(e[cell::Description + i], ' ');
        EXPECT_EQ(e[cell::Threshold], 5);
        EXPECT_EQ(e[2] * 65536 + e[3] * 256 + e[4], 123456);
    }
    EXPECT_DOUBLE_EQ(eepromWord(factoryImage(3, 1, 1), cell::UserMaxRange) / 128.0, 60);
    EXPECT_DOUBLE_EQ(eepromWord(factoryImage(4, 1, 1), cell::UserMaxRange) / 128.0, 120);
}

TEST(FactoryImage, CurrentLoopPointsAreWhatARestoreWouldWrite) {
    const Eeprom e = factoryImage(0, 1, 1);
    EXPECT_EQ(eepromWord(e, cell::Reference20mA), 4000);
    EXPECT_EQ(eepromWord(e, cell::CalPoint4), 4095);  // 4100, held to the DAC's range
    EXPECT_EQ(eepromWord(e, cell::CalPoint3), 4000);
    EXPECT_EQ(eepromWord(e, cell::CalPoint2), 800);
    EXPECT_EQ(eepromWord(e, cell::CalPoint1), 700);
    const CurrentLoopPoints other = currentLoopPoints(3900);
    EXPECT_EQ(other.p205, 3998);
    EXPECT_EQ(other.p40, 780);
    EXPECT_EQ(other.p35, 683);
}

TEST(FactoryImage, G615RingTimesFillTheirCellsAndKeepTheThresholdCode) {
    const Eeprom e = factoryImage(4, 1, 1);
    for (int row = 0; row < 14; ++row) {
        const int ticks = eepromWord(e, ringTimeCell(row));
        EXPECT_GE(ticks, 1000) << row;
        EXPECT_LE(ticks, 5000) << row;
    }
    EXPECT_EQ(ringTimeCell(12), 16);
    EXPECT_EQ(ringTimeCell(13), 18);
    EXPECT_EQ(e[cell::Threshold], 5);  // low byte of row 4
    EXPECT_EQ(eepromWord(factoryImage(0, 1, 1), ringTimeCell(0)), 0);
}

TEST(SensorConfig, SerialNumberDefaultsFromTheTag) {
    EXPECT_EQ(serialNumberOf({.tag = 7}), 100007u);
    EXPECT_EQ(serialNumberOf({.tag = 7, .serial = 4242}), 4242u);
    SimSensor s({.tag = 2, .serial = 70000});
    EXPECT_EQ(s.cell(2), 1);
    EXPECT_EQ(s.cell(3), 17);
    EXPECT_EQ(s.cell(4), 112);
}

TEST(Scene, MovingTargetSweepsTheRangeAndSometimesLeavesIt) {
    SimSensor s({.tag = 1, .type = 2});  // 4..80 in
    int none = 0, close = 0;
    double lo = 1e9, hi = 0;
    for (std::int64_t t = 0; t < 20'000'000; t += 50'000) {
        const Reading r = s.measure(t);
        none += r.echo == Reading::Echo::None;
        close += r.echo == Reading::Echo::Close;
        if (r.echo == Reading::Echo::Target) {
            lo = std::min(lo, r.inches);
            hi = std::max(hi, r.inches);
        }
        EXPECT_NEAR(r.celsius, 21, 1);
    }
    EXPECT_GT(none, 0);
    EXPECT_GT(close, 0);
    EXPECT_LT(lo, 10);
    EXPECT_GT(hi, 74);
}

TEST(Setpoints, HysteresisHoldsAZoneOnTheSideAwayFromIt) {
    SetpointSettings s;
    s.closeInches = 12;
    s.farInches = 30;
    s.hysteresisPercent = 10;
    s.levelsA = 0x08;  // close
    s.levelsB = 0x02;  // far
    SetpointOutputs out;
    auto zoneAt = [&](double d) {
        out.update(d, s);
        return out.zone();
    };
    EXPECT_EQ(zoneAt(20), Zone::Mid);
    EXPECT_EQ(zoneAt(30.5), Zone::Far);
    EXPECT_EQ(zoneAt(27.1), Zone::Far);  // above 30 × 0.9
    EXPECT_EQ(zoneAt(26.9), Zone::Mid);
    EXPECT_EQ(zoneAt(11.9), Zone::Close);
    EXPECT_EQ(zoneAt(13.1), Zone::Close);  // below 12 × 1.1
    EXPECT_EQ(zoneAt(13.3), Zone::Mid);
    out.update(std::nullopt, s);
    EXPECT_EQ(out.zone(), Zone::NoEcho);
    EXPECT_EQ(zoneAt(28), Zone::Mid);  // after no echo the zone starts afresh
}

TEST(Setpoints, LevelsFollowTheZoneAndMidZoneCanHold) {
    SetpointSettings s;
    s.closeInches = 12;
    s.farInches = 30;
    s.levelsA = 0x01 | 0x08;  // on for no echo and close
    s.levelsB = 0x02 | 0x04;  // on for far and mid
    s.holdA = true;
    SetpointOutputs out;
    Outputs o = out.update(std::nullopt, s);
    EXPECT_TRUE(o.a);
    EXPECT_FALSE(o.b);
    EXPECT_FALSE(o.target);
    o = out.update(20.0, s);
    EXPECT_TRUE(o.a);  // held from the no-echo state
    EXPECT_TRUE(o.b);
    EXPECT_TRUE(o.target);
    o = out.update(35.0, s);
    EXPECT_FALSE(o.a);
    o = out.update(20.0, s);
    EXPECT_FALSE(o.a);  // held from the far state
    s.invertTarget = true;
    EXPECT_FALSE(out.update(20.0, s).target);
    EXPECT_TRUE(out.update(std::nullopt, s).target);
}

TEST(Scene, PresetTemperatureAndDistanceCalibrationShiftTheReading) {
    SimSensor s({.tag = 1});
    s.setTargetInches(25.0);
    s.setTemperatureC(30.0);
    EXPECT_NEAR(s.measure(0).inches, 25.0, 1e-9);  // automatic compensation

    s.setCell(cell::TemperatureCompensation, 1);  // preset 20 °C while the air is at 30
    // Sound is slower at 20 °C than at 30: 25 in x sqrt(293.15 / 303.15).
    EXPECT_NEAR(s.measure(0).inches, 24.5842, 1e-4);

    s.setCell(cell::TemperatureCompensation, 0);
    s.setCell(cell::DistanceCal, 0);
    s.setCell(cell::DistanceCal + 1, kFactoryDistanceCal + 100);  // 100 ticks more
    // 100 ticks of 0.2 us: 20 us more echo time, at about 13,750 in/s there and back.
    EXPECT_NEAR(s.measure(0).inches, 25.1375, 5e-4);
}

TEST(Scene, FactoryDistanceCalibrationRecoversTheBuiltInOffset) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1, .type = 1});
    s.setTargetInches(15.0);
    s.setTemperatureC(23.0);
    const Bytes r = h.exchange(request(1, cmd::DistanceCal));
    ASSERT_EQ(r.size(), 6u);
    const int m = 256 * r[2] + r[3];
    const double q = 30 * 5000000 / 789.9147 / std::sqrt(23 + 273.15);
    EXPECT_EQ(static_cast<int>(q + 0.5) - m, 150);  // the factory image's offset
}

TEST(Scene, TemperatureCalibrationStepsHalfDegreesOnlyWhenUnlocked) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1});
    s.setTemperatureC(20.0);
    auto reading = [&] { return h.exchange(request(1, cmd::TemperatureReading))[4]; };
    EXPECT_EQ(reading(), 140);
    h.exchange(request(1, cmd::TempCalUp));
    EXPECT_EQ(reading(), 140);
    h.exchange(request(1, cmd::Unlock, kUnlockLowRegion));
    h.exchange(request(1, cmd::TempCalUp));
    h.exchange(request(1, cmd::TempCalUp));
    h.exchange(request(1, cmd::TempCalDown));
    h.exchange(request(1, cmd::TempCalUp));
    EXPECT_EQ(reading(), 142);
    EXPECT_EQ(s.cell(cell::TemperatureCal), 130);
    EXPECT_EQ(h.exchange(request(1, cmd::Status))[4], 142);  // the status uses it too
}

TEST(Scene, TriggeredModesReportOnlyWhatTheLastTriggerMeasured) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1});
    s.setCell(cell::TriggerMode, 4);  // manual
    s.setTargetInches(20.0);
    auto distance = [&] {
        const Bytes r = h.exchange(request(1, cmd::Status));
        return 256 * r[2] + r[3];
    };
    EXPECT_EQ(distance(), 0);
    h.exchange(request(1, cmd::ManualTrigger));
    s.setTargetInches(30.0);
    EXPECT_EQ(distance(), 20 * 128);
    h.exchange(request(1, cmd::ManualTrigger));
    EXPECT_EQ(distance(), 30 * 128);
}

TEST(Scene, DisplayModeHoldsOutputsAtNoEchoUntilRestart) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1});
    s.setTargetInches(20.0);
    h.exchange(request(1, cmd::GainSwitch));
    EXPECT_EQ(h.exchange(request(1, cmd::Status))[3], 0);
    h.exchange(request(1, cmd::Restart), 1'600'000);
    EXPECT_EQ(h.exchange(request(1, cmd::Status))[2], 20 * 128 / 256);
}

TEST(GainSwitch, HostsFormulaGivesTheConfiguredSampleAfterTheUnknownRequests) {
    for (int type : {0, 1, 3, 4, 6}) {
        SimHarness h;
        h.bus.addSensor(
            {.tag = 2, .type = type, .gainSwitchSample = 40, .gainSwitchUnknownRequests = 2});
        const int cls = typeProfile(type).frequencyClass;
        auto ask = [&] {
            const Bytes r = h.exchange(request(2, cmd::GainSwitch));
            return 256 * r[3] + r[4];
        };
        EXPECT_EQ(ask(), 0);
        EXPECT_EQ(ask(), 0);
        EXPECT_EQ(hostGainSwitchSample(ask(), cls), 40) << "type " << type;
        h.exchange(request(2, cmd::Restart), 3'100'000);
        EXPECT_EQ(ask(), 0);  // not known again until the sensor has settled
    }
    for (int sample : {1, 2, 13, 100, 319}) {
        EXPECT_EQ(hostGainSwitchSample(gainSwitchWord(sample, 220), 220), sample);
    }
    for (int sample : {1, 2, 13, 100, 1599}) {
        EXPECT_EQ(hostGainSwitchSample(gainSwitchWord(sample, 92), 92), sample);
    }
}

TEST(Acoustic, EchoPulseSitsWhereTheTargetsEchoFalls) {
    for (int n : {320, 1600}) {
        AcousticScene scene;
        scene.sampleCount = n;
        scene.targetInches = n == 320 ? 30.0 : 150.0;
        scene.celsius = 20;
        const std::vector<std::uint8_t> low = acousticRecord(scene);
        scene.highGain = true;
        const std::vector<std::uint8_t> high = acousticRecord(scene);
        ASSERT_EQ(low.size(), static_cast<std::size_t>(n));
        const double expected = sampleAtDistance(*scene.targetInches, 20, n);
        const auto skip = static_cast<std::ptrdiff_t>(n / 10);  // past the ring-down
        const auto peak = std::max_element(low.begin() + skip, low.end());
        // The host counts samples from 1.
        EXPECT_NEAR(static_cast<double>(peak - low.begin() + 1), expected, n / 160.0) << n;
        // 5 in at 20 °C is 30 samples either way (a scale check against the host's plot).
        EXPECT_NEAR(sampleAtDistance(5, 20, n), 30, 0.5);
        EXPECT_GT(high[static_cast<std::size_t>(peak - low.begin())], *peak);
        EXPECT_GT(std::accumulate(high.begin(), high.end(), 0.0),
                  std::accumulate(low.begin(), low.end(), 0.0));
        EXPECT_EQ(high.front(), 255);  // ring-down clips at high gain
    }
}

TEST(Acoustic, NoTargetLeavesOnlyRingDownAndNoise) {
    AcousticScene scene;
    const std::vector<std::uint8_t> record = acousticRecord(scene);
    EXPECT_GT(record.front(), 150);
    EXPECT_LT(*std::max_element(record.begin() + 40, record.end()), 30);
    EXPECT_EQ(acousticRecord(scene), record);  // same seed, same record
}

TEST(Calibration, PointsMoveByTheStepOnlyInCalibrationMode) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1});
    auto point = [&s](int highCell) { return eepromWord(s.eeprom(), highCell); };
    h.exchange(request(1, cmd::RaisePoint3, 10));
    h.exchange(request(1, cmd::DrivePoint3));
    EXPECT_EQ(point(cell::CalPoint3), 4000);
    EXPECT_EQ(s.drivenPoint(), 0);

    h.exchange(request(1, cmd::CurrentCalMode, 1));
    h.exchange(request(1, cmd::DrivePoint1));
    EXPECT_EQ(s.drivenPoint(), 1);
    h.exchange(request(1, cmd::RaisePoint3, 10));
    h.exchange(request(1, cmd::LowerPoint1, 1));
    h.exchange(request(1, cmd::LowerPoint2, 10));
    h.exchange(request(1, cmd::RaisePoint4, 10));  // already at the top
    EXPECT_EQ(point(cell::CalPoint3), 4010);
    EXPECT_EQ(point(cell::CalPoint1), 699);
    EXPECT_EQ(point(cell::CalPoint2), 790);
    EXPECT_EQ(point(cell::CalPoint4), 4095);
    for (int i = 0; i < 81; ++i) h.exchange(request(1, cmd::LowerPoint2, 10));
    EXPECT_EQ(point(cell::CalPoint2), 0);

    h.exchange(request(1, cmd::CurrentCalMode, 0));
    EXPECT_FALSE(s.calibrationMode());
    EXPECT_EQ(s.drivenPoint(), 0);
}

TEST(RamDump, FiveHundredTwelveRepeatableBytesWithTheEepromShadow) {
    SimHarness h;
    SimSensor& s = h.bus.addSensor({.tag = 1});
    const Bytes first = h.exchange(request(1, cmd::RamDump), 400'000);
    ASSERT_EQ(first.size(), 512u);
    EXPECT_EQ(h.exchange(request(1, cmd::RamDump), 400'000), first);
    EXPECT_TRUE(std::equal(s.eeprom().begin(), s.eeprom().end(), first.begin() + 0x80));
}

}  // namespace
}  // namespace k7::sim::test
