#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link/Clock.h"
#include "settings/Lists.h"
#include "settings/Validation.h"
#include "sim/SimulatedLine.h"

namespace k7 {
namespace {

struct QuietUi : LinkUi {
    std::string addressedTagText() override { return "1"; }
};

class ValidationTest : public ::testing::Test {
protected:
    ValidationTest() {
        setSensor(0);
        s.SingleSensorID = "1";
        type(DistField::Dist04, "4");
        type(DistField::Dist20, "40");
        type(DistField::CloseSetPoint, "10");
        type(DistField::FarSetPoint, "30");
        type(DistField::UserMaxRange, "60");
        s.OutputSpan = 1;
        s.NoTargetCurrent = 1;
        s.AverageType = 0;
        s.AverageSamples = 2;
        s.TriggerMode = 0;
        s.cbMidMinLL = 0;
        s.cbMidMaxLL = 1;
        s.Hysteresis1 = "5";
        s.SampleRate1 = "10";
        s.NoEchoTimeout = "5";
        s.TriggerDelay = "0";
        s.ManualTemperature = "20";
    }

    void setSensor(int type, double userMaxRange = 60) {
        const SensorTypeInfo info = sensorTypeInfo(type);
        m.sensorType = type;
        m.formats.resetForSensor(info.family95kHz);
        m.limits = limitsFor(type, info.sensorClass, userMaxRange);
    }
    void type(DistField f, const std::string& text) {
        s.DistText[static_cast<std::size_t>(f)] = text;
        m.distField(f).changed = true;
    }
    // The message of the first failing step, "" when every step passes.
    std::string check() {
        auto f = checkValues(m, s);
        EXPECT_EQ(m.valuesValid, !f.has_value());
        return f ? f->message : "";
    }
    int failingStep() {
        auto f = checkValues(m, s);
        return f ? f->step : 0;
    }

    sim::SimBus bus;
    VirtualClock clock;
    sim::SimulatedLine line{bus, clock};
    QuietUi ui;
    ProgramState m{line, clock, ui};
    ScreenValues s;
};

TEST_F(ValidationTest, ValidScreenPassesAndSkipValidationAcceptsAnything) {
    EXPECT_EQ(check(), "");
    EXPECT_EQ(s.DistText[2], "10.00");  // committed fields show the unit's format

    s.SingleSensorID = "0";
    s.SampleRate1 = "x";
    type(DistField::FarSetPoint, "far");
    m.skipValidation = true;
    EXPECT_EQ(check(), "");
    for (const char* f : {"SingleSensorID", "FarSetPoint", "SampleRate1"}) {
        EXPECT_FALSE(checkField(m, s, f)) << f;
    }
    EXPECT_TRUE(m.distField(DistField::FarSetPoint).changed);  // not even committed
}

TEST_F(ValidationTest, IdTagRangeOnly) {
    for (const char* ok : {"1", "32", "1.5"}) {
        s.SingleSensorID = ok;
        EXPECT_EQ(check(), "") << ok;
    }
    for (const char* bad : {"0", "33", "", "x"}) {
        s.SingleSensorID = bad;
        auto f = checkValues(m, s);
        ASSERT_TRUE(f) << bad;
        EXPECT_EQ(f->message, "The ID tag must be a number between 1 and 32 inclusive");
        EXPECT_EQ(f->redFields, std::vector<std::string>{"SingleSensorID"});
    }
}

TEST_F(ValidationTest, DistanceLimitsCarryTheToleranceAndNoFullStop) {
    type(DistField::Dist20, "40.004");
    type(DistField::Dist04, "3.996");
    EXPECT_EQ(check(), "");
    type(DistField::Dist20, "40.0041");
    EXPECT_EQ(check(),
              "The 20 milliamp Distance is invalid. It must be a number between 4.00 in. and "
              "40.00 in.");
    type(DistField::Dist20, "40");
    type(DistField::Dist04, "3.9959");
    EXPECT_EQ(check(),
              "The 4 milliamp Distance is invalid. It must be a number between 4.00 in. and "
              "40.00 in.");
    s.OutputSpan = 0;
    EXPECT_EQ(check().substr(0, 28), "The 0 milliamp Distance is i");
}

TEST_F(ValidationTest, LimitsAndGapsAreShownInTheDisplayUnit) {
    struct Case {
        int unit;
        const char* ten;  // 10 and 20 inches typed in the unit
        const char* twenty;
        const char* limits;
        const char* gap;
    };
    const Case cases[] = {{kCm, "25.4", "50.8", "10.2 cm and 101.6 cm", ".2 cm"},
                          {kIn, "10", "20", "4.00 in. and 40.00 in.", ".06 in."},
                          {kFt, "0.8333333", "1.6666667", "0.333 ft. and 3.333 ft.", ".005 ft."},
                          {kM, "0.254", "0.508", "0.102 m and 1.016 m", ".002 m"}};
    for (const Case& c : cases) {
        m.distanceUnit = c.unit;
        type(DistField::Dist04, c.ten);
        type(DistField::Dist20, c.ten);
        type(DistField::CloseSetPoint, c.ten);
        type(DistField::FarSetPoint, "9999");
        EXPECT_EQ(check(), std::string("The minimum separation between the 4 milliamp Distance "
                                       "and the 20 milliamp Distance is ") +
                               c.gap);
        type(DistField::Dist20, c.twenty);
        EXPECT_EQ(check(), std::string("The Far Setpoint Distance is invalid. It must be a "
                                       "number between ") +
                               c.limits);
        type(DistField::FarSetPoint, c.ten);
        EXPECT_EQ(check(), std::string("The Close Setpoint Distance must be no greater than "
                                       "the Far Setpoint Distance with Hysteresis applied "
                                       "minus ") +
                               c.gap);
    }
    setSensor(1);  // the 95 kHz family shows fewer decimals
    m.distanceUnit = kFt;
    type(DistField::CloseSetPoint, "0");
    EXPECT_EQ(checkField(m, s, "CloseSetPoint")->message,
              "The Close Setpoint Distance is invalid. It must be a number between 1.00 ft. and "
              "20.00 ft.");
}

TEST_F(ValidationTest, UnparsedDistanceFailsItsOwnFieldOnly) {
    const double before = m.distField(DistField::Dist20).inches;
    type(DistField::Dist20, "12x");
    auto f = commitDistanceField(m, s, DistField::Dist20);
    ASSERT_TRUE(f);
    // The commit's own message closes with a full stop, even after "in.".
    EXPECT_EQ(f->message,
              "The 20 milliamp Distance is invalid. It must be a number between 4.00 in. and "
              "40.00 in..");
    EXPECT_EQ(f->redFields, std::vector<std::string>{"Dist20"});
    EXPECT_TRUE(m.distParseError);
    EXPECT_EQ(m.distField(DistField::Dist20).inches, before);
    EXPECT_EQ(s.DistText[1], "12x");
    EXPECT_EQ(failingStep(), 3);

    // A parse error left over from elsewhere does not fail fields that parse.
    type(DistField::Dist20, "20");
    EXPECT_EQ(check(), "");
    m.distParseError = true;
    EXPECT_EQ(check(), "");
}

TEST_F(ValidationTest, MaxRangeModelsSwapTheCurrentLoopRulesForMaximumRange) {
    setSensor(3, 60);
    type(DistField::Dist04, "bad");
    type(DistField::Dist20, "bad");
    s.ManualTemperature = "500";
    EXPECT_EQ(check(), "");
    EXPECT_FALSE(checkField(m, s, "Dist04"));
    EXPECT_FALSE(checkField(m, s, "ManualTemperature"));
    type(DistField::UserMaxRange, "121");
    EXPECT_EQ(check(),
              "The User Max Range is invalid. It must be a number between 5.0 in. and 120.0 in.");
    EXPECT_EQ(checkField(m, s, "UserMaxRange")->step, 7);

    // The hysteresis limit follows the range as typed, not only the one read.
    setSensor(3, 0);
    type(DistField::UserMaxRange, "4");
    EXPECT_EQ(failingStep(), 7);
    s.Hysteresis1 = "5";
    type(DistField::UserMaxRange, "60");
    EXPECT_EQ(check(), "");
    EXPECT_DOUBLE_EQ(m.limits.maxHysteresisPercent, 91.1);

    setSensor(0);
    EXPECT_FALSE(checkField(m, s, "UserMaxRange"));
    EXPECT_EQ(checkField(m, s, "Dist04")->step, 2);
    EXPECT_EQ(checkField(m, s, "ManualTemperature")->step, 14);
}

TEST_F(ValidationTest, ListWithoutAnEntryFailsNamingTheSetting) {
    s.TriggerMode = -1;  // the sensor held a code beyond the list
    auto f = checkValues(m, s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->step, 15);
    EXPECT_EQ(f->message,
              "Choose an entry for Trigger Mode: the sensor holds a code that is not in the list.");
    EXPECT_EQ(f->redFields, std::vector<std::string>{"TriggerMode"});
    setSensor(3);  // hidden there, and left as the sensor holds it
    EXPECT_EQ(check(), "");
    s.AverageSamples = -1;
    EXPECT_EQ(check(),
              "Choose an entry for Average: the sensor holds a code that is not in the list.");
}

TEST_F(ValidationTest, SetpointOrderAndHysteresisGap) {
    type(DistField::CloseSetPoint, "30.01");
    auto f = checkValues(m, s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->message,
              "The Close Setpoint Distance must be less than the Far Setpoint Distance.");
    EXPECT_EQ(f->redFields, (std::vector<std::string>{"CloseSetPoint", "FarSetPoint"}));

    type(DistField::CloseSetPoint, "30");
    f = checkValues(m, s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->step, 10);
    EXPECT_EQ(f->redFields,
              (std::vector<std::string>{"CloseSetPoint", "FarSetPoint", "Hysteresis1"}));
    s.cbMidMinLL = kMidZoneNoChange;
    EXPECT_EQ(failingStep(), 10);
    s.cbMidMaxLL = kMidZoneNoChange;
    EXPECT_EQ(check(), "");

    // 30 less 10 % is 27; the gap of 7/128 inch must still fit below it.
    s.cbMidMaxLL = 1;
    s.Hysteresis1 = "10";
    type(DistField::CloseSetPoint, "26.94");
    EXPECT_EQ(check(), "");
    type(DistField::CloseSetPoint, "26.95");
    EXPECT_EQ(failingStep(), 10);
}

TEST_F(ValidationTest, HysteresisIsRoundedIntoTheFieldBeforeTheTest) {
    s.Hysteresis1 = "12.6";
    EXPECT_EQ(check(), "");
    EXPECT_EQ(s.Hysteresis1, "13");
    s.Hysteresis1 = "";
    EXPECT_EQ(check(), "");
    EXPECT_EQ(s.Hysteresis1, "0");
    s.Hysteresis1 = "89.5";
    EXPECT_EQ(check(), "The Hysteresis percent value must be between 0 and 89, inclusive.");
    EXPECT_EQ(s.Hysteresis1, "90");

    setSensor(3, 60);  // 92 - 0.9
    s.Hysteresis1 = "92";
    EXPECT_EQ(checkField(m, s, "Hysteresis1")->message,
              "The Hysteresis percent value must be between 0 and 91, inclusive.");
}

TEST_F(ValidationTest, SampleRateCountsTenthsRoundedHalfToEven) {
    EXPECT_EQ(sampleRateCount("0.04"), 0);
    EXPECT_EQ(sampleRateCount("0.05"), 0);
    EXPECT_EQ(sampleRateCount("0.1"), 1);
    EXPECT_EQ(sampleRateCount("0.25"), 2);
    EXPECT_EQ(sampleRateCount("25.6"), 256);
    EXPECT_EQ(sampleRateCount("1e30"), 1'000'000'000);
    for (const char* bad : {"0.04", "0.05", "", "100.1"}) {
        s.SampleRate1 = bad;
        EXPECT_EQ(check(), "The Sample Rate must be between 0.1 and 100.0, inclusive.") << bad;
    }
    s.SampleRate1 = "0.1";
    EXPECT_EQ(check(), "");

    setSensor(4, 60);
    s.SampleRate1 = "50.05";  // 500.5 rounds to the even 500
    EXPECT_EQ(check(), "");
    s.SampleRate1 = "50.1";
    EXPECT_EQ(check(), "The Sample Rate must be between 0.1 and 50.0, inclusive.");
}

TEST_F(ValidationTest, WholeNumberFieldsRoundHalfUp) {
    const char* noEcho = "The No Echo Time Out must be between 1 and 255, inclusive.";
    const std::pair<const char*, const char*> cases[] = {
        {"0.5", ""}, {"255.4", ""}, {"255.5", noEcho}, {"0.49", noEcho}, {"", noEcho}};
    for (const auto& [text, message] : cases) {
        s.NoEchoTimeout = text;
        EXPECT_EQ(check(), message) << text;
    }
    s.NoEchoTimeout = "5";
    s.TriggerDelay = "255.49";
    EXPECT_EQ(check(), "");
    s.TriggerDelay = "-0.6";
    EXPECT_EQ(check(), "The Trigger Delay must be between 0 and 255, inclusive.");
    EXPECT_EQ(checkField(m, s, "TriggerDelay")->redFields,
              std::vector<std::string>{"TriggerDelay"});
}

TEST_F(ValidationTest, PresetTemperatureBoundsPerUnit) {
    const char* celsius =
        "The Preset Temperature must be between -25 and 75 degrees Celsius, inclusive.";
    const char* fahrenheit =
        "The Preset Temperature must be between -13 and 167 degrees Fahrenheit, inclusive.";
    const std::tuple<int, const char*, const char*> cases[] = {
        {kCelsius, "-25.05", ""},    {kCelsius, "-25.06", celsius},
        {kCelsius, "75.05", ""},     {kCelsius, "75.06", celsius},
        {kFahrenheit, "-13.05", ""}, {kFahrenheit, "-13.06", fahrenheit},
        {kFahrenheit, "167.05", ""}, {kFahrenheit, "167.06", fahrenheit},
        {kFahrenheit, "100", ""}};
    for (const auto& [unit, text, message] : cases) {
        m.temperatureUnit = unit;
        s.ManualTemperature = text;
        EXPECT_EQ(check(), message) << text;
    }
}

TEST_F(ValidationTest, OnlyTheFirstFailureIsReportedAndLaterStepsDoNotRun) {
    s.SingleSensorID = "40";
    s.Hysteresis1 = "12.6";
    type(DistField::FarSetPoint, "1");
    s.NoEchoTimeout = "0";
    EXPECT_EQ(failingStep(), 1);
    EXPECT_EQ(s.Hysteresis1, "12.6");
    s.SingleSensorID = "4";
    EXPECT_EQ(failingStep(), 6);
    EXPECT_EQ(s.Hysteresis1, "12.6");
    type(DistField::FarSetPoint, "30");
    EXPECT_EQ(failingStep(), 12);
    EXPECT_EQ(s.Hysteresis1, "13");
}

TEST_F(ValidationTest, KeyFilters) {
    for (KeyFilter f : {KeyFilter::Distance, KeyFilter::SampleRate, KeyFilter::Digits}) {
        for (int key : {int{'0'}, int{'9'}, 8}) EXPECT_TRUE(filterKey(f, key, "12", 2, 0).accept);
        for (int key : {'a', '-', ' ', '+'}) {
            const KeyDecision d = filterKey(f, key, "12", 2, 0);
            EXPECT_FALSE(d.accept);
            EXPECT_TRUE(d.beep);
        }
    }
    EXPECT_TRUE(filterKey(KeyFilter::None, 'a', "", 0, 0).accept);
    EXPECT_FALSE(filterKey(KeyFilter::Digits, '.', "12", 2, 0).accept);

    // "." with an existing "." at position 2 of "1.5": allowed only when the selection
    // about to be replaced holds it.
    const std::tuple<int, int, bool> dots[] = {{0, 0, false}, {3, 0, false}, {1, 1, true},
                                               {0, 3, true},  {2, 1, false}, {0, 1, false}};
    for (const auto& [start, length, allowed] : dots) {
        for (KeyFilter f : {KeyFilter::Distance, KeyFilter::SampleRate}) {
            const KeyDecision d = filterKey(f, '.', "1.5", start, length);
            EXPECT_EQ(d.accept, allowed) << start << "," << length;
            EXPECT_EQ(d.beep, !allowed);
        }
    }
    EXPECT_TRUE(filterKey(KeyFilter::Distance, '.', "15", 1, 0).accept);

    const KeyDecision enterDistance = filterKey(KeyFilter::Distance, 13, "12", 2, 0);
    EXPECT_FALSE(enterDistance.accept);
    EXPECT_FALSE(enterDistance.beep);
    EXPECT_TRUE(enterDistance.commit);
    const KeyDecision enterRate = filterKey(KeyFilter::SampleRate, 13, "12", 2, 0);
    EXPECT_FALSE(enterRate.accept || enterRate.commit);
    EXPECT_TRUE(enterRate.beep);
}

}  // namespace
}  // namespace k7
