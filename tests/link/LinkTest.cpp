#include <gtest/gtest.h>

#include "link/Commands.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

using test::LinkFixture;

class LinkTest : public LinkFixture {
protected:
    Frame lastFrame() const { return bus.received().back().bytes; }
};

TEST_F(LinkTest, RequestsCarryTheirDataBytes) {
    addSensor(1);
    link.eepromReadAddress = 79;
    link.sendRequest(cmd::ReadEeprom);
    EXPECT_EQ(lastFrame(), makeRequest(1, 104, 79));

    link.scopeGainSelect = 1;
    link.sendRequest(cmd::AcousticData);
    EXPECT_EQ(lastFrame(), makeRequest(1, 100, 1));

    link.currentCalActive = true;
    link.sendRequest(cmd::CurrentCalMode);
    EXPECT_EQ(lastFrame(), makeRequest(1, 121, 1));

    link.sendRequest(cmd::RaisePoint3);
    EXPECT_EQ(lastFrame(), makeRequest(1, 31, 10));
    link.fineCalibrationStep = true;
    link.sendRequest(cmd::LowerPoint1);
    EXPECT_EQ(lastFrame(), makeRequest(1, 39, 1));

    for (auto [addr, code] : {std::pair{"6", kUnlockLowRegion},
                              {"19", kUnlockLowRegion},
                              {"20", kUnlockMiddleRegion},
                              {"29", kUnlockMiddleRegion},
                              {"30", std::uint8_t{0}}}) {
        link.writeEepromAddress = addr;
        link.sendRequest(cmd::Unlock);
        EXPECT_EQ(lastFrame(), makeRequest(1, 126, code)) << addr;
    }
}

TEST_F(LinkTest, TheTagComesFromTheIdFieldAtEachRequest) {
    addSensor(5);
    ui.tag = "5";
    link.sendRequest(cmd::Status);
    EXPECT_EQ(lastFrame(), (Frame{170, 5, 2, 0, 0, 177}));
    ui.tag = "(none)";
    link.sendRequest(cmd::Status);
    EXPECT_EQ(bus.received().size(), 1u);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "Module2.SendRequest 2");
}

TEST_F(LinkTest, UnknownCodeSendsNothingAndTheNextReadResendsThePreviousFrame) {
    addSensor(1);
    link.sendRequest(cmd::Status);
    link.readReply();
    ASSERT_EQ(link.replyOk, 1);
    bus.clearReceived();
    link.sendRequest(99);
    EXPECT_TRUE(bus.received().empty());
    link.readReply();
    ASSERT_EQ(bus.received().size(), 1u);  // one time-out, then the re-send is answered
    EXPECT_EQ(lastFrame(), makeRequest(1, 2));
    EXPECT_EQ(link.replyOk, 1);
}

TEST_F(LinkTest, GoodReplySetsTheWords) {
    sim::SimSensor& s = addSensor(3);
    s.setCell(79, 0x0C);
    s.setCell(80, 0x80);
    ui.tag = "3";
    link.eepromReadAddress = 79;
    link.sendRequest(cmd::ReadEeprom);
    link.readReply();
    EXPECT_EQ(link.replyOk, 1);
    EXPECT_EQ(link.dataByte(1), 0x0C);
    EXPECT_EQ(link.replyWord45, 3200);
    EXPECT_EQ(link.replyWord34, 256 * link.dataByte(0) + 0x0C);
}

TEST_F(LinkTest, LostReplyIsRetriedOnce) {
    addSensor(1);
    setFaults(0, "lost-first");
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(link.replyOk, 1);
    EXPECT_EQ(frames(cmd::Status), 2);
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
}

TEST_F(LinkTest, EveryWaitLetsEventsRunAtLeastEveryFiftyMilliseconds) {
    // A restart of the slow sensor, a lost reply and fourteen quick reads in a row: the window
    // never goes longer than 50 ms of line time without its events.
    addSensor(1);
    setFaults(0, "lost-first");
    std::int64_t last = 0, longest = 0;
    ui.onProcessEvents = [&] {
        longest = std::max(longest, clock.nowUs() - last);
        last = clock.nowUs();
    };
    const Link::Hold held = link.hold();
    last = clock.nowUs();
    link.slowSensor = true;
    link.sendRequest(cmd::Restart);
    link.slowSensor = false;
    for (int i = 0; i < 14; ++i) link.exchange(cmd::Status);
    longest = std::max(longest, clock.nowUs() - last);
    EXPECT_LE(longest, 60'000);
    EXPECT_EQ(ui.exceptInputCalls, 0);
    // The restart is a step of its own: from 0 to 100 as its 3 s go by.
    ASSERT_GE(ui.restarts.size(), 3u);
    EXPECT_EQ(ui.restarts.front(), 0);
    EXPECT_EQ(ui.restarts.back(), 100);
    EXPECT_TRUE(std::is_sorted(ui.restarts.begin(), ui.restarts.end()));
}

TEST_F(LinkTest, APollsTickLetsEventsRunButKeepsTheUsersInputBack) {
    addSensor(1);
    setFaults(0, "lost-first");
    {
        const Link::Hold tick = link.holdInBackground();
        link.exchange(cmd::Status);
    }
    EXPECT_GT(ui.exceptInputCalls, 0);
    EXPECT_EQ(ui.exceptInputCalls, ui.processEventsCalls);
    const int before = ui.processEventsCalls;
    link.exchange(cmd::Status);  // a sequence's exchange lets everything through
    EXPECT_GT(ui.processEventsCalls, before);
    EXPECT_EQ(ui.exceptInputCalls, before);
}

TEST_F(LinkTest, AttemptLimitsPutThatManyFramesOnTheLine) {
    struct Case {
        bool quick, slow;
        int frames;
    };
    for (Case c : {Case{false, false, 10}, Case{true, false, 2}, Case{false, true, 120},
                   Case{true, true, 2}}) {
        bus.clearReceived();
        link.quickFail = c.quick;
        link.slowSensor = c.slow;
        link.suppressNoCommWindow = true;
        const auto start = clock.nowUs();
        link.sendRequest(cmd::Status);
        link.readReply();
        EXPECT_EQ(link.replyOk, 0);
        EXPECT_EQ(frames(cmd::Status), c.frames);
        // Each attempt waits its 75 ms from the moment the frame was handed over.
        EXPECT_NEAR(clock.nowUs() - start, c.frames * 75'000, 1000);
    }
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
}

TEST_F(LinkTest, QuietGiveUpHoldsForOneReadOnly) {
    link.suppressNoCommWindow = true;
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_FALSE(link.suppressNoCommWindow);
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(ui.noCommOfferedRetry.size(), 1u);
}

TEST_F(LinkTest, NoCommunicationWindowExitEndsTheProgramAndSilencesTheLink) {
    link.sendRequest(cmd::Status);
    link.readReply();
    ASSERT_EQ(ui.noCommOfferedRetry.size(), 1u);
    EXPECT_FALSE(ui.noCommOfferedRetry[0]);  // not a status poll: exit only
    EXPECT_EQ(ui.exitCalls, 1);
    EXPECT_TRUE(link.programEnding);
    const auto sent = bus.received().size();
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(bus.received().size(), sent);
    EXPECT_EQ(ui.noCommOfferedRetry.size(), 1u);
}

TEST_F(LinkTest, RetryRunsTheReadAgainUntilTheSensorAnswers) {
    sim::SimSensor& s = addSensor(1);
    s.setSilent(true);
    link.statusPollBusy = true;
    ui.noCommAnswers = {NoCommChoice::Retry, NoCommChoice::Retry};
    int windows = 0;
    ui.onNoComm = [&] {
        if (++windows == 2) s.setSilent(false);  // the technician fixed the cable
    };
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(link.replyOk, 1);
    EXPECT_EQ(ui.noCommOfferedRetry, (std::vector<bool>{true, true}));
    EXPECT_EQ(ui.exitCalls, 0);
}

TEST_F(LinkTest, SixtyKilohertzSensorsAreRetriedWithoutAWindow) {
    sim::SimSensor& s = addSensor(1, 6);
    s.setSilent(true);
    link.sensorClass = 60;
    ui.onProcessEvents = [&] {
        if (clock.nowUs() > 2'100'000) s.setSilent(false);  // after two rounds and more
    };
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(link.replyOk, 1);
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
    EXPECT_GT(frames(cmd::Status), 20);  // several rounds of ten attempts, no window between
}

TEST_F(LinkTest, SixtyKilohertzRetryStopsWhenTheProgramEnds) {
    link.sensorClass = 60;
    ui.onProcessEvents = [&] {
        if (ui.processEventsCalls == 12) link.programEnding = true;  // the user closed the window
    };
    link.sendRequest(cmd::Status);
    link.readReply();
    EXPECT_EQ(link.replyOk, 0);
    EXPECT_LE(ui.processEventsCalls, 12);
}

TEST_F(LinkTest, TimeOutsStillExpireAcrossMidnight) {
    VirtualClock lateClock(86399.95);
    sim::SimulatedLine lateLine(bus, lateClock);
    lateLine.open("SIM", kLineSettings);
    Link late(lateLine, lateClock, ui);
    late.quickFail = true;
    late.suppressNoCommWindow = true;
    late.sendRequest(cmd::Status);
    late.readReply();
    EXPECT_EQ(late.replyOk, 0);
    EXPECT_EQ(lateClock.nowUs(), 150'000);
    EXPECT_LT(lateClock.secondsSinceMidnight(), 1.0);
}

TEST_F(LinkTest, WaitIsAtLeastSixtyMilliseconds) {
    float ms = 1;
    link.waitMilliseconds(ms);
    EXPECT_EQ(ms, 60);
    EXPECT_EQ(clock.nowUs(), 60'000);
    float longer = 250;
    link.waitMilliseconds(longer);
    EXPECT_EQ(longer, 250);
    EXPECT_EQ(clock.nowUs(), 310'000);
}

TEST_F(LinkTest, RestartWaitsLongerForTheSlowSensor) {
    link.sendRequest(cmd::Restart);
    EXPECT_EQ(clock.nowUs(), 1'500'000);
    link.slowSensor = true;
    link.sendRequest(cmd::Restart);
    EXPECT_EQ(clock.nowUs(), 4'500'000);
}

class VerifiedWriteTest : public LinkTest {
protected:
    void write(int addr, int value) {
        link.writeEepromAddress = std::to_string(addr);
        link.writeEepromData = std::to_string(value);
        link.sendRequest(cmd::WriteEeprom);
    }
};

TEST_F(VerifiedWriteTest, WriteIsReadBackOnce) {
    sim::SimSensor& s = addSensor(1);
    write(90, 7);
    EXPECT_EQ(s.cell(90), 7);
    EXPECT_EQ(frames(cmd::WriteEeprom), 1);
    EXPECT_EQ(frames(cmd::ReadEeprom), 1);
    EXPECT_EQ(bus.received()[0].bytes, makeRequest(1, 103, 90, 7));
    // The read-back asks for the written cell.
    EXPECT_EQ(bus.received()[1].bytes, makeRequest(1, 104, 90, 7));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(VerifiedWriteTest, RefusingCellGetsTenWritesThenTheMessage) {
    addSensor(1);
    setFaults(0, "refuse=90");
    write(90, 7);
    EXPECT_EQ(frames(cmd::WriteEeprom), 10);
    EXPECT_EQ(frames(cmd::ReadEeprom), 10);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Comm verification failed on EEPROM write");
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(VerifiedWriteTest, CellTakingTheSecondWriteIsFine) {
    sim::SimSensor& s = addSensor(1);
    setFaults(0, "fail-writes=90:1");
    write(90, 7);
    EXPECT_EQ(frames(cmd::WriteEeprom), 2);
    EXPECT_EQ(s.cell(90), 7);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(VerifiedWriteTest, SkipVerifyWritesOnce) {
    addSensor(1);
    link.skipWriteVerify = true;
    write(45, 7);
    EXPECT_EQ(frames(cmd::WriteEeprom), 1);
    EXPECT_EQ(frames(cmd::ReadEeprom), 0);
}

TEST_F(VerifiedWriteTest, BadParameterBlockIsReportedAndNothingSent) {
    addSensor(1);
    link.writeEepromAddress = "300";
    link.writeEepromData = "1";
    link.sendRequest(cmd::WriteEeprom);
    EXPECT_TRUE(bus.received().empty());
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "Module2.SendRequest 103");
}

TEST_F(VerifiedWriteTest, ProgressStopsAtOneHundred) {
    addSensor(1);
    ui.progressShown = true;
    link.progressTotal = 8;
    link.progressDone = 0;
    for (int i = 0; i < 9; ++i) write(90 + i, i);
    EXPECT_EQ(link.progressDone, 9);
    EXPECT_EQ(ui.progressValues, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100}));
}

TEST_F(LinkTest, HistoryWrapsFromTwoHundredToOneAndWritesItsFile) {
    addSensor(1);
    link.eepromReadAddress = 45;
    link.sendRequest(cmd::ReadEeprom);
    link.readReply();
    EXPECT_EQ(link.history.index, 1);  // the first read went into record 0
    for (int i = 0; i < 200; ++i) {
        link.sendRequest(cmd::ReadEeprom);
        link.readReply();
    }
    EXPECT_EQ(link.history.index, 201);
    const float before = link.history.records[1].time;
    link.sendRequest(cmd::ReadEeprom);
    link.readReply();
    EXPECT_EQ(link.history.index, 2);
    EXPECT_GT(link.history.records[1].time, before);

    const std::string text = link.history.fileText();
    EXPECT_EQ(text.rfind(" 2\r\n", 0), 0u);
    const HistoryRecord& r = link.history.records[1];
    EXPECT_EQ(r.bytes[0], 1);
    EXPECT_EQ(r.bytes[3], 1);  // cell 45 holds the tag
    const std::size_t line = text.find("\r\n") + 2;
    const std::string first = text.substr(line, text.find("\r\n", line) - line);
    EXPECT_EQ(first.substr(0, 4), " 1 \t");
    EXPECT_EQ(first.substr(4, 3), " 1\t");
    EXPECT_EQ(first.back(), ' ');
    // 200 record lines after the index line, unfilled records would hold zeros.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 201);
}

TEST(CommHistory, FileLayoutOfUnfilledAndFilledRecords) {
    CommHistory h;
    h.index = 3;
    h.records[1].bytes = {1, 0, 45, 1, 32, 79};
    h.records[1].time = 36000.5f;
    const std::string text = h.fileText();
    EXPECT_EQ(text.substr(0, 4), " 3\r\n");
    EXPECT_NE(text.find(" 1 \t 1\t 0\t 45\t 1\t 32\t 79\t 36000.5 \r\n"), std::string::npos);
    EXPECT_NE(text.find(" 200 \t 0\t 0\t 0\t 0\t 0\t 0\t 0 \r\n"), std::string::npos);
}

TEST(CommHistory, LatestRecordsOldestFirstRoundTheRing) {
    CommHistory h;
    auto write = [&h](int count) {
        for (int i = 0; i < count; ++i) {
            HistoryRecord& r = h.next();
            r.bytes[0] = static_cast<std::uint8_t>(h.written);
        }
    };
    auto firsts = [&h](std::uint64_t n) {
        std::vector<int> v;
        for (const HistoryRecord& r : h.latest(n)) v.push_back(r.bytes[0]);
        return v;
    };
    write(3);  // records 0, 1, 2
    EXPECT_EQ(firsts(10), (std::vector<int>{1, 2, 3}));
    write(198);  // 201 reads: record 0 and the whole ring
    EXPECT_EQ(h.latest(500).size(), 201u);
    EXPECT_EQ(firsts(500).front(), 1);
    write(4);  // the ring has moved past record 1: the last 200 reads are kept
    EXPECT_EQ(h.latest(500).size(), 200u);
    EXPECT_EQ(firsts(2), (std::vector<int>{204, 205}));
    EXPECT_EQ(h.index, 5);
    EXPECT_EQ(isoTimeOfDay(3723.5), "01:02:03.500");
    EXPECT_EQ(isoTimeOfDay(86399.9996), "23:59:59.999");
}

}  // namespace
}  // namespace k7
