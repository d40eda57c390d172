// The service tools' arithmetic and line helpers, without windows.
#include <gtest/gtest.h>

#include "link/Commands.h"
#include "service/CurrentCalibration.h"
#include "service/EepromAccess.h"
#include "service/RingTimes.h"
#include "service/StopWatch.h"
#include "service/ThresholdChange.h"
#include "support/LinkFixture.h"
#include "tests/service/Frames.h"

namespace k7 {
namespace {

TEST(CalibrationDefaults, FromTheFactoryReferenceInTheirWriteOrder) {
    const auto d = calibrationDefaults(4000);
    ASSERT_TRUE(d);
    const std::array<CellValue, 8> w = calibrationWrites(*d);
    const std::vector<std::pair<int, int>> got = {{w[0].cell, w[0].value}, {w[1].cell, w[1].value},
                                                  {w[2].cell, w[2].value}, {w[3].cell, w[3].value},
                                                  {w[4].cell, w[4].value}, {w[5].cell, w[5].value},
                                                  {w[6].cell, w[6].value}, {w[7].cell, w[7].value}};
    // 4100 limited to 4095 (15, 255); 4000 (15, 160); 800 (3, 32); 700 (2, 188).
    const std::vector<std::pair<int, int>> want = {{110, 15}, {111, 255}, {108, 15}, {109, 160},
                                                   {106, 3},  {107, 32},  {126, 2},  {127, 188}};
    EXPECT_EQ(got, want);
    // Halves go to the even neighbour: (80 × 1792 / 40 + 128) / 256 = 14.5 gives 14.
    EXPECT_EQ(calibrationDefaults(80)->p35, 14);
    EXPECT_EQ(calibrationDefaults(40)->p35, 8);
    EXPECT_EQ(calibrationDefaults(4095)->p205, 4095);
    for (int bad : {0, -1, 4096, 32768, 65535}) EXPECT_FALSE(calibrationDefaults(bad)) << bad;
}

TEST(RingTimeColumns, EachColumnFromTheTextBeforeIt) {
    EXPECT_EQ(ringMsText(1000), ".80");
    EXPECT_EQ(ringPlusText(".80", ".376"), "1.18");
    EXPECT_EQ(ringTimesText("1.18", "1.1"), "1.3");
    EXPECT_EQ(ringPlusText(".80", ""), "0.80");
    EXPECT_EQ(ringTimesText("1.18", ""), "0.0");
    EXPECT_EQ(ringTimesText("1.18", "x2"), "0.0");
    EXPECT_EQ(ringMsText(65535), "52.43");
    EXPECT_EQ(ringMsText(0), ".00");
    EXPECT_EQ(ringTimeCell(0), 21);
    EXPECT_EQ(ringTimeCell(11), 43);
    EXPECT_EQ(ringTimeCell(12), 16);
    EXPECT_EQ(ringTimeCell(13), 18);
}

TEST(ThresholdTexts, UnknownCodesAreShownAsUnknown) {
    EXPECT_EQ(existingThresholdText(5), "Existing threshold = 2.0 Volts");
    EXPECT_EQ(existingThresholdText(14), "Existing threshold = 3.5 Volts");
    EXPECT_EQ(existingThresholdText(2), "Existing threshold = unknown (code 2)");
    EXPECT_EQ(existingThresholdText(20), "Existing threshold = unknown (code 20)");
    EXPECT_EQ(thresholdProgressPercent(0), 0);
    EXPECT_EQ(thresholdProgressPercent(1250), 50);
    EXPECT_EQ(thresholdProgressPercent(9000), 100);
}

TEST(StopWatch, RunsFromAnyClockReadingIncludingZero) {
    VirtualClock clock;  // starts at 0, where a start tick of 0 would read as "not running"
    StopWatch w(clock);
    EXPECT_FALSE(w.isRunning());
    EXPECT_EQ(w.elapsedMs(), 0);
    w.start();
    EXPECT_TRUE(w.isRunning());
    clock.advance(2'500'400);
    EXPECT_EQ(w.elapsedMs(), 2500);
    EXPECT_EQ(w.stop(), 2500);
    EXPECT_FALSE(w.isRunning());
    EXPECT_EQ(w.elapsedMs(), 0);
}

class EepromAccessTest : public test::LinkFixture {};

TEST_F(EepromAccessTest, WriteEECellSendsBothUnlockCodesWhateverTheParameterBlockHolds) {
    sim::SimSensor& s = addSensor(1);
    link.writeEepromAddress = "45";  // an address above 29 would give the code 0
    EXPECT_TRUE(writeEepromCell(link, 12, 99));
    const std::vector<test::Sent> want = {{cmd::Unlock, kUnlockLowRegion, 0},
                                          {cmd::Unlock, kUnlockMiddleRegion, 0},
                                          {cmd::WriteEeprom, 12, 99},
                                          {cmd::ReadEeprom, 12, 99}};
    EXPECT_EQ(test::sentFrames(bus), want);
    EXPECT_EQ(s.cell(12), 99);
    EXPECT_EQ(link.writeEepromAddress, "12");
}

}  // namespace
}  // namespace k7
