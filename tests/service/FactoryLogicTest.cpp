// The factory tools' sequences and arithmetic without windows, on a simulated line.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>

#include "common/TextFile.h"
#include "link/Commands.h"
#include "service/FactoryBench.h"
#include "service/FieldCheck.h"
#include "service/LowEeprom.h"
#include "service/RamDump.h"
#include "service/RepeatedTest.h"
#include "sim/RamImage.h"
#include "support/LinkFixture.h"
#include "tests/service/Frames.h"

namespace k7 {
namespace {

using test::Sent;
using Kind = PatternAction::Kind;

constexpr int kLow = kUnlockLowRegion;
constexpr int kMid = kUnlockMiddleRegion;

TEST(FactoryArithmetic, CalibrationAndSerialNumberCells) {
    EXPECT_NEAR(expectedEchoTicks(15, 23), 11034.56, 0.01);
    EXPECT_EQ(calibrationValue(15, 23, 3850), 7185);
    EXPECT_EQ(calibrationValue(15, 23, 12000), -965);  // stored as 64571
    EXPECT_EQ(serialNumberCells(70000), (std::array<CellValue, 3>{{{2, 1}, {3, 17}, {4, 112}}}));
    EXPECT_EQ(serialNumberCells(16777215),
              (std::array<CellValue, 3>{{{2, 255}, {3, 255}, {4, 255}}}));
}

TEST(FieldChecks, TheWholeFieldWithinItsRangeOrAMessageNamingIt) {
    EXPECT_EQ(checkWhole(" 127 ", "EEPROM Address", 0, 127).value, 127);
    EXPECT_EQ(checkWhole("12.5", "EEPROM Data", 0, 255).value, 12);  // halves to even
    for (const char* bad : {"128", "-1", "", "12abc", "abc", "1e9"}) {
        const Checked c = checkWhole(bad, "EEPROM Address", 0, 127);
        EXPECT_FALSE(c) << bad;
        EXPECT_EQ(c.refusal,
                  "\"EEPROM Address\" must be a whole number from 0 to 127. Nothing was sent.");
    }
    EXPECT_EQ(checkWhole("16777215", "Serial Number", 0, kMaxSerialNumber).value, 16777215);
    EXPECT_FALSE(checkWhole("16777216", "Serial Number", 0, kMaxSerialNumber));
    EXPECT_EQ(checkReal("23.25", "Degrees C", -50, 77.5).real, 23.25);
    EXPECT_EQ(checkReal("-300", "Degrees C", -50, 77.5).refusal,
              "\"Degrees C\" must be a number from -50 to 77.5. Nothing was sent.");
}

TEST(Patterns, WalkingBitsTwoBytesThenFiveBeeps) {
    const auto a = patternActions(3, 16);
    std::vector<std::array<std::uint8_t, 16>> sends;
    int waits = 0, beeps = 0;
    for (const PatternAction& x : a) {
        if (x.kind == Kind::Send) sends.push_back(x.bytes);
        if (x.kind == Kind::Wait) {
            EXPECT_EQ(x.ms, 1000);
            ++waits;
        }
        if (x.kind == Kind::Beep) ++beeps;
    }
    ASSERT_EQ(sends.size(), 18u);
    EXPECT_EQ(waits, 16);
    EXPECT_EQ(beeps, 5);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(sends[static_cast<std::size_t>(k)][5], 1 << k);  // byte 6 first
        EXPECT_EQ(sends[static_cast<std::size_t>(k + 9)][4], 1 << k);
        EXPECT_EQ(sends[static_cast<std::size_t>(k + 9)][5], 0);
    }
    EXPECT_EQ(sends[8], (std::array<std::uint8_t, 16>{}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a[a.size() - 1 - i].kind, Kind::Beep);
}

TEST(Patterns, FixedBuffersAndTheBoundedFourPhasePattern) {
    auto only = [](int code) {
        const auto a = patternActions(code, 0);
        EXPECT_EQ(a.size(), 1u) << code;
        return a.front().bytes;
    };
    using B = std::array<std::uint8_t, 16>;
    EXPECT_EQ(only(9), (B{170, 170, 85, 85, 170, 170, 85, 85, 170, 170, 85, 85, 170, 170, 85, 85}));
    EXPECT_EQ(only(10),
              (B{85, 85, 170, 170, 85, 85, 170, 170, 85, 85, 170, 170, 85, 85, 170, 170}));
    EXPECT_EQ(only(11), (B{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1}));
    EXPECT_EQ(only(12), (B{2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 12, 11, 14, 13, 1, 15}));
    B all255;
    all255.fill(255);
    EXPECT_EQ(only(13), all255);
    EXPECT_EQ(only(17)[0], 73);
    EXPECT_EQ(only(17)[1], 36);
    EXPECT_EQ(only(18)[0], 36);
    EXPECT_EQ(only(19)[1], 73);
    for (int code : {0, 14, 16, 20, 255}) EXPECT_EQ(only(code), B{}) << code;

    // D/A 0 stands for 8: 5, 9, 17 and 33 waits of 2, 1, 0.5 and 0.25 s, a beep after each.
    std::map<int, int> waits;
    int sends = 0;
    for (const PatternAction& x : patternActions(15, 0)) {
        if (x.kind == Kind::Wait) ++waits[x.ms];
        if (x.kind == Kind::Send) ++sends;
    }
    EXPECT_EQ(sends, 4);
    EXPECT_EQ(waits, (std::map<int, int>{{2000, 5}, {1000, 9}, {500, 17}, {250, 33}}));
    EXPECT_EQ(patternActions(15, 255).size(), 4u + 2 * (128 + 256 + 511 + 1021));
}

TEST(SensorDescription, StaysBelowCell30AndTheWarningNamesTheCells) {
    EXPECT_EQ(*descriptionCells("AB"), (std::vector<CellValue>{{6, 65}, {7, 66}}));
    const auto longest = descriptionCells(std::string(24, 'x'));
    ASSERT_TRUE(longest);
    EXPECT_EQ(longest->back().cell, 29);
    EXPECT_FALSE(descriptionCells(std::string(25, 'x')));
    EXPECT_EQ((*descriptionCells("\xC3\xA9"))[0].value, 0xE9);  // é in Windows-1252

    const std::string ab = descriptionWarning(*descriptionCells("AB"));
    EXPECT_NE(ab.find("cells 6-7, "), std::string::npos) << ab;
    EXPECT_NE(ab.find("cells 6-7: distance calibration"), std::string::npos) << ab;
    EXPECT_EQ(ab.find("20 mA"), std::string::npos) << ab;
    const std::string all = descriptionWarning(*longest);
    for (const char* named : {"cells 8-9: 20 mA D/A calibration", "cell 10: temperature",
                              "cell 20: user temperature calibration", "cells 21-29"}) {
        EXPECT_NE(all.find(named), std::string::npos) << named;
    }
}

TEST(RamDumpText, AddressAndByteRightAlignedInThreeHexDigits) {
    const std::vector<std::uint8_t> bytes = {0x13, 0xFF, 0x00};
    EXPECT_EQ(ramDumpText(bytes), "  0  13\r\n  1  FF\r\n  2   0\r\n");
    const std::string full = ramDumpText(std::vector<std::uint8_t>(512, 0xAB));
    EXPECT_EQ(full.size(), 512u * 9);
    EXPECT_EQ(full.substr(full.size() - 9), "1FF  AB\r\n");
}

TEST(LowEepromValues, ChecksAndTheCellsOfEachValue) {
    std::array<std::string, kLowEepromRowCount> texts{};
    texts[0] = "1193046";
    texts[2] = " ";
    const LowEepromInput ok = checkLowEepromInput(texts);
    EXPECT_TRUE(ok.refusal.empty());
    EXPECT_EQ(ok.values[0], 1193046);
    EXPECT_FALSE(ok.values[2]);
    EXPECT_EQ(lowEepromCells(kLowEepromRows[0], 1193046),
              (std::vector<CellValue>{{4, 86}, {3, 52}, {2, 18}}));
    EXPECT_EQ(lowEepromCells(kLowEepromRows[2], 7185), (std::vector<CellValue>{{7, 17}, {6, 28}}));
    EXPECT_EQ(lowEepromCells(kLowEepromRows[8], 200), (std::vector<CellValue>{{20, 200}}));

    for (auto [row, text] :
         {std::pair{0, "16777216"}, {2, "65536"}, {4, "256"}, {1, "-1"}, {3, "x"}}) {
        std::array<std::string, kLowEepromRowCount> t{};
        t[0] = "5";  // a good value before the bad one is not written either
        t[static_cast<std::size_t>(row)] = text;
        const LowEepromInput in = checkLowEepromInput(t);
        EXPECT_NE(in.refusal.find(kLowEepromRows[static_cast<std::size_t>(row)].parameter),
                  std::string::npos)
            << in.refusal;
        EXPECT_FALSE(in.values[0]);
    }
}

class FactorySequenceTest : public test::LinkFixture {
protected:
    sim::SimSensor* s = nullptr;
    void SetUp() override {
        LinkFixture::SetUp();
        s = &addSensor(1);
    }
    std::vector<Sent> sent() const { return test::sentFrames(bus); }
};

TEST_F(FactorySequenceTest, LowEepromSerialNumberWithItsFourUnlockPairsAndNothingElse) {
    LowEepromValues v{};
    v[0] = 1193046;
    const LowEepromWrite w = writeLowEeprom(link, v);
    EXPECT_TRUE(w.failures.empty());
    const std::vector<Sent> pair = {{126, kLow, 0}, {126, kMid, 0}};
    std::vector<Sent> want = pair;
    for (auto [cell, value] : {std::pair{4, 86}, {3, 52}, {2, 18}}) {
        want.insert(want.end(), pair.begin(), pair.end());
        want.push_back({103, cell, value});
        want.push_back({104, cell, value});
    }
    EXPECT_EQ(sent(), want);
    EXPECT_EQ(s->cell(2), 18);
    EXPECT_EQ(s->cell(3), 52);
    EXPECT_EQ(s->cell(4), 86);

    bus.clearReceived();
    EXPECT_TRUE(writeLowEeprom(link, LowEepromValues{}).failures.empty());
    EXPECT_TRUE(sent().empty());
}

TEST_F(FactorySequenceTest, ALowEepromValueWhoseCellRefusesStopsThereAndTheOthersGoOn) {
    setFaults(0, "refuse=7");
    LowEepromValues v{};
    v[2] = 7185;  // cell 7 refuses: cell 6 must keep the old high byte
    v[4] = 130;
    const LowEepromWrite w = writeLowEeprom(link, v);
    EXPECT_EQ(w.failures, (std::vector<std::pair<std::size_t, int>>{{2, 7}}));
    EXPECT_EQ(bus.countReceived(103, 1), 11);  // ten tries at 7, one at 10
    EXPECT_EQ(s->cell(6), 0);
    EXPECT_EQ(s->cell(10), 130);
}

TEST_F(FactorySequenceTest, ReadAllTakesTenReadsInOrder) {
    s->setCell(20, 7);
    const LowEepromValues v = readLowEeprom(link);
    EXPECT_EQ(sent(), (std::vector<Sent>{{104, 2, 0},
                                         {104, 4, 0},
                                         {104, 5, 0},
                                         {104, 6, 0},
                                         {104, 8, 0},
                                         {104, 10, 0},
                                         {104, 11, 0},
                                         {104, 12, 0},
                                         {104, 13, 0},
                                         {104, 20, 0}}));
    EXPECT_EQ(v[0], 100001);  // the simulator's serial for tag 1
    EXPECT_EQ(v[2], 150);
    EXPECT_EQ(v[3], 4000);
    EXPECT_EQ(v[8], 7);
}

TEST_F(FactorySequenceTest, PatternsGoOutAsRawBytesAtTheirPaceAndStopWhenTold) {
    ASSERT_TRUE(runPattern(link, patternActions(3, 16), [&](int ms) {
        link.waitMs(static_cast<float>(ms));
        return true;
    }));
    const auto& raw = bus.receivedBytes();
    ASSERT_EQ(raw.size(), 18u * 16);
    EXPECT_TRUE(bus.received().empty());  // no frame among them
    EXPECT_EQ(raw[5].value, 1);
    EXPECT_EQ(raw[16 + 5].value, 2);
    EXPECT_NEAR(static_cast<double>(raw[16].timeUs - raw[0].timeUs), 1e6, 1e4);

    bus.clearReceived();
    int waits = 0;
    EXPECT_FALSE(runPattern(link, patternActions(3, 16), [&](int) { return ++waits < 3; }));
    EXPECT_EQ(bus.receivedBytes().size(), 3u * 16);
}

TEST_F(FactorySequenceTest, RamDumpSavesTheSensorsImageAndKeepsTheOldFileWhenShort) {
    struct NoPoll : StatusPoll {
        bool pollRunning() const override { return running; }
        void stopPoll() override {
            running = false;
            ++stops;
        }
        void resumePoll() override { running = true; }
        bool running = true;
        int stops = 0;
    } poll;
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/PICRAM.txt").toStdString();

    RamDumpResult r = dumpRamToFile(link, poll, path);
    EXPECT_EQ(r.outcome, RamDumpResult::Outcome::Saved);
    EXPECT_EQ(poll.stops, 1);
    EXPECT_TRUE(poll.running);
    EXPECT_EQ(sent(), (std::vector<Sent>{{120, 0, 0}}));
    const auto image = sim::ramImage(s->eeprom(), 1, 0);
    const auto lines = readTextLines(path);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 512u);
    EXPECT_EQ(joinCrLf(*lines), ramDumpText(image));
    EXPECT_EQ((*lines)[0x10], " 10   1");  // the register that holds the tag

    setFaults(0, "short=1");
    const std::int64_t t0 = clock.nowUs();
    r = dumpRamToFile(link, poll, path);
    EXPECT_EQ(r.outcome, RamDumpResult::Outcome::Short);
    EXPECT_LT(r.received, 512u);
    EXPECT_LE(clock.nowUs() - t0, kRamDumpWaitUs + 1000);
    EXPECT_EQ(joinCrLf(*readTextLines(path)), ramDumpText(image));
    EXPECT_EQ(ramDumpShortMessage(r.received, "PICRAM.txt"),
              "The sensor sent " + std::to_string(r.received) +
                  " of the 512 bytes of its RAM dump. PICRAM.txt was not changed.");
}

// The main window as the repeated test sees it: three sensors, the middle one's cell 90 never
// taking a write.
class FakeBench : public FactoryHost {
public:
    std::vector<std::string> tags{"1", "2", "3"};
    int shown = -1;
    std::vector<std::string> calls;
    int sensorCount() override { return static_cast<int>(tags.size()); }
    std::string selectSensor(int i) override {
        shown = i;
        return tags[static_cast<std::size_t>(i)];
    }
    bool updateStatus() override {
        calls.push_back("status " + tags[static_cast<std::size_t>(shown)]);
        return true;
    }
    std::string programSensor() override {
        calls.push_back("program " + tags[static_cast<std::size_t>(shown)]);
        ProgramResult r;
        if (shown == 1) r.failedCells = {90};
        return programFailureText(r);
    }
    bool editing() override { return false; }
    void showSensorAgain() override {}
    void displayOptionsChanged() override {}
    void dumpRam() override {}
};

TEST(RepeatedTestSteps, StatusPassThenProgrammingPassInListOrder) {
    FakeBench bench;
    RepeatedTest t(bench);
    std::vector<std::string> log;
    for (int i = 0; i < 7; ++i) {
        for (const auto& line : t.step()) log.push_back(line);
    }
    EXPECT_EQ(
        log,
        (std::vector<std::string>{
            "Sensor 1 Status Updated.", "Sensor 2 Status Updated.", "Sensor 3 Status Updated.",
            "Sensor 1 - All User EEEPROM written", "Sensor 1 booted",
            "Sensor 2 - programming failed: cell 90 did not take the value written",
            "Sensor 3 - All User EEEPROM written", "Sensor 3 booted", "Sensor 1 Status Updated."}));

    FakeBench none;
    none.tags.clear();
    RepeatedTest idle(none);
    EXPECT_EQ(idle.step(), std::vector<std::string>{"No sensor in the list: nothing to test."});
    EXPECT_TRUE(idle.step().empty());

    ProgramResult two;
    two.failedCells = {90, 91};
    EXPECT_EQ(programFailureText(two),
              "programming failed: cells 90, 91 did not take the value written");
}

}  // namespace
}  // namespace k7
