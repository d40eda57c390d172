#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/Commands.h"
#include "settings/ProgramState.h"
#include "settings/SettingsRead.h"
#include "sim/SimBus.h"
#include "sim/SimulatedLine.h"
#include "support/FakeLinkUi.h"

namespace k7 {
namespace {

using Cells = std::vector<int>;

Cells descriptionCells() {
    Cells c;
    for (int a = 46; a <= 77; ++a) c.push_back(a);
    return c;
}

Cells concat(Cells a, const Cells& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Cells kTail = concat({2, 3, 4}, descriptionCells());
const Cells kStandardOrder = concat(
    {79, 81, 78, 83, 84, 86, 88, 89, 105, 90, 91, 117, 95, 94, 93, 101, 102, 103, 104}, kTail);
const Cells kG503Order =
    concat({79, 81, 78, 83, 84, 86, 114, 88, 89, 105, 90, 91, 117, 95, 94, 93, 101, 102}, kTail);
const Cells kG615Order = concat({79, 81, 84, 86, 114, 88, 89, 105, 90, 91, 117, 95, 94, 93}, kTail);

struct Bench {
    explicit Bench(int type, std::uint32_t serial = 4242) {
        ui.tag = "7";
        line.open("SIM", kLineSettings);
        sim::SensorConfig c;
        c.tag = 7;
        c.type = type;
        c.serial = serial;
        sensor = &bus.addSensor(c);
    }
    void word(int address, int value) {
        sensor->setCell(address, static_cast<std::uint8_t>(value >> 8));
        sensor->setCell(address + 1, static_cast<std::uint8_t>(value & 0xFF));
    }
    void description(const std::string& text) {
        for (int i = 0; i < 32; ++i) {
            const char ch =
                i < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
            sensor->setCell(46 + i, static_cast<std::uint8_t>(ch));
        }
    }
    std::string read() { return readSensorSettings(m, screen); }
    // (command, data byte 1) of every frame the sensor received, with its tag checked.
    std::vector<std::pair<int, int>> sent() const {
        std::vector<std::pair<int, int>> out;
        for (const sim::ReceivedFrame& f : bus.received()) {
            EXPECT_EQ(f.bytes[1], 7);
            out.emplace_back(f.bytes[2], f.bytes[3]);
        }
        return out;
    }
    static std::vector<std::pair<int, int>> expected(const Cells& cells) {
        std::vector<std::pair<int, int>> out = {{cmd::SensorType, 0}};
        for (int a : cells) out.emplace_back(cmd::ReadEeprom, a);
        return out;
    }

    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    test::FakeLinkUi ui;
    ProgramState m{line, clock, ui};
    ScreenValues screen;
    sim::SimSensor* sensor = nullptr;
};

TEST(SettingsRead, StandardSensorIsReadCellByCellWithFullProgress) {
    Bench b(0);
    b.read();
    EXPECT_EQ(b.sent(), Bench::expected(kStandardOrder));
    EXPECT_EQ(kStandardOrder.size(), 54u);

    EXPECT_EQ(b.ui.progressCaptions, std::vector<std::string>{"Reading K-7700 Data"});
    EXPECT_EQ(b.m.link.progressTotal, 54);
    EXPECT_EQ(b.m.link.progressDone, 54);
    ASSERT_EQ(b.ui.progressValues.size(), 54u);
    EXPECT_EQ(b.ui.progressValues.front(), 1);
    EXPECT_EQ(b.ui.progressValues.back(), 100);
    EXPECT_EQ(b.ui.progressCloses, 1);
    EXPECT_FALSE(b.ui.progressShown);
    EXPECT_TRUE(b.ui.noCommOfferedRetry.empty());
}

TEST(SettingsRead, MaxRangeModelsReadTheirOwnCells) {
    Bench g503(3);
    g503.read();
    EXPECT_EQ(g503.sent(), Bench::expected(kG503Order));
    EXPECT_EQ(g503.ui.progressValues.size(), 53u);
    EXPECT_EQ(g503.ui.progressValues.back(), 98);  // stops short of 100 %
    EXPECT_EQ(g503.ui.progressCloses, 1);

    Bench g615(4);
    g615.read();
    EXPECT_EQ(g615.sent(), Bench::expected(kG615Order));
    EXPECT_EQ(g615.m.link.progressDone, 49);
}

TEST(SettingsRead, TypeDecidesCaptionClassFlagsFormatsAndLimits) {
    Bench b(3);
    b.m.link.slowSensor = true;
    b.m.k7702Sensor = true;
    b.word(114, 60 * 128);
    b.read();
    EXPECT_EQ(b.m.sensorType, 3);
    EXPECT_EQ(b.screen.FactoryDescription, "Sensor: G503/317");
    EXPECT_EQ(b.m.link.sensorClass, 92);
    EXPECT_TRUE(b.m.g503Sensor);
    EXPECT_FALSE(b.m.link.slowSensor);
    EXPECT_FALSE(b.m.k7702Sensor);
    EXPECT_EQ(b.m.formats.format[kIn], "##0.0");
    EXPECT_EQ(b.screen.DistText[4], "60.0");
    EXPECT_EQ(b.m.limits.minDistance, 5);
    EXPECT_DOUBLE_EQ(b.m.limits.maxHysteresisPercent, 91.1);

    Bench k7702(7);
    k7702.m.formats.format[kIn] = "##0.0";  // left over from a 95 kHz sensor
    k7702.read();
    EXPECT_TRUE(k7702.m.k7702Sensor);
    EXPECT_FALSE(k7702.m.g503Sensor);
    EXPECT_EQ(k7702.m.link.sensorClass, 220);
    EXPECT_EQ(k7702.m.formats.format[kIn], "##0.00");
    EXPECT_EQ(k7702.m.limits.maxDistance, 20);
}

TEST(SettingsRead, UnknownTypeKeepsThePreviousClassAndReadsTheStandardCells) {
    Bench b(9);
    b.m.link.sensorClass = 60;
    b.m.g503Sensor = true;
    b.read();
    EXPECT_EQ(b.m.sensorType, 9);
    EXPECT_EQ(b.screen.FactoryDescription, "unknown sensor");
    EXPECT_EQ(b.m.link.sensorClass, 60);
    EXPECT_FALSE(b.m.g503Sensor);
    EXPECT_EQ(b.sent(), Bench::expected(kStandardOrder));
    EXPECT_EQ(b.m.limits.minDistance, 12);  // limits of the kept class
}

TEST(SettingsRead, DistancesAndTemperaturesAreDecoded) {
    Bench b(0);
    b.sensor->setCell(79, 0x0C);
    b.sensor->setCell(80, 0x80);
    b.word(81, 65535);
    b.sensor->setCell(104, 140);
    b.m.distanceUnit = kCm;
    b.m.dist[0].changed = true;
    b.read();
    const DistanceFieldState& d04 = b.m.distField(DistField::Dist04);
    EXPECT_EQ(d04.stored, 3200);
    EXPECT_DOUBLE_EQ(d04.inches, 25);
    EXPECT_EQ(d04.unitText, (std::array<std::string, 4>{"63.5", "25.00", "2.083", "0.635"}));
    EXPECT_FALSE(d04.changed);  // the field holds the sensor's value now
    EXPECT_EQ(b.screen.DistText[0], "63.5");
    EXPECT_EQ(b.m.distField(DistField::Dist20).stored, 65535);  // unsigned
    EXPECT_EQ(b.screen.DistText[1], "1300.5");

    EXPECT_DOUBLE_EQ(b.m.presetTemperatureC, 20.0);
    EXPECT_DOUBLE_EQ(b.m.presetTemperatureF, 68.0);
    EXPECT_EQ(b.screen.ManualTemperature, "20.0");

    b.sensor->setCell(104, 0);
    b.m.temperatureUnit = kFahrenheit;
    b.read();
    EXPECT_DOUBLE_EQ(b.m.presetTemperatureC, -50.0);
    EXPECT_EQ(b.screen.ManualTemperature, "-58.0");
}

TEST(SettingsRead, LevelsListsAndNumbersAreDecoded) {
    Bench b(0, 0xABCDEF);
    b.sensor->setCell(88, 0x0B);  // close, far and no-echo ON, mid OFF
    b.sensor->setCell(89, 0x04);  // mid only
    b.sensor->setCell(105, 0);
    b.sensor->setCell(78, 0xFE);
    b.sensor->setCell(83, 0xFC);
    b.sensor->setCell(90, 200);
    b.sensor->setCell(91, 1);
    b.word(117, 25);
    b.sensor->setCell(95, 255);
    b.sensor->setCell(94, 0xFF);
    b.sensor->setCell(93, 0xFA);
    b.sensor->setCell(101, 0x0C);
    b.sensor->setCell(102, 37);
    b.sensor->setCell(103, 3);
    b.read();
    const ScreenValues& s = b.screen;
    EXPECT_EQ(s.CloseMinLL, "ON");
    EXPECT_EQ(s.FarMinLL, "ON");
    EXPECT_EQ(s.NoEchoMinLL, "ON");
    EXPECT_EQ(s.cbMidMinLL, 0);
    EXPECT_EQ(s.CloseMaxLL, "OFF");
    EXPECT_EQ(s.FarMaxLL, "OFF");
    EXPECT_EQ(s.NoEchoMaxLL, "OFF");
    EXPECT_EQ(s.cbMidMaxLL, 1);
    EXPECT_EQ(s.OutputSpan, 0);
    EXPECT_EQ(s.NoTargetCurrent, 4);
    EXPECT_EQ(s.Hysteresis1, "200");
    EXPECT_EQ(s.TargLL, "OFF");
    EXPECT_EQ(s.SampleRate1, "2.5");
    EXPECT_EQ(s.NoEchoTimeout, "255");
    EXPECT_EQ(s.AverageType, 1);
    EXPECT_EQ(s.AverageSamples, 10);
    EXPECT_EQ(s.TriggerMode, 4);
    EXPECT_EQ(s.TriggerDelay, "37");
    EXPECT_EQ(b.m.temperatureCompensation, 1);
    EXPECT_EQ(s.SerialNumber, " 11259375");

    const StoredListPositions& st = b.m.stored;
    EXPECT_EQ(st.OutputSpan, 0);
    EXPECT_EQ(st.NoTargetCurrent, 4);
    EXPECT_EQ(st.AverageType, 1);
    EXPECT_EQ(st.AverageSamples, 10);
    EXPECT_EQ(st.TriggerMode, 4);
    EXPECT_EQ(st.cbMidMinLL, 0);
    EXPECT_EQ(st.cbMidMaxLL, 1);

    b.sensor->setCell(91, 0);
    b.word(117, 1000);
    b.sensor->setCell(103, 0);
    b.read();
    EXPECT_EQ(b.screen.TargLL, "ON");
    EXPECT_EQ(b.screen.SampleRate1, "100");
    EXPECT_EQ(b.m.temperatureCompensation, 0);
}

TEST(SettingsRead, MidZoneHoldOverridesTheLevelBits) {
    Bench b(0);
    b.sensor->setCell(88, 0x04);
    b.sensor->setCell(89, 0x04);
    b.sensor->setCell(105, 3);
    b.read();
    EXPECT_EQ(b.screen.cbMidMinLL, 2);
    EXPECT_EQ(b.screen.cbMidMaxLL, 2);
    EXPECT_EQ(b.m.stored.cbMidMinLL, 2);
    EXPECT_EQ(b.m.stored.cbMidMaxLL, 2);

    b.sensor->setCell(105, 2);  // second output only
    b.read();
    EXPECT_EQ(b.screen.cbMidMinLL, 1);
    EXPECT_EQ(b.screen.cbMidMaxLL, 2);
}

TEST(SettingsRead, CodesBeyondTheirListSelectNothing) {
    Bench b(0);
    b.sensor->setCell(83, 6);   // only five no-target currents
    b.sensor->setCell(101, 7);  // only five trigger modes
    b.sensor->setCell(94, 0);   // rolling: six sample counts
    b.sensor->setCell(93, 8);
    EXPECT_EQ(b.read(),
              "Codes not in their lists were read from the sensor (No Echo OUTPUT Current 6, "
              "Average 8, Trigger Mode 7): choose an entry before programming.");
    EXPECT_EQ(b.screen.NoTargetCurrent, -1);
    EXPECT_EQ(b.screen.TriggerMode, -1);
    EXPECT_EQ(b.screen.AverageSamples, -1);
    EXPECT_EQ(b.m.stored.NoTargetCurrent, -1);
    EXPECT_EQ(b.m.stored.AverageSamples, -1);

    b.sensor->setCell(94, 1);  // boxcar offers up to 1024 ...
    b.sensor->setCell(83, 4);
    b.sensor->setCell(101, 4);
    EXPECT_EQ(b.read(), "");
    EXPECT_EQ(b.screen.AverageSamples, 8);
    b.sensor->setCell(93, 11);  // ... but no more
    b.read();
    EXPECT_EQ(b.screen.AverageSamples, -1);
}

TEST(SettingsRead, DescriptionIsTrimmedAndMadeSafe) {
    Bench b(0);
    b.description("");
    b.read();
    EXPECT_EQ(b.screen.UserDescription, "");

    b.description("ABC");
    b.read();
    EXPECT_EQ(b.screen.UserDescription, "ABC");

    b.description("  Tank 3 ");
    b.read();
    EXPECT_EQ(b.screen.UserDescription, "Tank 3");

    // Control codes become blanks; the code page's letters arrive as UTF-8.
    b.description(std::string(1, '\x01') + "Caf" + '\xE9' + '\t' + 'N' + '\0' + 'r' + '\x1B' +
                  '\x7F');
    b.read();
    EXPECT_EQ(b.screen.UserDescription, "Caf\xC3\xA9 N r");
}

TEST(SettingsRead, G615LeavesItsUnreadFieldsAsTheyWere) {
    Bench b(4);
    b.screen.OutputSpan = 0;
    b.screen.NoTargetCurrent = 3;
    b.screen.TriggerMode = 2;
    b.screen.TriggerDelay = "77";
    b.screen.ManualTemperature = "33.0";
    b.m.stored.OutputSpan = 0;
    b.m.stored.NoTargetCurrent = 3;
    b.m.stored.TriggerMode = 2;
    b.m.temperatureCompensation = 1;
    b.m.presetTemperatureC = 33;
    b.m.presetTemperatureF = 91.4;
    b.word(114, 100 * 128);
    b.read();

    EXPECT_EQ(b.screen.OutputSpan, 0);
    EXPECT_EQ(b.screen.NoTargetCurrent, 3);
    EXPECT_EQ(b.screen.TriggerMode, 2);
    EXPECT_EQ(b.screen.TriggerDelay, "77");
    EXPECT_EQ(b.screen.ManualTemperature, "33.0");
    EXPECT_EQ(b.m.stored.OutputSpan, 0);
    EXPECT_EQ(b.m.stored.NoTargetCurrent, 3);
    EXPECT_EQ(b.m.stored.TriggerMode, 2);
    EXPECT_EQ(b.m.temperatureCompensation, 1);
    EXPECT_EQ(b.m.presetTemperatureC, 33);
    EXPECT_EQ(b.m.presetTemperatureF, 91.4);

    EXPECT_TRUE(b.m.link.slowSensor);
    EXPECT_EQ(b.screen.FactoryDescription, "Sensor: G615");
    EXPECT_EQ(b.screen.DistText[4], "100.0");
    EXPECT_EQ(b.m.limits.minDistance, 10);
    EXPECT_DOUBLE_EQ(b.m.limits.maxHysteresisPercent, 89.1);
}

TEST(SettingsRead, ExitInTheNoCommWindowStopsTheReadAtOnce) {
    Bench b(0);
    sim::FaultConfig faults;
    faults.silentAfterFrames = 10;  // the type and nine cells, then nothing
    b.bus.setFaults(0, faults, 1);
    b.screen.UserDescription = "before";
    b.screen.SerialNumber = " 1";
    b.m.limits.maxDistance = 999;
    b.read();

    EXPECT_TRUE(b.m.link.programEnding);
    EXPECT_EQ(b.ui.noCommOfferedRetry, std::vector<bool>{false});  // no Retry outside a poll
    EXPECT_EQ(b.ui.exitCalls, 1);
    // Ten answered frames, then the tenth cell sent ten times, then nothing more.
    const auto sent = b.sent();
    ASSERT_EQ(sent.size(), 20u);
    for (std::size_t i = 10; i < sent.size(); ++i) EXPECT_EQ(sent[i].second, 90);
    EXPECT_EQ(b.screen.cbMidMinLL, 0);  // read before the failure
    EXPECT_EQ(b.screen.Hysteresis1, "");
    EXPECT_EQ(b.screen.SerialNumber, " 1");
    EXPECT_EQ(b.screen.UserDescription, "before");
    EXPECT_EQ(b.m.limits.maxDistance, 999);
}

}  // namespace
}  // namespace k7
