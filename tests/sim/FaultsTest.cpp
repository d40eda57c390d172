// Each fault mode does what its name says, to the sensor it is set on, and a seed repeats a
// run exactly.
#include <gtest/gtest.h>

#include <string>

#include "SimHarness.h"
#include "link/Commands.h"
#include "sim/Faults.h"

namespace k7::sim::test {
namespace {

class Faults : public ::testing::Test {
protected:
    // Sensor 1 with the faults under test; sensor 2 untouched beside it.
    void SetUp() override {
        h.bus.addSensor({.tag = 1});
        h.bus.addSensor({.tag = 2});
    }
    void faults(const FaultConfig& f, std::uint32_t seed = 7) { h.bus.setFaults(0, f, seed); }
    Bytes ask(int tag = 1) { return h.exchange(request(tag, cmd::FirmwareVersion)); }

    SimHarness h;
    const Bytes good = reply(1, 0, 25, 0, 0);
};

TEST_F(Faults, DroppedRepliesNeverArrive) {
    faults({.dropReply = 1});
    EXPECT_TRUE(ask().empty());
    EXPECT_EQ(ask(2), reply(2, 0, 25, 0, 0));
}

TEST_F(Faults, BadChecksumSpoilsOnlyTheLastByte) {
    faults({.badChecksum = 1});
    for (int i = 0; i < 20; ++i) {
        const Bytes r = ask();
        ASSERT_EQ(r.size(), 6u);
        EXPECT_EQ(Bytes(r.begin(), r.begin() + 5), Bytes(good.begin(), good.begin() + 5));
        EXPECT_NE(r[5], good[5]);
    }
}

TEST_F(Faults, BadTagIsOutsideTheRangeWithARightChecksum) {
    faults({.badTag = 1});
    bool saw0 = false, saw33 = false;
    for (int i = 0; i < 40; ++i) {
        const Bytes r = ask();
        ASSERT_EQ(r.size(), 6u);
        saw0 |= r[0] == 0;
        saw33 |= r[0] == 33;
        EXPECT_TRUE(r[0] == 0 || r[0] == 33);
        EXPECT_EQ((r[0] + r[1] + r[2] + r[3] + r[4]) % 256, r[5]);
    }
    EXPECT_TRUE(saw0 && saw33);
}

TEST_F(Faults, ShortRepliesAreAPrefixOfOneToFiveBytes) {
    faults({.shortReply = 1});
    for (int i = 0; i < 30; ++i) {
        const Bytes r = ask();
        ASSERT_GE(r.size(), 1u);
        ASSERT_LE(r.size(), 5u);
        EXPECT_EQ(r, Bytes(good.begin(), good.begin() + static_cast<long>(r.size())));
    }
}

TEST_F(Faults, LineNoiseCorruptsOneByteOrAddsOneBeforeTheReply) {
    faults({.lineNoise = 1});
    int corrupted = 0, stray = 0;
    for (int i = 0; i < 40; ++i) {
        const Bytes r = ask();
        if (r.size() == 7) {
            ++stray;
            EXPECT_EQ(Bytes(r.begin() + 1, r.end()), good);
        } else {
            ASSERT_EQ(r.size(), 6u);
            ++corrupted;
            int differing = 0;
            for (std::size_t k = 0; k < 6; ++k) differing += r[k] != good[k];
            EXPECT_EQ(differing, 1);
        }
    }
    EXPECT_GT(corrupted, 0);
    EXPECT_GT(stray, 0);
}

TEST_F(Faults, TheSameSeedRepeatsARunAndAnotherSeedDoesNot) {
    auto run = [this](std::uint32_t seed) {
        faults({.dropReply = 0.5, .badChecksum = 0.2}, seed);
        std::string pattern;
        for (int i = 0; i < 200; ++i) {
            const Bytes r = ask();
            pattern += r.empty() ? '-' : (r == good ? 'o' : 'x');
        }
        return pattern;
    };
    const std::string a = run(11);
    EXPECT_EQ(run(11), a);
    EXPECT_NE(run(12), a);
    const auto dropped = std::count(a.begin(), a.end(), '-');
    EXPECT_GT(dropped, 70);
    EXPECT_LT(dropped, 130);
    EXPECT_GT(std::count(a.begin(), a.end(), 'x'), 0);
}

TEST_F(Faults, RefusedAndFailingWritesDoNotTake) {
    FaultConfig f;
    f.refuseWriteCells = {90};
    f.failWritesBeforeAccept = {{91, 3}};
    faults(f);
    SimSensor& s = h.bus.sensor(0);
    for (int attempt = 1; attempt <= 4; ++attempt) {
        h.exchange(request(1, cmd::WriteEeprom, 90, 20));
        h.exchange(request(1, cmd::WriteEeprom, 91, 1));
        EXPECT_EQ(s.cell(90), 5);
        EXPECT_EQ(s.cell(91), attempt < 4 ? 0 : 1) << "attempt " << attempt;
    }
    h.exchange(request(1, cmd::WriteEeprom, 95, 33));
    EXPECT_EQ(s.cell(95), 33);
}

TEST_F(Faults, FirstCopyIsLostAndAnImmediateResendAnswered) {
    faults({.firstAttemptLost = true});
    EXPECT_TRUE(ask().empty());
    EXPECT_EQ(ask(), good);  // the same frame again, 75 ms later
    EXPECT_TRUE(h.exchange(request(1, cmd::SensorType)).empty());
    EXPECT_EQ(h.exchange(request(1, cmd::SensorType)), reply(1, 0, 0, 0, 0));
    // Asked again much later, it counts as a first copy again.
    h.clock.sleepFor(300'000);
    EXPECT_TRUE(ask().empty());
    EXPECT_EQ(ask(), good);
    EXPECT_EQ(ask(2), reply(2, 0, 25, 0, 0));
}

TEST_F(Faults, SilentAfterFramesIsForGood) {
    faults({.silentAfterFrames = 3});
    EXPECT_EQ(ask(), good);
    h.exchange(request(1, cmd::WriteEeprom, 90, 9));
    EXPECT_EQ(ask(), good);
    EXPECT_TRUE(ask().empty());
    h.exchange(request(1, cmd::Restart), 2'000'000);
    EXPECT_TRUE(ask().empty());
    EXPECT_EQ(ask(2), reply(2, 0, 25, 0, 0));
    EXPECT_EQ(h.bus.sensor(0).restartCount(), 0);
}

TEST_F(Faults, StatusFaultBitsLastUntilTheResetCommand) {
    faults({.statusFaultBits = 0x81});
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 0x70, 0, 0x81, 0));
    EXPECT_EQ(h.exchange(request(1, cmd::Status)), reply(1, 0x70, 0, 0x81, 0));
    EXPECT_LT(h.exchange(request(2, cmd::Status))[1], 80);
    h.exchange(request(1, cmd::ResetFaults));
    EXPECT_LT(h.exchange(request(1, cmd::Status))[1], 80);
}

TEST_F(Faults, StreamsCanBeDroppedOrCut) {
    faults({.dropReply = 1});
    EXPECT_TRUE(h.exchange(request(1, cmd::AcousticData), 400'000).empty());
    faults({.shortReply = 1});
    const Bytes cut = h.exchange(request(1, cmd::AcousticData), 400'000);
    EXPECT_GE(cut.size(), 1u);
    EXPECT_LT(cut.size(), 320u);
}

}  // namespace
}  // namespace k7::sim::test
