// The capture against simulated sensors on a virtual clock: what goes on the line in each gain
// mode, a gain switch that never comes, records that come late or not at all, and where the
// echo lands on the plot's distance scale.
#include <gtest/gtest.h>

#include <algorithm>

#include "acoustic/EchoCapture.h"
#include "acoustic/PlotScale.h"
#include "link/Commands.h"
#include "settings/Units.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

using Frames = std::vector<std::pair<int, int>>;  // command, data byte 1

class CaptureTest : public test::LinkFixture {
protected:
    EchoCapture capture{link};

    sim::SimSensor& sensor(int type = 0, int unknownRequests = 0, int tag = 1) {
        sim::SensorConfig c;
        c.tag = tag;
        c.type = type;
        c.gainSwitchUnknownRequests = unknownRequests;
        sim::SimSensor& s = bus.addSensor(c);
        link.sensorClass = static_cast<std::uint8_t>(type == 1 ? 92 : 220);
        return s;
    }
    Frames sent() const {
        Frames f;
        for (const sim::ReceivedFrame& r : bus.received()) f.emplace_back(r.bytes[2], r.bytes[3]);
        return f;
    }
    double seconds(std::int64_t fromUs) {
        return static_cast<double>(clock.nowUs() - fromUs) / 1e6;
    }
};

const std::pair<int, int> k101{cmd::GainSwitch, 0};
const std::pair<int, int> kLow{cmd::AcousticData, 0};
const std::pair<int, int> kHigh{cmd::AcousticData, 1};
const std::pair<int, int> kThreshold{cmd::ReadEeprom, 30};

TEST_F(CaptureTest, EachGainModePutsItsRequestsOnTheLine) {
    sim::SimSensor& s = sensor();
    s.removeTarget();
    struct Case {
        Gain gain;
        Frames frames;
    };
    for (const Case& c :
         {Case{Gain::Switching, {k101, kLow, kHigh, kThreshold}},
          Case{Gain::Low, {k101, kLow, kThreshold}}, Case{Gain::High, {k101, kHigh, kThreshold}}}) {
        bus.clearReceived();
        const CaptureResult r = capture.capture(c.gain);
        ASSERT_EQ(r.outcome, CaptureResult::Outcome::Captured);
        EXPECT_EQ(sent(), c.frames);
        EXPECT_EQ(r.gain, c.gain);
        EXPECT_EQ(r.samples.size(), 320u);
        EXPECT_EQ(r.thresholdCode, s.cell(30));
        EXPECT_TRUE(s.displayMode());
    }
    // Switching gain: low gain up to the switch position (sample 40), high gain from it on.
    const CaptureResult r = capture.capture(Gain::Switching);
    auto mean = [&](int from, int to) {
        double sum = 0;
        for (int k = from; k < to; ++k) sum += r.samples[static_cast<std::size_t>(k - 1)];
        return sum / (to - from);
    };
    EXPECT_LT(mean(25, 40), 28);
    EXPECT_GT(mean(40, 320), 35);

    bus.clearReceived();
    EXPECT_TRUE(capture.keepAlive());
    EXPECT_EQ(sent(), Frames{k101});
    EXPECT_TRUE(capture.restartSensor());
    EXPECT_EQ(sent().back().first, cmd::Restart);
    EXPECT_FALSE(s.displayMode());
    EXPECT_EQ(s.restartCount(), 1);
}

TEST_F(CaptureTest, TheLongRecordsOfThe95kHzClass) {
    sensor(1);
    const std::int64_t t0 = clock.nowUs();
    const CaptureResult r = capture.capture(Gain::Switching);
    ASSERT_EQ(r.outcome, CaptureResult::Outcome::Captured);
    EXPECT_EQ(r.samples.size(), 1600u);
    EXPECT_EQ(sent(), (Frames{k101, kLow, kHigh, kThreshold}));
    // Two 1600-byte streams at 19200 baud and three short exchanges.
    EXPECT_NEAR(seconds(t0), 2 * 1600 * 10 / 19200.0 + 0.05, 0.03);
}

TEST_F(CaptureTest, AGainSwitchThatComesLateIsWaitedForOnceASecond) {
    sensor(0, 3);
    const std::int64_t t0 = clock.nowUs();
    const CaptureResult r = capture.capture(Gain::Switching);
    ASSERT_EQ(r.outcome, CaptureResult::Outcome::Captured);
    EXPECT_EQ(r.gain, Gain::Switching);
    EXPECT_EQ(frames(cmd::GainSwitch), 4);
    EXPECT_GT(seconds(t0), 3.0);
    EXPECT_GT(ui.processEventsCalls, 40);  // the window stays alive while it waits
}

TEST_F(CaptureTest, AGainSwitchThatNeverComesFallsBackToHighGainAfter14Seconds) {
    sensor(0, 1'000'000);
    std::int64_t t0 = clock.nowUs();
    CaptureResult r = capture.capture(Gain::Switching);
    ASSERT_EQ(r.outcome, CaptureResult::Outcome::Captured);
    EXPECT_NEAR(seconds(t0), 14.2, 0.3);
    EXPECT_TRUE(r.switchingUnavailable);
    EXPECT_EQ(r.gain, Gain::High);
    Frames f = sent();
    EXPECT_EQ(std::count(f.begin(), f.end(), k101), 14);
    EXPECT_EQ(Frames(f.end() - 2, f.end()), (Frames{kHigh, kThreshold}));

    // It is not searched for 14 s again on every capture.
    bus.clearReceived();
    t0 = clock.nowUs();
    r = capture.capture(Gain::Low);
    EXPECT_EQ(sent(), (Frames{k101, kLow, kThreshold}));
    EXPECT_LT(seconds(t0), 0.5);
}

TEST_F(CaptureTest, ARecordThatNeverComesFailsAfterThreeAttemptsOfThreeSeconds) {
    sensor();
    setFaults(0, "stream-delay=10000");
    const std::int64_t t0 = clock.nowUs();
    const CaptureResult r = capture.capture(Gain::Switching);
    EXPECT_EQ(r.outcome, CaptureResult::Outcome::NoRecord);
    EXPECT_EQ(sent(), (Frames{k101, kLow, kLow, kLow}));
    EXPECT_NEAR(seconds(t0), 3 * 3.2, 0.3);  // each attempt and the wait for a late rest
}

TEST_F(CaptureTest, ARecordCutShortOrTooLateIsNeverShownAsOne) {
    sensor();
    // Each record starts 2.9 s after its request: the first part arrives within the 3 s, the
    // rest after; it must not become the start of the next attempt's record.
    setFaults(0, "stream-delay=2900");
    EXPECT_EQ(capture.capture(Gain::Low).outcome, CaptureResult::Outcome::NoRecord);
    EXPECT_EQ(frames(cmd::AcousticData), 3);
}

TEST_F(CaptureTest, TheSwitchingGainsSecondRecordHasTheSameBound) {
    sensor();
    setFaults(0, "silent-after=2");  // answers 101 and the low-gain request, then nothing
    const std::int64_t t0 = clock.nowUs();
    EXPECT_EQ(capture.capture(Gain::Switching).outcome, CaptureResult::Outcome::NoRecord);
    EXPECT_EQ(sent(), (Frames{k101, kLow, kHigh, kLow, kLow}));
    EXPECT_NEAR(seconds(t0), 3 * 3.2 + 0.2, 0.3);
}

TEST_F(CaptureTest, NothingElseGetsTheLineWhileACaptureWaits) {
    sensor(0, 2);
    ui.onProcessEvents = [this] {
        // A timer tick inside the capture's waits, trying a status exchange.
        link.sendRequest(cmd::Status);
        link.readReply();
    };
    ASSERT_EQ(capture.capture(Gain::Switching).outcome, CaptureResult::Outcome::Captured);
    EXPECT_EQ(frames(cmd::Status), 0);
}

TEST_F(CaptureTest, TheEchoLandsWhereTheStatusSaysTheTargetIs) {
    for (int type : {0, 1}) {
        sim::SimSensor& s = sensor(type, 0, type + 1);
        ui.tag = std::to_string(type + 1);
        s.setTargetInches(type == 0 ? 25.0 : 100.0);
        for (double celsius : {0.0, 20.0, 40.0}) {
            s.setTemperatureC(celsius);
            ASSERT_TRUE(link.exchange(cmd::Status));
            const double statusInches = link.replyWord34 / 128.0;
            const double measuredC = link.dataByte(2) / 2.0 - 50;
            const CaptureResult r = capture.capture(Gain::Low);
            ASSERT_EQ(r.outcome, CaptureResult::Outcome::Captured);
            const auto from = r.samples.begin() + static_cast<long>(r.samples.size() / 10);
            const double peak = static_cast<double>(std::max_element(from, r.samples.end()) -
                                                    r.samples.begin() + 1);
            const double p =
                samplesPerUnit(static_cast<int>(r.samples.size()), captureKelvin(measuredC), kIn);
            EXPECT_NEAR(peak / p, statusInches, 0.5) << type << " " << celsius;
            capture.restartSensor();
        }
    }
}

}  // namespace
}  // namespace k7
