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

// A request as the sensor must see it: start byte, tag, command, two data bytes, and the sum of
// the five modulo 256.
Frame request(int tag, int command, int d1 = 0, int d2 = 0) {
    return Frame{170,
                 static_cast<std::uint8_t>(tag),
                 static_cast<std::uint8_t>(command),
                 static_cast<std::uint8_t>(d1),
                 static_cast<std::uint8_t>(d2),
                 static_cast<std::uint8_t>((170 + tag + command + d1 + d2) % 256)};
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int a = from; a <= to; ++a) v.push_back(a);
    return v;
}

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<int> kStandardOrder =
    concat({79,  80, 81, 82, 78, 83, 84,  85,  86,  87,  88,  89,
            105, 90, 91, 95, 94, 93, 101, 102, 103, 104, 117, 118},
           range(46, 77));

// The frames of the writes: each cell of `order` written and read back with the same value,
// then the restart.
void expectVerifiedWrites(const std::vector<Frame>& frames, int tag,
                          const std::vector<int>& order) {
    ASSERT_EQ(frames.size(), 2 * order.size() + 1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int value = frames[2 * i][4];
        EXPECT_EQ(frames[2 * i], request(tag, 103, order[i], value)) << order[i];
        EXPECT_EQ(frames[2 * i + 1], request(tag, 104, order[i], value)) << order[i];
    }
    EXPECT_EQ(frames.back(), request(tag, 119));
}

class ProgrammingTest : public ::testing::Test {
protected:
    ProgrammingTest() { line.open("sim", kLineSettings); }

    sim::SimSensor& addSensor(int type, int tag = 3) {
        sim::SimSensor& sensor = bus.addSensor({.tag = tag, .type = type});
        m.sensorType = type;
        m.link.slowSensor = type == 4;
        m.discovery.currentIdTag = tag;
        s.SingleSensorID = ui.tag = std::to_string(tag);
        m.distField(DistField::Dist04).stored = 25 * 128;
        m.distField(DistField::Dist20).stored = 30 * 128;
        m.distField(DistField::CloseSetPoint).stored = 1000;
        m.distField(DistField::FarSetPoint).stored = 3000;
        m.distField(DistField::UserMaxRange).stored = 60 * 128;
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
        m.temperatureCompensation = 1;
        m.presetTemperatureC = -50;
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
    ProgramState m{line, clock, ui};
    ScreenValues s;
};

TEST_F(ProgrammingTest, StandardSensorWritesEveryCellVerifiedInOrder) {
    sim::SimSensor& sensor = addSensor(0);
    EXPECT_EQ(addresses(userEepromWrites(m, s)), kStandardOrder);

    const ProgramResult r = writeAllUserEeprom(m, s);
    EXPECT_TRUE(r.ok());
    expectVerifiedWrites(received(), 3, kStandardOrder);
    EXPECT_EQ(sensor.cell(79), 12);  // 25 inches = 3200
    EXPECT_EQ(sensor.cell(80), 128);
    EXPECT_EQ(sensor.cell(90), 13);
    EXPECT_EQ(sensor.cell(104), 0);  // -50 degrees
    EXPECT_EQ(sensor.cell(46), 'A');
    EXPECT_EQ(sensor.cell(77), ' ');
    EXPECT_EQ(ui.progressCaptions, std::vector<std::string>{"Writing K-7700 Data"});
    EXPECT_FALSE(ui.progressShown);
    EXPECT_EQ(m.link.progressTotal, 55);
    EXPECT_EQ(m.link.progressDone, 56);
    EXPECT_EQ(*std::max_element(ui.progressValues.begin(), ui.progressValues.end()), 100);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(sensor.restartCount(), 1);
}

// Only cells read from the sensor (or typed by the user) are written: the temperature cells of
// both maximum-range models, and the G615's current-loop and trigger cells, are never read.
TEST_F(ProgrammingTest, MaxRangeModelsWriteTheirRangeAndOnlyTheCellsReadFromThem) {
    addSensor(3);
    EXPECT_EQ(addresses(userEepromWrites(m, s)),
              concat({79, 80, 81,  82, 78, 83, 84, 85, 86,  87,  114, 115,
                      88, 89, 105, 90, 91, 95, 94, 93, 101, 102, 117, 118},
                     range(46, 77)));

    sim::SimSensor& sensor = addSensor(4, 5);
    const std::uint8_t comp = sensor.cell(103), preset = sensor.cell(104);
    const std::vector<int> order = concat(
        {79, 80, 81, 82, 84, 85, 86, 87, 114, 115, 88, 89, 105, 90, 91, 95, 94, 93, 117, 118},
        range(46, 77));
    EXPECT_EQ(addresses(userEepromWrites(m, s)), order);
    EXPECT_TRUE(writeAllUserEeprom(m, s).ok());
    expectVerifiedWrites(received(), 5, order);
    EXPECT_EQ(sensor.cell(114) * 256 + sensor.cell(115), 60 * 128);
    EXPECT_EQ(sensor.cell(103), comp);
    EXPECT_EQ(sensor.cell(104), preset);
}

TEST_F(ProgrammingTest, ListWithoutAnEntryLeavesItsCellAsTheSensorHoldsIt) {
    sim::SimSensor& sensor = addSensor(0);
    sensor.setCell(101, 7);  // a trigger mode beyond the list, shown as no entry
    s.TriggerMode = -1;
    s.NoTargetCurrent = -1;
    const std::vector<int> a = addresses(userEepromWrites(m, s));
    EXPECT_EQ(std::count(a.begin(), a.end(), 101), 0);
    EXPECT_EQ(std::count(a.begin(), a.end(), 83), 0);
    EXPECT_EQ(a.size(), kStandardOrder.size() - 2);
    const ProgramResult r = writeAllUserEeprom(m, s);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(sensor.cell(101), 7);
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
    m.presetTemperatureC = 78;
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
    const ProgramResult r = writeAllUserEeprom(m, s);
    EXPECT_TRUE(r.ok());
    const std::vector<Frame> head = {
        request(7, cmd::ReadEeprom, 45),
        request(7, cmd::ReadEeprom, 45),      // nobody on 7 yet
        request(3, cmd::WriteEeprom, 45, 7),  // unverified
        request(3, cmd::Restart),
    };
    const std::vector<Frame> all = received();
    const std::size_t tail = 2 * kStandardOrder.size() + 1;
    ASSERT_GT(all.size(), head.size() + tail);
    EXPECT_EQ(std::vector<Frame>(all.begin(), all.begin() + 4), head);
    expectVerifiedWrites(std::vector<Frame>(all.end() - static_cast<long>(tail), all.end()), 7,
                         kStandardOrder);
    // Between them, the look for the new tag, repeated until the restarted sensor answers.
    for (std::size_t i = head.size(); i < all.size() - tail; ++i) {
        EXPECT_EQ(all[i], request(7, cmd::ReadEeprom, 45));
    }
    EXPECT_EQ(sensor.activeTag(), 7);
    EXPECT_EQ(m.discovery.currentIdTag, 7);
    EXPECT_EQ(s.SingleSensorID, "7");
    EXPECT_EQ(ui.tag, "7");
    EXPECT_FALSE(m.link.skipWriteVerify);
}

TEST_F(ProgrammingTest, IdTheSensorDidNotTakeLeavesEverythingOnTheOldTag) {
    sim::SimSensor& sensor = addSensor(0, 3);
    bus.setFaults(0, {.refuseWriteCells = {45}}, 1);
    const std::uint8_t before = sensor.cell(90);
    s.SingleSensorID = "7";
    const ProgramResult r = writeAllUserEeprom(m, s);
    EXPECT_EQ(r.status, ProgramStatus::TagNotTaken);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(m.discovery.currentIdTag, 3);
    EXPECT_EQ(s.SingleSensorID, "3");
    EXPECT_EQ(ui.tag, "3");
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 1);
    EXPECT_EQ(sensor.cell(90), before);
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
    EXPECT_FALSE(m.link.programEnding);
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
    EXPECT_EQ(writeAllUserEeprom(m, s).status, ProgramStatus::TagUnavailable);
    EXPECT_EQ(ui.messages.back(),
              "ID tag 7 is already in use by another sensor. Nothing was written.");

    s.SingleSensorID = "33";  // only with validation skipped
    EXPECT_EQ(writeAllUserEeprom(m, s).status, ProgramStatus::TagUnavailable);
    EXPECT_EQ(ui.messages.back(), "The ID tag must be a number between 1 and 32 inclusive");

    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 0);
    EXPECT_EQ(s.SingleSensorID, "3");
    EXPECT_EQ(m.discovery.currentIdTag, 3);
}

TEST_F(ProgrammingTest, RefusedCellIsTriedTenTimesAndTheRestStillWritten) {
    sim::SimSensor& sensor = addSensor(0);
    bus.setFaults(0, {.refuseWriteCells = {90}}, 1);
    const ProgramResult r = writeAllUserEeprom(m, s);
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

TEST_F(ProgrammingTest, CellsThatDidNotTakeAreNamedByTheirSettings) {
    EXPECT_EQ(notTakenText({90}, 1), "Hysteresis (cell 90) did not take the value written");
    EXPECT_EQ(notTakenText({79, 80, 90, 50}, 0),
              "0 mA Distance (cells 79, 80), Hysteresis (cell 90) and User Description (cell 50) "
              "did not take the values written");
    EXPECT_EQ(cellSetting(80, 1).name, "4 mA Distance");
    EXPECT_EQ(cellSetting(118, 1).field, "SampleRate1");
    EXPECT_EQ(cellSetting(88, 1).field, "");  // the levels of several fields
}

TEST_F(ProgrammingTest, SensorGoingSilentStopsTheSequenceWithoutSuccess) {
    addSensor(0);
    bus.setFaults(0, {.silentAfterFrames = 20}, 1);
    const ProgramResult r = writeAllUserEeprom(m, s);
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
    const ProgramResult r = writeAllUserEeprom(m, s);
    EXPECT_EQ(r.status, ProgramStatus::Stopped);
    EXPECT_EQ(ui.noCommOfferedRetry.size(), 1u);
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom, 7), 1);
    EXPECT_EQ(bus.countReceived(cmd::ReadEeprom, 3), 10);  // the quiet look for the old tag
}

}  // namespace
}  // namespace k7
