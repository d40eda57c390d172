// The link's view of the simulated line: waits sleep on the clock to exactly the arrival or
// the deadline, a closed line is harmless, and chosen devices fail to open.
#include <gtest/gtest.h>

#include <chrono>

#include "SimHarness.h"
#include "link/Commands.h"

namespace k7::sim::test {
namespace {

class Line : public ::testing::Test {
protected:
    void SetUp() override { h.bus.addSensor({.tag = 1}); }
    SimHarness h;
};

TEST_F(Line, WaitWakesExactlyWhenTheBytesHaveArrived) {
    h.clock.sleepUntil(1'000);
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    EXPECT_TRUE(h.line.waitForBytes(3, 1'000 + 75'000));
    EXPECT_EQ(h.clock.nowUs(), *h.bus.timeWhenAvailable(3, 0));
    EXPECT_EQ(h.line.bytesWaiting(), 3);
    EXPECT_TRUE(h.line.waitForBytes(6, 1'000 + 75'000));
    EXPECT_EQ(h.clock.nowUs(), 1'000 + 7'250);
    // Already there: no time passes.
    EXPECT_TRUE(h.line.waitForBytes(6, 1'000 + 75'000));
    EXPECT_EQ(h.clock.nowUs(), 1'000 + 7'250);
}

TEST_F(Line, WaitGivesUpAtTheDeadline) {
    h.line.write(bytesOf(request(9, cmd::SensorType)));  // nobody there
    EXPECT_FALSE(h.line.waitForBytes(6, 75'000));
    EXPECT_EQ(h.clock.nowUs(), 75'000);
    // A reply still on its way when the deadline comes is there afterwards.
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    EXPECT_FALSE(h.line.waitForBytes(6, 75'000 + 5'000));
    EXPECT_EQ(h.clock.nowUs(), 80'000);
    EXPECT_TRUE(h.line.waitForBytes(6, 80'000 + 75'000));
    EXPECT_EQ(h.clock.nowUs(), 75'000 + 7'250);
}

TEST_F(Line, ClosedLineIsHarmless) {
    h.line.close();
    EXPECT_FALSE(h.line.isOpen());
    h.line.close();
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    EXPECT_TRUE(h.bus.received().empty());
    EXPECT_EQ(h.line.bytesWaiting(), 0);
    EXPECT_EQ(h.line.readByte(), std::nullopt);
    h.line.discardInput();
    EXPECT_FALSE(h.line.waitForBytes(1, 50'000));
    EXPECT_EQ(h.clock.nowUs(), 50'000);
}

TEST_F(Line, OpenTakesAnyNameButTheUnavailableOnes) {
    h.line.setUnavailable({"/dev/ttyS0", "COM3"});
    EXPECT_THROW(h.line.open("/dev/ttyS0", "19200,n,8,1"), LineError);
    EXPECT_FALSE(h.line.isOpen());
    EXPECT_THROW(h.line.open("/dev/ttyUSB0", "fast please"), LineError);
    h.line.open("/dev/ttyUSB0", "19200,n,8,1");
    EXPECT_TRUE(h.line.isOpen());
    EXPECT_EQ(h.line.device(), "/dev/ttyUSB0");
}

TEST_F(Line, OpeningDropsWhatArrivedBefore) {
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    h.clock.sleepFor(20'000);
    h.line.open("other", "19200,n,8,1");
    EXPECT_EQ(h.line.bytesWaiting(), 0);
}

TEST_F(Line, ScanningSilentTagsCostsVirtualTimeOnly) {
    // The host's search: two attempts of 75 ms per tag, 31 of them silent.
    const auto realStart = std::chrono::steady_clock::now();
    int found = 0;
    for (int tag = 1; tag <= 32; ++tag) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            h.line.discardInput();
            h.line.write(bytesOf(request(tag, cmd::ReadEeprom, 45)));
            const std::int64_t deadline = h.clock.nowUs() + 75'000;
            if (h.line.waitForBytes(6, deadline)) {
                ++found;
                h.line.discardInput();
                break;
            }
        }
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(h.clock.nowUs(), 31 * 2 * 75'000 + 7'250);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace k7::sim::test
