// Several sensors on one line: addressing, byte timing, frame synchronisation, raw streams
// and the record of what the host sent.
#include <gtest/gtest.h>

#include "SimHarness.h"
#include "link/Commands.h"

namespace k7::sim::test {
namespace {

constexpr double kByteUs = SimBus::kByteTimeUs;

class Bus : public ::testing::Test {
protected:
    SimHarness h;
};

TEST_F(Bus, OnlyTheAddressedSensorAnswers) {
    h.bus.addSensor({.tag = 1, .type = 0});
    h.bus.addSensor({.tag = 2, .type = 1});
    h.bus.addSensor({.tag = 5, .type = 7});
    EXPECT_EQ(h.exchange(request(2, cmd::SensorType)), reply(2, 0, 1, 0, 0));
    EXPECT_EQ(h.exchange(request(5, cmd::SensorType)), reply(5, 0, 7, 0, 0));
    EXPECT_TRUE(h.exchange(request(9, cmd::SensorType)).empty());
    EXPECT_EQ(h.bus.sensorWithTag(5), &h.bus.sensor(2));
    EXPECT_EQ(h.bus.sensorWithTag(9), nullptr);
}

TEST_F(Bus, RequestAndReplyTakeTwelveByteTimesPlusTurnaround) {
    h.bus.addSensor({.tag = 1});
    h.clock.sleepUntil(10'000);
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    // Reply bytes follow the sixth request byte and the 1 ms turnaround, one byte time apart.
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(h.bus.timeWhenAvailable(k, 10'000),
                  std::llround(10'000 + 6 * kByteUs + 1'000 + k * kByteUs));
    }
    EXPECT_EQ(h.bus.timeWhenAvailable(6, 10'000), 10'000 + 6'250 + 1'000);
    EXPECT_EQ(h.bus.timeWhenAvailable(7, 10'000), std::nullopt);
    EXPECT_EQ(h.bus.received().back().timeUs, 10'000 + 3'125);

    h.bus.setTurnaroundUs(2'500);
    h.clock.sleepUntil(100'000);
    h.line.discardInput();
    h.line.write(bytesOf(request(1, cmd::SensorType)));
    EXPECT_EQ(h.bus.timeWhenAvailable(6, 100'000), 100'000 + 6'250 + 2'500);
}

TEST_F(Bus, HostBytesQueueBehindEachOtherHoweverFastTheyAreWritten) {
    h.bus.addSensor({.tag = 1});
    const Frame f = request(1, cmd::SensorType);
    h.line.write(std::span(f).first(3));
    h.clock.sleepUntil(500);  // before the first three have gone out
    h.line.write(std::span(f).subspan(3));
    EXPECT_EQ(h.bus.received().back().timeUs, 3'125);
    // Written slowly, a byte at a time, a frame still counts while gaps stay under 10 ms.
    h.clock.sleepUntil(100'000);
    for (std::uint8_t b : f) {
        h.line.write(std::span(&b, 1));
        h.clock.sleepFor(8'000);
    }
    EXPECT_EQ(h.bus.countReceived(cmd::SensorType), 2);
}

TEST_F(Bus, StrayBytesAndBrokenFramesDoNotSpoilTheNextFrame) {
    h.bus.addSensor({.tag = 1});
    const Bytes good = reply(1, 0, 0, 0, 0);
    // Raw bytes that are no frame (the factory window's test bytes) just before a request.
    Bytes raw{0, 1, 85, 85};
    const Frame f = request(1, cmd::SensorType);
    raw.insert(raw.end(), f.begin(), f.end());
    EXPECT_EQ(h.exchangeRaw(raw), good);
    // A stray start byte right before a request.
    Bytes stray{170};
    stray.insert(stray.end(), f.begin(), f.end());
    EXPECT_EQ(h.exchangeRaw(stray), good);
    // Half a frame, then silence longer than 10 ms: the half is dropped.
    h.exchangeRaw(Bytes(f.begin(), f.begin() + 3), 20'000);
    EXPECT_EQ(h.exchange(f), good);
    EXPECT_EQ(h.bus.countReceived(cmd::SensorType), 3);
}

TEST_F(Bus, ReceivedFramesAreRecordedWithTheirArrivalTimes) {
    h.bus.addSensor({.tag = 1});
    h.exchange(request(1, cmd::Status));
    h.exchange(request(4, cmd::Status));
    h.exchange(request(1, cmd::WriteEeprom, 90, 7));
    Frame bad = request(1, cmd::Status);
    bad[5] += 1;
    h.exchange(bad);
    ASSERT_EQ(h.bus.received().size(), 3u);
    EXPECT_EQ(h.bus.received()[0].bytes, request(1, cmd::Status));
    EXPECT_EQ(h.bus.received()[0].timeUs, 3'125);
    EXPECT_EQ(h.bus.received()[1].timeUs, 75'000 + 3'125);
    EXPECT_EQ(h.bus.countReceived(cmd::Status), 2);
    EXPECT_EQ(h.bus.countReceived(cmd::Status, 4), 1);
    EXPECT_EQ(h.bus.countReceived(cmd::WriteEeprom), 1);
    EXPECT_EQ(h.bus.receivedByteCount(), 24);
    h.bus.clearReceived();
    EXPECT_TRUE(h.bus.received().empty());
}

TEST_F(Bus, AcousticAndRamStreamsAreRawAndPacedByTheByteTime) {
    h.bus.addSensor({.tag = 1, .type = 0});
    h.bus.addSensor({.tag = 2, .type = 1});
    h.bus.addSensor({.tag = 3, .type = 4});
    for (auto [tag, count] : {std::pair{1, 320}, std::pair{2, 1600}, std::pair{3, 1600}}) {
        const std::int64_t t0 = h.clock.nowUs();
        h.line.write(bytesOf(request(tag, cmd::AcousticData, 1)));
        EXPECT_EQ(h.bus.timeWhenAvailable(count, t0),
                  std::llround(t0 + 6 * kByteUs + 1'000 + count * kByteUs));
        EXPECT_EQ(h.bus.timeWhenAvailable(count + 1, t0), std::nullopt);
        h.clock.sleepFor(1'000'000);
        EXPECT_EQ(h.line.bytesWaiting(), count);
        h.line.discardInput();
    }
    EXPECT_EQ(h.exchange(request(1, cmd::RamDump), 400'000).size(), 512u);
}

TEST_F(Bus, DiscardDropsOnlyWhatHasArrived) {
    h.bus.addSensor({.tag = 1});
    h.line.write(bytesOf(request(1, cmd::FirmwareVersion)));
    h.clock.sleepUntil(*h.bus.timeWhenAvailable(2, 0));
    EXPECT_EQ(h.line.bytesWaiting(), 2);
    h.line.discardInput();
    EXPECT_EQ(h.line.bytesWaiting(), 0);
    h.clock.sleepFor(10'000);
    Bytes rest;
    while (auto b = h.line.readByte()) rest.push_back(*b);
    const Bytes full = reply(1, 0, 25, 0, 0);
    EXPECT_EQ(rest, Bytes(full.begin() + 2, full.end()));
}

}  // namespace
}  // namespace k7::sim::test
