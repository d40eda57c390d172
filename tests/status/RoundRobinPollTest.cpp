// The round-robin poll of a whole line: every sensor in turn, one exchange at a time, a silent
// sensor kept (and asked again only now and then) while the others go on; and the trend's
// bounded memory.
#include <gtest/gtest.h>

#include "link/Commands.h"
#include "status/OverviewTable.h"
#include "status/RoundRobinPoll.h"
#include "status/TrendBuffer.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

class RoundRobinPollTest : public test::LinkFixture {
protected:
    // Steps the poll for `seconds` of the virtual clock, sleeping to each next due time.
    void run(RoundRobinPoll& poll, double seconds) {
        const std::int64_t end = clock.nowUs() + static_cast<std::int64_t>(seconds * 1e6);
        while (clock.nowUs() < end) {
            if (!poll.step()) clock.sleepUntil(std::min(poll.nextDueUs(), end));
        }
    }
};

TEST_F(RoundRobinPollTest, SilentSensorIsKeptAndAskedRarelyWhileTheOthersGoOn) {
    addSensor(1).setTargetInches(20);
    addSensor(2, 1, 24);
    addSensor(3).setTemperatureC(20);
    RoundRobinPoll poll(link, DistanceFormats{});
    poll.setTags({1, 2, 3});
    run(poll, 2);
    for (const SensorRow& r : poll.rows()) {
        EXPECT_TRUE(r.identified) << r.tag;
        EXPECT_FALSE(r.silent) << r.tag;
        // Every 220 ms: about 9 readings in 2 s, after the reads that identify it.
        EXPECT_GE(r.readings, 7u) << r.tag;
    }
    EXPECT_EQ(poll.row(2)->type, 1);
    EXPECT_EQ(poll.row(2)->firmware, 24);
    EXPECT_EQ(poll.row(1)->reading->distanceCount, 20 * 128);
    EXPECT_EQ(poll.row(3)->reading->temperatureC, 20);

    bus.sensor(1).setSilent(true);
    const double lastSeen = *poll.row(2)->lastSeen;
    const auto before1 = poll.row(1)->readings, before3 = poll.row(3)->readings;
    bus.clearReceived();
    run(poll, 5);
    const SensorRow& gone = *poll.row(2);
    EXPECT_TRUE(gone.silent);
    ASSERT_TRUE(gone.lastSeen);
    EXPECT_NEAR(*gone.lastSeen, lastSeen, 0.3);  // the last answer, kept
    EXPECT_TRUE(gone.reading);                   // and the last reading with it
    // Two exchanges of ten requests make it silent (1.5 s); then the others keep their pace and
    // the silent one costs a short question every 2 s.
    EXPECT_GE(gone.missedRequests, 20);
    EXPECT_EQ(RoundRobinPoll::silence(gone),
              "no reply to " + std::to_string(gone.missedRequests) + " requests in a row");
    EXPECT_GE(poll.row(1)->readings - before1, 14u);
    EXPECT_GE(poll.row(3)->readings - before3, 14u);
    EXPECT_LE(bus.countReceived(cmd::Status, 2), 20 + 2 * 3);
    EXPECT_EQ(link.stats.nestedRefused, 0u);

    // It shows greyed in words, with the time it was last seen.
    const auto cells = overviewRow(gone, link.stats.tag(2), kCm);
    ASSERT_EQ(cells.size(), overviewHeader(kCm).size());
    EXPECT_EQ(cells[10].text.rfind("not answering, last seen ", 0), 0u) << cells[10].text;
    EXPECT_EQ(overviewRow(*poll.row(1), link.stats.tag(1), kCm)[4].text, "50.8");

    bus.sensor(1).setSilent(false);
    run(poll, 2.5);
    EXPECT_FALSE(poll.row(2)->silent);
}

TEST_F(RoundRobinPollTest, ALossyLineSilencesNoSensor) {
    // Three replies in ten lost: each sensor is still read at nearly its full pace.
    addSensor(1);
    addSensor(2);
    setFaults(0, "drop=0.3", 3);
    setFaults(1, "drop=0.3", 4);
    RoundRobinPoll poll(link, DistanceFormats{});
    poll.setTags({1, 2});
    run(poll, 10);
    for (const SensorRow& r : poll.rows()) {
        EXPECT_FALSE(r.silent) << r.tag;
        EXPECT_GE(r.readings, 30u) << r.tag;  // 45 on a clean line
    }
}

TEST_F(RoundRobinPollTest, SearchFindsNewSensorsAndKeepsTheOnesThatWentQuiet) {
    addSensor(4);
    addSensor(9);
    RoundRobinPoll poll(link, DistanceFormats{});
    poll.setTags({4, 7});  // 7 answered once and is gone now
    EXPECT_EQ(poll.search(), (std::vector<int>{4, 9}));
    ASSERT_EQ(poll.rows().size(), 3u);
    EXPECT_EQ(poll.rows()[1].tag, 7);
    EXPECT_TRUE(poll.rows()[1].silent);
    EXPECT_FALSE(poll.rows()[2].silent);
}

TEST(TrendBufferTest, HoldsOnlyItsCapacityNewestLast) {
    TrendBuffer b(3);
    for (int i = 1; i <= 5; ++i) {
        StatusReading r;
        r.kind = StatusReading::Kind::Normal;
        r.timeUs = i;
        r.distanceCount = i == 5 ? 0 : 128 * i;  // the last: no echo
        r.inches = i;
        b.add(r);
    }
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].timeUs, 3);
    EXPECT_EQ(b[1].inches, 4);
    EXPECT_TRUE(std::isnan(b[2].inches));
}

}  // namespace
}  // namespace k7
