#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/Commands.h"
#include "settings/Lists.h"
#include "settings/Programming.h"
#include "sim/SimulatedLine.h"
#include "support/FakeLinkUi.h"

namespace k7 {
namespace {

Frame request(int tag, int command, int d1 = 0, int d2 = 0) {
    Frame f = makeRequest(static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(command),
                          static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d2));
    f[5] = frameChecksum(f);
    return f;
}

class ProgrammingTest : public ::testing::Test {
protected:
    ProgrammingTest() { line.open("sim", kLineSettings); }

    sim::SimSensor& addSensor(int type, int tag = 3) {
        sim::SimSensor& sensor = bus.addSensor({.tag = tag, .type = type});
        m.SensorType = type;
        m.link.SlowSensor = type == 4;
        m.discovery.CurrentIDTag = tag;
        s.SingleSensorID = ui.tag = std::to_string(tag);
        m.distField(DistField::Dist04).Stored = 25 * 128;
        m.distField(DistField::Dist20).Stored = 30 * 128;
        m.distField(DistField::CloseSetPoint).Stored = 1000;
        m.distField(DistField::FarSetPoint).Stored = 3000;
        m.distField(DistField::UserMaxRange).Stored = 60 * 128;
        s.OutputSpan = 1;
        s.NoTargetCurrent = 3;
        s.AverageType = 1;
        s.AverageSamples = 7;
        s.TriggerMode = 3;
        s.cbMidMinLL = 2;
        s.cbMidMaxLL = 1;
        s.NoEchoMinLL = s.FarMinLL = s.CloseMinLL = "OFF";
        s.NoEchoMaxLL = "ON";
        s.FarMaxLL = "on";  // only the exact "ON" counts
        s.CloseMaxLL = "ON";
        s.TargLL = "OFF";
        s.Hysteresis1 = "13";
        s.SampleRate1 = "2.5";
        s.NoEchoTimeout = "0.5";  // validation passed it as 1
        s.TriggerDelay = "7";
        s.UserDescription = "ABC";
        m.TemperatureCompensation = 1;
        m.PresetTemperatureC = -50;
        return sensor;
    }

    std::map<int, int> writtenValues() const {
        std::map<int, int> v;
        for (const CellWrite& w : userEepromWrites(m, s)) v[w.address] = std::stoi(w.value);
        return v;
    }
    static std::vector<int> addresses(const std::vector<CellWrite>& writes) {
        std::vector<int> a;
        for (const CellWrite& w : writes) a.push_back(w.address);
        return a;
    }
    // Each cell written and read back at `tag`, then the restart.
    std::vector<Frame> verifiedSequence(int tag) const {
        std::vector<Frame> frames;
        for (const CellWrite& w : userEepromWrites(m, s)) {
            frames.push_back(request(tag, cmd::WriteEeprom, w.address, std::stoi(w.value)));
            frames.push_back(request(tag, cmd::ReadEeprom, w.address, std::stoi(w.value)));
        }
        frames.push_back(request(tag, cmd::Restart));
        return frames;
    }
    std::vector<Frame> received(std::size_t from = 0) const {
        std::vector<Frame> frames;
        for (std::size_t i = from; i < bus.received().size(); ++i) {
            frames.push_back(bus.received()[i].bytes);
        }
        return frames;
    }

    sim::SimBus bus;
    VirtualClock clock;
    sim::SimulatedLine line{bus, clock};
    test::FakeLinkUi ui;
    Module2 m{line, clock, ui};
    ScreenValues s;
};

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int a = from; a <= to; ++a) v.push_back(a);
    return v;
}

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ProgrammingTest, StandardSensorWritesEveryCellVerifiedInOrder) {
    sim::SimSensor& sensor = addSensor(0);
    const std::vector<int> order = concat({79,  80, 81, 82, 78, 83, 84,  85,  86,  87,  88,  89,
                                           105, 90, 91, 95, 94, 93, 101, 102, 103, 104, 117, 118},
                                          range(46, 77));
    EXPECT_EQ(addresses(userEepromWrites(m, s)), order);

    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(received(), verifiedSequence(3));
    for (const CellWrite& w : userEepromWrites(m, s)) {
        EXPECT_EQ(sensor.cell(w.address), std::stoi(w.value)) << w.address;
    }
    EXPECT_EQ(ui.progressCaptions, std::vector<std::string>{"Writing K-7700 Data"});
    EXPECT_FALSE(ui.progressShown);
    EXPECT_EQ(m.link.ProgressTotal, 55);
    EXPECT_EQ(m.link.ProgressDone, 56);
    EXPECT_EQ(*std::max_element(ui.progressValues.begin(), ui.progressValues.end()), 100);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(sensor.restartCount(), 1);
}

TEST_F(ProgrammingTest, MaxRangeModelsWriteTheirRangeAndTheG615SkipsItsMissingCells) {
    addSensor(3);
    const std::vector<int> g503 = addresses(userEepromWrites(m, s));
    EXPECT_EQ(g503.size(), 58u);
    EXPECT_EQ(std::vector<int>(g503.begin() + 10, g503.begin() + 13),
              (std::vector<int>{114, 115, 88}));

    sim::SimSensor& sensor = addSensor(4, 5);
    const std::vector<int> order = concat({79, 80,  81, 82, 84, 85, 86, 87,  114, 115, 88,
                                           89, 105, 90, 91, 95, 94, 93, 103, 104, 117, 118},
                                          range(46, 77));
    EXPECT_EQ(addresses(userEepromWrites(m, s)), order);
    EXPECT_TRUE(WriteAllUserEEPROM(m, s).ok());
    EXPECT_EQ(received(), verifiedSequence(5));
    EXPECT_EQ(sensor.cell(114) * 256 + sensor.cell(115), 60 * 128);
}

TEST_F(ProgrammingTest, CellEncodings) {
    addSensor(0);
    std::map<int, int> v = writtenValues();
    EXPECT_EQ(v[79], 12);  // 25 inches = 3200
    EXPECT_EQ(v[80], 128);
    EXPECT_EQ(v[88], 0);
    EXPECT_EQ(v[89], 1 + 4 + 8);
    EXPECT_EQ(v[105], 1);
    EXPECT_EQ(v[91], 1);
    EXPECT_EQ(v[90], 13);
    EXPECT_EQ(v[95], 1);
    EXPECT_EQ(v[78], 1);
    EXPECT_EQ(v[83], 3);
    EXPECT_EQ(v[94], 1);
    EXPECT_EQ(v[93], 7);
    EXPECT_EQ(v[101], 3);
    EXPECT_EQ(v[102], 7);
    EXPECT_EQ(v[103], 1);
    EXPECT_EQ(v[104], 0);  // -50 degrees
    EXPECT_EQ(v[117], 0);  // 2.5 samples per second
    EXPECT_EQ(v[118], 25);
    EXPECT_EQ((std::vector<int>{v[46], v[47], v[48], v[49], v[77]}),
              (std::vector<int>{65, 66, 67, 32, 32}));

    s.cbMidMinLL = 1;
    s.cbMidMaxLL = 2;
    s.FarMinLL = "ON";
    s.TargLL = "ON";
    s.SampleRate1 = "25.6";  // 256 tenths
    m.PresetTemperatureC = 78;
    s.UserDescription = "0123456789012345678901234567890123456789";
    s.UserDescription[31] = 'Z';
    s.UserDescription[32] = 'Y';
    v = writtenValues();
    EXPECT_EQ(v[88], 2 + 4);
    EXPECT_EQ(v[89], 1 + 8);
    EXPECT_EQ(v[105], 2);
    EXPECT_EQ(v[91], 0);
    EXPECT_EQ(v[117], 1);
    EXPECT_EQ(v[118], 0);
    EXPECT_EQ(v[104], 140);  // 256 is no byte: 20 degrees instead
    EXPECT_EQ(v[77], 'Z');
    EXPECT_EQ(userEepromWrites(m, s).back().address, 77);

    s.UserDescription = "caf\xC3\xA9";  // Windows-1252 code, one cell per character
    v = writtenValues();
    EXPECT_EQ(v[49], 0xE9);
    EXPECT_EQ(v[50], 32);
}

TEST_F(ProgrammingTest, IdChangeWritesTheOldTagThenAddressesTheNewOne) {
    sim::SimSensor& sensor = addSensor(0, 3);
    s.SingleSensorID = "7";
    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_TRUE(r.ok());
    const std::vector<Frame> head = {
        request(7, cmd::ReadEeprom, 45),
        request(7, cmd::ReadEeprom, 45),      // nobody on 7 yet
        request(3, cmd::WriteEeprom, 45, 7),  // unverified
        request(3, cmd::Restart),
    };
    const std::vector<Frame> all = received();
    const std::vector<Frame> tail = verifiedSequence(7);
    ASSERT_GT(all.size(), head.size() + tail.size());
    EXPECT_EQ(std::vector<Frame>(all.begin(), all.begin() + 4), head);
    EXPECT_EQ(std::vector<Frame>(all.end() - static_cast<long>(tail.size()), all.end()), tail);
    // Between them, the look for the new tag, repeated until the restarted sensor answers.
    for (std::size_t i = head.size(); i < all.size() - tail.size(); ++i) {
        EXPECT_EQ(all[i], request(7, cmd::ReadEeprom, 45));
    }
    EXPECT_EQ(sensor.activeTag(), 7);
    EXPECT_EQ(m.discovery.CurrentIDTag, 7);
    EXPECT_EQ(s.SingleSensorID, "7");
    EXPECT_EQ(ui.tag, "7");
    EXPECT_FALSE(m.link.SkipWriteVerify);
}

TEST_F(ProgrammingTest, IdTheSensorDidNotTakeLeavesEverythingOnTheOldTag) {
    sim::SimSensor& sensor = addSensor(0, 3);
    bus.setFaults(0, {.refuseWriteCells = {45}}, 1);
    const std::uint8_t before = sensor.cell(90);
    s.SingleSensorID = "7";
    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_EQ(r.status, ProgramStatus::TagNotTaken);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(m.discovery.CurrentIDTag, 3);
    EXPECT_EQ(s.SingleSensorID, "3");
    EXPECT_EQ(ui.tag, "3");
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 1);
    EXPECT_EQ(sensor.cell(90), before);
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
    EXPECT_FALSE(m.link.ProgramEnding);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "The sensor did not take ID tag 7 and still answers to ID tag 3. Nothing else was "
              "written.");
    EXPECT_FALSE(ui.progressShown);
}

TEST_F(ProgrammingTest, IdChangeRefusedForATagInUseOrOutOfRange) {
    addSensor(0, 3);
    bus.addSensor({.tag = 7, .type = 0});
    s.SingleSensorID = "7";
    EXPECT_EQ(WriteAllUserEEPROM(m, s).status, ProgramStatus::TagUnavailable);
    EXPECT_EQ(ui.messages.back(),
              "ID tag 7 is already in use by another sensor. Nothing was written.");

    s.SingleSensorID = "33";  // only with validation skipped
    EXPECT_EQ(WriteAllUserEEPROM(m, s).status, ProgramStatus::TagUnavailable);
    EXPECT_EQ(ui.messages.back(), "The ID tag must be a number between 1 and 32 inclusive");

    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 0);
    EXPECT_EQ(s.SingleSensorID, "3");
    EXPECT_EQ(m.discovery.CurrentIDTag, 3);
}

TEST_F(ProgrammingTest, RefusedCellIsTriedTenTimesAndTheRestStillWritten) {
    sim::SimSensor& sensor = addSensor(0);
    bus.setFaults(0, {.refuseWriteCells = {90}}, 1);
    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_EQ(r.status, ProgramStatus::Completed);
    EXPECT_EQ(r.failedCells, std::vector<int>{90});
    EXPECT_FALSE(r.ok());
    int writesOf90 = 0;
    for (const sim::ReceivedFrame& f : bus.received()) {
        if (f.bytes[2] == cmd::WriteEeprom && f.bytes[3] == 90) ++writesOf90;
    }
    EXPECT_EQ(writesOf90, 10);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Comm verification failed on EEPROM write"});
    EXPECT_EQ(sensor.cell(77), ' ');
    EXPECT_EQ(received().back(), request(3, cmd::Restart));
}

TEST_F(ProgrammingTest, SensorGoingSilentStopsTheSequenceWithoutSuccess) {
    addSensor(0);
    bus.setFaults(0, {.silentAfterFrames = 20}, 1);
    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_EQ(r.status, ProgramStatus::Stopped);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(ui.noCommOfferedRetry.size(), 1u);
    EXPECT_EQ(ui.exitCalls, 1);
    EXPECT_EQ(bus.countReceived(cmd::Restart), 0);
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 11);  // the tenth cell never got through
    EXPECT_FALSE(ui.progressShown);
}

TEST_F(ProgrammingTest, SensorSilentUnderBothTagsAfterAnIdChangeIsNoSuccess) {
    addSensor(0, 3);
    bus.setFaults(0, {.silentAfterFrames = 2}, 1);  // hears the ID write and the restart only
    s.SingleSensorID = "7";
    const ProgramResult r = WriteAllUserEEPROM(m, s);
    EXPECT_EQ(r.status, ProgramStatus::Stopped);
    EXPECT_EQ(ui.noCommOfferedRetry.size(), 1u);
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom, 7), 1);
    EXPECT_EQ(bus.countReceived(cmd::ReadEeprom, 3), 10);  // the quiet look for the old tag
}

}  // namespace
}  // namespace k7
