// The firmware's answers on the line: exact reply bytes, silent commands, the tag taken at
// restart, the deaf period after it, and EEPROM write protection.
#include <gtest/gtest.h>

#include "SimHarness.h"
#include "link/Commands.h"
#include "sim/Eeprom.h"

namespace k7::sim::test {
namespace {

class SensorCommands : public ::testing::Test {
protected:
    SimHarness h;
};

TEST_F(SensorCommands, IdentityRepliesCarryTypeFirmwareAndTag) {
    h.bus.addSensor({.tag = 3, .type = 4, .firmware = 31});
    EXPECT_EQ(h.exchange(request(3, cmd::SensorType)), reply(3, 0, 4, 0, 0));
    EXPECT_EQ(h.exchange(request(3, cmd::FirmwareVersion)), reply(3, 0, 31, 0, 0));
}

TEST_F(SensorCommands, UnknownTypeCodeIsReportedWithTypeZerosSettings) {
    SimSensor& odd = h.bus.addSensor({.tag = 1, .type = 9});
    SimSensor plain({.tag = 1, .type = 0});
    EXPECT_EQ(h.exchange(request(1, cmd::SensorType)), reply(1, 0, 9, 0, 0));
    for (int a = cell::Tag; a < kEepromSize; ++a) EXPECT_EQ(odd.cell(a), plain.cell(a)) << a;
}

TEST_F(SensorCommands, EepromReadGivesTheCellAndTheNextOne) {
    h.bus.addSensor({.tag = 6, .serial = 0x123456});
    EXPECT_EQ(h.exchange(request(6, cmd::ReadEeprom, cell::Tag)), reply(6, 0, 45, 6, ' '));
    EXPECT_EQ(h.exchange(request(6, cmd::ReadEeprom, 2)), reply(6, 0, 2, 0x12, 0x34));
    EXPECT_EQ(h.exchange(request(6, cmd::ReadEeprom, 4)), reply(6, 0, 4, 0x56, 0xFF));
    // Past the end there is no next cell.
    EXPECT_EQ(h.exchange(request(6, cmd::ReadEeprom, 127))[4], 0);
}

TEST_F(SensorCommands, StatusReportsDistanceTemperatureStrengthAndOutputs) {
    SimSensor& s = h.bus.addSensor({.tag = 1});
    s.setTemperatureC(20.0);
    // 25 in is the mid zone of the factory setpoints (12 / 30 in): only the echo output is
    // on; strength 50 % at 62 % of the 40 in range.
    s.setTargetInches(25.0);
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 32 | 8, 12, 128, 140));
    // No echo: output B carries the no-echo level in the factory settings.
    s.removeTarget();
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 2, 0, 0, 140));
    // Closer than the 4 in minimum: "too close", close zone turns output A on.
    s.setTargetInches(2.0);
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 64 | 8 | 4, 0, 1, 140));
    // Far zone: output B.
    s.setTargetInches(35.0);
    s.setTemperatureC(-5.0);
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 16 | 8 | 2, 17, 128, 90));
}

TEST_F(SensorCommands, FaultBitsTurnStatusIntoFaultReportUntilReset) {
    SimSensor& s = h.bus.addSensor({.tag = 2});
    s.setFaultBits(0x18);
    EXPECT_EQ(h.exchange(request(2, cmd::Status)), reply(2, 0x70, 0, 0x18, 0));
    EXPECT_TRUE(h.exchange(request(2, cmd::ResetFaults)).empty());
    const Bytes normal = h.exchange(request(2, cmd::Status));
    ASSERT_EQ(normal.size(), 6u);
    EXPECT_LT(normal[1], 80);
}

TEST_F(SensorCommands, CommandsWhoseReplyIsNotReadGetNoneAtAll) {
    h.bus.addSensor({.tag = 1});
    for (int code : {1,   29,  30,  31,  32,  33,  34,  38,  39,  103,
                     106, 107, 113, 114, 115, 116, 121, 125, 126, 119}) {
        EXPECT_TRUE(h.exchange(request(1, code, 1)).empty()) << "command " << code;
    }
}

TEST_F(SensorCommands, NewTagTakesEffectOnlyAfterTheRestartsSilence) {
    SimSensor& s = h.bus.addSensor({.tag = 1});
    h.exchange(request(1, cmd::WriteEeprom, cell::Tag, 7));
    EXPECT_EQ(h.readCell(1, cell::Tag), 7);  // stored, but still answering to 1
    EXPECT_TRUE(h.exchange(request(7, cmd::SensorType)).empty());

    h.exchange(request(1, cmd::Restart), 0);
    const std::int64_t restartAt = h.bus.received().back().timeUs;
    EXPECT_EQ(s.restartCount(), 1);
    h.clock.sleepUntil(restartAt + 1'470'000);
    EXPECT_TRUE(h.exchange(request(1, cmd::SensorType), 5'000).empty());
    EXPECT_TRUE(h.exchange(request(7, cmd::SensorType), 5'000).empty());
    h.clock.sleepUntil(restartAt + 1'480'000);
    EXPECT_EQ(h.exchange(request(7, cmd::SensorType)), reply(7, 0, 0, 0, 0));
    EXPECT_TRUE(h.exchange(request(1, cmd::SensorType)).empty());
    EXPECT_EQ(s.activeTag(), 7);
}

TEST_F(SensorCommands, TagWrittenJustBeforeRestartIsStillTaken) {
    // The link writes the new tag without read-back and restarts at once.
    SimSensor& s = h.bus.addSensor({.tag = 3});
    Bytes both = bytesOf(request(3, cmd::WriteEeprom, cell::Tag, 9));
    const Bytes restart = bytesOf(request(3, cmd::Restart));
    both.insert(both.end(), restart.begin(), restart.end());
    h.exchangeRaw(both, 2'000'000);
    EXPECT_EQ(s.activeTag(), 9);
    EXPECT_EQ(h.exchange(request(9, cmd::SensorType)), reply(9, 0, 0, 0, 0));
}

TEST_F(SensorCommands, SlowModelStaysSilentForAboutThreeSeconds) {
    h.bus.addSensor({.tag = 4, .type = 4});
    h.exchange(request(4, cmd::Restart), 0);
    const std::int64_t restartAt = h.bus.received().back().timeUs;
    h.clock.sleepUntil(restartAt + 2'970'000);
    EXPECT_TRUE(h.exchange(request(4, cmd::SensorType), 5'000).empty());
    h.clock.sleepUntil(restartAt + 2'980'000);
    EXPECT_EQ(h.exchange(request(4, cmd::SensorType)), reply(4, 0, 4, 0, 0));
}

TEST_F(SensorCommands, ProtectedCellsNeedTheirUnlockSinceTheLastRestart) {
    SimSensor& s = h.bus.addSensor({.tag = 1});
    const int low = cell::ErrorEnables;  // below 20
    const int middle = 25;               // 20..29
    const int free = cell::Hysteresis;   // 30 and up
    auto write = [&](int address, int value) {
        h.exchange(request(1, cmd::WriteEeprom, address, value));
        return s.cell(address);
    };

    EXPECT_EQ(write(low, 0x11), 0xFF);
    EXPECT_EQ(write(middle, 0x22), 0);
    EXPECT_EQ(write(free, 33), 33);

    h.exchange(request(1, cmd::Unlock, kUnlockMiddleRegion));
    EXPECT_EQ(write(low, 0x11), 0xFF);  // the middle code does not open the low cells
    EXPECT_EQ(write(middle, 0x22), 0x22);
    h.exchange(request(1, cmd::Unlock, kUnlockLowRegion));
    EXPECT_EQ(write(low, 0x11), 0x11);
    EXPECT_EQ(write(low, 0x12), 0x12);  // the unlock holds for further writes

    h.exchange(request(1, cmd::Restart), 1'600'000);
    EXPECT_FALSE(s.lowRegionUnlocked());
    EXPECT_FALSE(s.middleRegionUnlocked());
    EXPECT_EQ(write(low, 0x13), 0x12);
    EXPECT_EQ(write(middle, 0x23), 0x22);
}

TEST_F(SensorCommands, WriteLandsAfterTheEepromWriteTime) {
    SimSensor s({.tag = 1});
    s.handle(request(1, cmd::WriteEeprom, cell::Hysteresis, 12), 1'000);
    auto readAt = [&](std::int64_t t) {
        return s.handle(request(1, cmd::ReadEeprom, 90), t).bytes;
    };
    EXPECT_EQ(readAt(1'000 + kEepromWriteUs - 1), reply(1, 0, 90, 5, 0));
    EXPECT_EQ(readAt(1'000 + kEepromWriteUs), reply(1, 0, 90, 12, 0));
    // Writes past the end of the EEPROM go nowhere.
    s.handle(request(1, cmd::WriteEeprom, 200, 1), 10'000);
    s.settle(20'000);
    EXPECT_EQ(s.cell(cell::Hysteresis), 12);
}

TEST_F(SensorCommands, RestartLeavesCalibrationAndDisplayModes) {
    SimSensor& s = h.bus.addSensor({.tag = 1});
    h.exchange(request(1, cmd::CurrentCalMode, 1));
    h.exchange(request(1, cmd::DrivePoint3));
    h.exchange(request(1, cmd::GainSwitch));
    EXPECT_TRUE(s.calibrationMode());
    EXPECT_EQ(s.drivenPoint(), 3);
    EXPECT_TRUE(s.displayMode());
    h.exchange(request(1, cmd::Restart));
    EXPECT_FALSE(s.calibrationMode());
    EXPECT_EQ(s.drivenPoint(), 0);
    EXPECT_FALSE(s.displayMode());
}

TEST_F(SensorCommands, MalformedRequestsAreIgnored) {
    h.bus.addSensor({.tag = 1});
    Frame badSum = request(1, cmd::SensorType);
    badSum[5] ^= 1;
    EXPECT_TRUE(h.exchange(badSum).empty());
    Frame noStart = request(1, cmd::SensorType);
    noStart[0] = 171;
    noStart[5] = frameChecksum(noStart);
    EXPECT_TRUE(h.exchange(noStart).empty());
    EXPECT_TRUE(h.exchange(request(1, 99)).empty());  // not a firmware command
}

}  // namespace
}  // namespace k7::sim::test
