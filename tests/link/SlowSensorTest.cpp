// Sensors that answer late: each copy on its own, or one request at a time (a re-sent copy is
// then answered a full delay after the first), with jitter, lost replies and an adapter that
// echoes. Every value the link hands out must be the answer to the request it was asked for;
// a read may fail, never return another request's answer.
#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/Discovery.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

struct SlowLine {
    int delayMs;
    int jitterMs = 0;
    bool busy = false;
    bool echo = false;
    double drop = 0;
};

std::string describe(const SlowLine& l) {
    return "delay " + std::to_string(l.delayMs) + ":" + std::to_string(l.jitterMs) +
           (l.busy ? " busy" : "") + (l.echo ? " echo" : "") +
           (l.drop > 0 ? " drop " + std::to_string(l.drop) : "");
}

struct Tally {
    int taken = 0;
    int wrong = 0;
    int failed = 0;
};

// A fresh link on one slow sensor (type 3) whose cells all differ from their neighbours; reads
// every cell `rounds` times with a status and a type request after every fourth.
class SlowSensorRun {
public:
    explicit SlowSensorRun(const SlowLine& l, std::uint32_t seed = 5) {
        line.open("SIM", kLineSettings);
        bus.setEcho(l.echo);
        sim::SensorConfig c;
        c.type = 3;
        sensor = &bus.addSensor(c);
        for (int a = 46; a < 128; ++a) sensor->setCell(a, static_cast<std::uint8_t>(a * 7 + 3));
        sensor->setTargetInches(40.0);
        sensor->setTemperatureC(21.0);
        // The status the pinned scene gives, read while the line is clean.
        EXPECT_TRUE(link->exchange(cmd::Status));
        status = {link->replyStatus(), link->dataByte(0), link->dataByte(1), link->dataByte(2)};
        link.emplace(line, clock, ui);  // the slow line's link starts knowing nothing
        sim::FaultConfig f;
        f.replyDelayUs = l.delayMs * 1000;
        f.replyJitterUs = l.jitterMs * 1000;
        f.busy = l.busy;
        f.dropReply = l.drop;
        bus.setFaults(0, f, seed);
    }

    Tally readAll(int rounds) {
        Tally t;
        auto check = [&](int command, auto isRight) {
            if (!link->exchange(command, {.quiet = true})) {
                ++t.failed;
                return;
            }
            ++t.taken;
            if (!isRight()) ++t.wrong;
        };
        for (int r = 0; r < rounds; ++r) {
            for (int a = 0; a < 128; ++a) {
                link->eepromReadAddress = static_cast<std::uint8_t>(a);
                check(cmd::ReadEeprom, [&] {
                    return link->dataByte(0) == a && link->dataByte(1) == sensor->cell(a);
                });
                if (a % 4 != 3) continue;
                check(cmd::Status, [&] {
                    return std::array{link->replyStatus(), link->dataByte(0), link->dataByte(1),
                                      link->dataByte(2)} == status;
                });
                check(cmd::SensorType, [&] { return link->dataByte(0) == 3; });
            }
        }
        return t;
    }

    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    test::FakeLinkUi ui;
    std::optional<Link> link{std::in_place, line, clock, ui};
    sim::SimSensor* sensor = nullptr;
    std::array<std::uint8_t, 4> status{};
};

TEST(slowSensor, EveryValueIsTheAnswerToItsOwnRequest) {
    int failures = 0;
    for (int delay : {60, 100, 150, 250, 300}) {
        for (bool busy : {false, true}) {
            for (bool echo : {false, true}) {
                for (int jitter : {0, delay / 5}) {
                    const SlowLine l{delay, jitter, busy, echo};
                    SlowSensorRun run(l);
                    const Tally t = run.readAll(1);
                    EXPECT_EQ(t.wrong, 0) << describe(l);
                    EXPECT_EQ(t.failed, 0) << describe(l);
                    failures += t.failed;
                    // Once the tag's answer time is known, no copy goes out that it would
                    // answer anyway.
                    EXPECT_LT(run.link->stats.tag(1).resends, 12u) << describe(l);
                }
            }
        }
    }
}

TEST(slowSensor, LostRepliesMakeReadsFailNeverWrong) {
    for (const SlowLine& l : {SlowLine{100, 0, true, false, 0.1}, SlowLine{150, 50, true, true, 0.05},
                              SlowLine{300, 20, true, false, 0.05}, SlowLine{20, 130, true, true, 0.1},
                              SlowLine{250, 0, false, true, 0.1}}) {
        SlowSensorRun run(l, 9);
        const Tally t = run.readAll(2);
        EXPECT_EQ(t.wrong, 0) << describe(l);
        EXPECT_GT(t.taken, 350) << describe(l);  // of 384
    }
}

TEST(slowSensor, AFastSensorPaysNothingForItsLostReplies) {
    SlowSensorRun run(SlowLine{0});
    run.readAll(1);  // learns the tag
    run.link->eepromReadAddress = 60;
    sim::FaultConfig f;
    f.firstAttemptLost = true;
    run.bus.setFaults(0, f, 1);
    std::int64_t start = run.clock.nowUs();
    ASSERT_TRUE(run.link->exchange(cmd::ReadEeprom));
    EXPECT_LT(run.clock.nowUs() - start, 90'000);  // one window and the answer
    run.bus.setFaults(0, {}, 1);
    start = run.clock.nowUs();
    ASSERT_TRUE(run.link->exchange(cmd::ReadEeprom));
    EXPECT_LT(run.clock.nowUs() - start, 10'000);  // nothing left to wait for
    EXPECT_EQ(run.link->timing.windowUs(1), AnswerTiming::kWindowUs);
}

TEST(slowSensor, ALeftoverFromAnotherTagIsNotTaken) {
    // Tag 2 answers its probe's first copy in the second one's window; its answer to the second
    // copy comes while tag 1 is asked, and must not be taken for tag 1's.
    test::FakeLinkUi ui;
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line(bus, clock);
    line.open("SIM", kLineSettings);
    Link link(line, clock, ui);
    bus.addSensor({.tag = 1});
    bus.addSensor({.tag = 2});
    sim::FaultConfig f;
    f.replyDelayUs = 100'000;
    f.busy = true;
    bus.setFaults(1, f, 3);
    ASSERT_TRUE(answersProbe(link, 2));
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(link.exchange(cmd::ReadEeprom));
        EXPECT_EQ(link.lastReply[0], 1);
        EXPECT_EQ(link.dataByte(1), 1);
    }
    EXPECT_GT(link.stats.foreignReplies, 0u);
}

}  // namespace
}  // namespace k7
