// What a faulty line does to the link: late replies, junk bytes, an adapter that echoes or
// goes away, and exchanges started from inside another one. Every value read must be the
// value of the cell asked for, whatever the line does.
#include <gtest/gtest.h>

#include "link/CommHistory.h"
#include "link/Commands.h"
#include "link/Discovery.h"
#include "link/LineHealth.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

class LineFaultsTest : public test::LinkFixture {
protected:
    // Fills the user cells with values that differ from their neighbours.
    sim::SimSensor& sensorWithPattern(int tag) {
        sim::SimSensor& s = addSensor(tag);
        for (int a = 46; a < 128; ++a) s.setCell(a, static_cast<std::uint8_t>(a * 7 + 3));
        return s;
    }
    // Reads every cell from `first` on, `rounds` times; counts values that are not the cell's.
    int wrongValues(sim::SimSensor& s, int first, int rounds) {
        int wrong = 0;
        for (int r = 0; r < rounds; ++r) {
            for (int a = first; a < 128; ++a) {
                link.eepromReadAddress = static_cast<std::uint8_t>(a);
                EXPECT_TRUE(link.exchange(cmd::ReadEeprom)) << "cell " << a;
                if (link.dataByte(1) != s.cell(a)) ++wrong;
            }
        }
        return wrong;
    }
};

TEST_F(LineFaultsTest, RepliesPastTheWindowAreNeverTakenForTheNextRequest) {
    // The reply to a re-sent copy arrives after the next request went out: it must be dropped.
    for (const char* delay : {"delay=78", "delay=80", "delay=74:6", "delay=105:5"}) {
        sim::SimBus b;
        sim::SimulatedLine ln(b, clock);
        ln.open("SIM", kLineSettings);
        test::FakeLinkUi fresh;
        Link l(ln, clock, fresh);
        sim::SimSensor& s = b.addSensor(sim::SensorConfig{});
        for (int a = 46; a < 128; ++a) s.setCell(a, static_cast<std::uint8_t>(a * 7 + 3));
        sim::FaultConfig f;
        ASSERT_FALSE(sim::applyFault(delay, f));
        b.setFaults(0, f, 11);
        int wrong = 0;
        for (int r = 0; r < 3; ++r) {
            for (int a = 46; a < 128; ++a) {
                l.eepromReadAddress = static_cast<std::uint8_t>(a);
                ASSERT_TRUE(l.exchange(cmd::ReadEeprom)) << delay << " cell " << a;
                if (l.dataByte(1) != s.cell(a)) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << delay;
        EXPECT_TRUE(fresh.noCommOfferedRetry.empty()) << delay;
    }
}

TEST_F(LineFaultsTest, FirstAttemptAnsweredCostsNothingExtra) {
    sensorWithPattern(1);
    link.eepromReadAddress = 79;
    const auto start = clock.nowUs();
    ASSERT_TRUE(link.exchange(cmd::ReadEeprom));
    // Request and reply on the wire (12 bytes) plus the sensor's turnaround.
    EXPECT_LT(clock.nowUs() - start, 12 * 521 + 1'100);
    EXPECT_EQ(link.stats.tag(1).resends, 0u);
}

TEST_F(LineFaultsTest, JunkBeforeARepliesDoesNotPutTheReadsOutOfStep) {
    sim::SimSensor& s = sensorWithPattern(1);
    setFaults(0, "junk=0.02");
    EXPECT_EQ(wrongValues(s, 0, 10), 0);
    EXPECT_EQ(link.stats.tag(1).failures, 0u);
    EXPECT_GT(link.stats.tag(1).badReplies, 0u);  // the junk was there
}

TEST_F(LineFaultsTest, EchoOfTheRequestIsSkippedAndCounted) {
    sim::SimSensor& s = sensorWithPattern(1);
    bus.setEcho(true);
    EXPECT_EQ(wrongValues(s, 40, 1), 0);
    EXPECT_EQ(link.stats.echoes, 88u);
    // A command whose reply nobody reads: the next request waits until it cannot be answered
    // any more, and its echo is gone with what was waiting.
    link.sendRequest(cmd::CurrentCalMode);
    ASSERT_TRUE(link.exchange(cmd::SensorType));
    EXPECT_EQ(link.stats.tag(1).resends, 0u);
    EXPECT_EQ(link.stats.echoes, 89u);
    // Streams too: the RAM dump follows the echo of its request.
    link.sendRequest(cmd::RamDump);
    const auto dump = link.readStream(kRamDumpBytes, clock.nowUs() + 1'000'000);
    EXPECT_EQ(dump.size(), static_cast<std::size_t>(kRamDumpBytes));
    EXPECT_NE(dump[0], kStartByte);
    EXPECT_EQ(link.stats.echoes, 90u);
}

TEST_F(LineFaultsTest, ASearchTakesOnlyTheProbedTagsReply) {
    // Tag 3 answers so late that its replies land in the probe of tag 4: no sensor at 4. Heard
    // that way, it is given the time it needs on the next pass, and found.
    addSensor(3);
    setFaults(0, "delay=160");
    DiscoveryState d;
    ASSERT_EQ(searchForSensors(link, d), SearchResult::Found);
    EXPECT_EQ(d.found, (std::vector<int>{3}));
    EXPECT_EQ(ui.listClears, 2);
    EXPECT_EQ(ui.listed, (std::vector<int>{3}));
    EXPECT_GT(link.stats.foreignReplies, 0u);

    // Tag 3 answers within the probe's second attempt: found, and its late copy is dropped.
    Link fresh(line, clock, ui);
    setFaults(0, "delay=100");
    ASSERT_EQ(searchForSensors(fresh, d), SearchResult::Found);
    EXPECT_EQ(d.found, (std::vector<int>{3}));
}

TEST_F(LineFaultsTest, NothingRunsOnTheLineInsideAVerifiedWrite) {
    // A poll tick that fires while the write's read-back waits (events run after a lost
    // reply) must neither put its frame on the line nor disturb the write.
    sim::SimSensor& s = addSensor(1);
    setFaults(0, "drop=0.5");
    int ticks = 0;
    ui.onProcessEvents = [&] {
        ++ticks;
        EXPECT_FALSE(link.hold());
        link.statusPollBusy = true;  // a careless tick: straight to the line
        link.sendRequest(cmd::Status);
        link.readReply();
        link.statusPollBusy = false;
        link.writeEepromAddress = "0";
        link.writeEepromData = "0";
    };
    for (int cell : {124, 125, 90}) {
        s.setCell(cell, 9);
        EXPECT_TRUE(link.writeCell(cell, cell == 90 ? 33 : 0));
    }
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(frames(cmd::Status), 0);
    for (const sim::ReceivedFrame& f : bus.received()) {
        if (f.bytes[2] == cmd::WriteEeprom) {
            EXPECT_TRUE(f.bytes[3] == 124 || f.bytes[3] == 125 || f.bytes[3] == 90);
        }
    }
    EXPECT_EQ(s.cell(90), 33);
    EXPECT_EQ(s.cell(124), 0);
    EXPECT_GT(link.stats.nestedRefused, 0u);
    // Once the line is free, anyone may have it.
    EXPECT_TRUE(link.hold());
}

TEST_F(LineFaultsTest, AnUnpluggedAdapterIsReopenedByRetry) {
    addSensor(1);
    link.statusPollBusy = true;
    ASSERT_TRUE(link.exchange(cmd::Status));
    line.setUnplugged(true);
    ui.noCommAnswers = {NoCommChoice::Retry, NoCommChoice::Retry};
    ui.onNoComm = [&] {
        if (ui.noCommOfferedRetry.size() == 2) line.setUnplugged(false);  // plugged back in
    };
    EXPECT_TRUE(link.exchange(cmd::Status));
    // The first Retry found the device still missing: the window stayed.
    ASSERT_EQ(ui.noCommDeviceGone.size(), 2u);
    EXPECT_NE(ui.noCommDeviceGone[0].find("No such device"), std::string::npos);
    EXPECT_EQ(ui.exitCalls, 0);
    EXPECT_TRUE(line.isOpen());
}

TEST_F(LineFaultsTest, HealthCountsTheFaultsOfEachTagAlone) {
    // A bad joint far down the cable: tag 5 corrupts a fifth of its replies, tag 1 none.
    addSensor(1);
    addSensor(5);
    sim::FaultConfig f;
    ASSERT_FALSE(sim::applyFault("checksum=0.2", f));
    bus.setFaults(1, f, 7);
    for (int r = 0; r < 200; ++r) {
        for (int tag : {1, 5}) {
            ui.tag = std::to_string(tag);
            link.eepromReadAddress = 60;
            ASSERT_TRUE(link.exchange(cmd::ReadEeprom));
        }
    }
    const TagHealth& one = link.stats.tag(1);
    const TagHealth& five = link.stats.tag(5);
    EXPECT_EQ(one.exchanges, 200u);
    EXPECT_EQ(one.badReplies + one.timeouts + one.resends, 0u);
    EXPECT_EQ(five.exchanges, 200u);
    EXPECT_GT(five.badReplies, 20u);  // about 50 expected
    EXPECT_LT(five.badReplies, 80u);
    EXPECT_EQ(five.resends, five.badReplies);
    EXPECT_EQ(tagsSeen(link.stats), (std::vector<int>{1, 5}));
    const auto row = lineHealthRow(5, five);
    ASSERT_EQ(row.size(), lineHealthHeader().size());
    EXPECT_EQ(row[2], std::to_string(five.badReplies));
    EXPECT_NE(row.back(), "never");
    EXPECT_EQ(lineHealthRow(9, TagHealth{}).back(), "never");
    EXPECT_EQ(isoTimeOfDay(3723.0456), "01:02:03.046");
}

}  // namespace
}  // namespace k7
