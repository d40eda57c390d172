#include <gtest/gtest.h>

#include <algorithm>

#include "settings/Lists.h"
#include "setupfile/SetupCompare.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

class SetupCompareTest : public test::LinkFixture {
protected:
    ProgramState m{line, clock, ui};
    SetupValues sensor;
    void SetUp() override {
        LinkFixture::SetUp();
        sensor.stored = {768, 4608, 2304, 3840, 9600};
        sensor.OutputSpan = 1;
        sensor.NoTargetCurrent = 1;
        sensor.cbMidMinLL = sensor.cbMidMaxLL = 0;
        sensor.TriggerMode = 0;
        sensor.AverageType = 0;
        sensor.AverageSamples = 3;
        sensor.CloseMinLL = sensor.FarMinLL = sensor.NoEchoMinLL = "OFF";
        sensor.CloseMaxLL = sensor.FarMaxLL = sensor.NoEchoMaxLL = sensor.TargLL = "ON";
        sensor.Hysteresis1 = "5";
        sensor.SampleRate1 = "10";
        sensor.TriggerDelay = "0";
        sensor.NoEchoTimeout = "10";
        sensor.UserDescription = "Tank 4";
    }
    const CompareRow& row(const std::vector<CompareRow>& rows, const std::string& name) {
        for (const CompareRow& r : rows)
            if (r.setting == name) return r;
        static const CompareRow none{"(missing)", "", "", false, ""};
        ADD_FAILURE() << name;
        return none;
    }
};

TEST_F(SetupCompareTest, DiffersOnlyWhereTheProgrammedValuesWould) {
    m.distanceUnit = kCm;
    SetupValues file = sensor;
    file.stored[2] = 2303;       // 45.7 cm, as 2304 is
    file.Hysteresis1 = "5.4";    // programs 5
    file.SampleRate1 = "10.00";  // programs 100 tenths
    file.UserDescription = "  Tank 4";
    file.NoEchoTimeout = "12";
    const auto rows = compareSetups(file, sensor, m);
    EXPECT_EQ(differenceCount(rows), 2);
    const CompareRow& close = row(rows, "Close Setpoint Distance");
    EXPECT_TRUE(close.differs);
    EXPECT_EQ(close.file, "45.7 cm (stored 2303)");
    EXPECT_EQ(close.sensor, "45.7 cm (stored 2304)");
    EXPECT_FALSE(row(rows, "Hysteresis").differs);
    EXPECT_EQ(row(rows, "No Echo Time Out").file, "12 Samples");
    EXPECT_EQ(row(rows, "Far Setpoint Distance").file, "76.2 cm");
    EXPECT_EQ(row(rows, "User Description").sensor, "\"Tank 4\"");

    const std::string report = compareReport(rows);
    EXPECT_NE(report.find("* Close Setpoint Distance "), std::string::npos) << report;
    EXPECT_NE(report.find("\n  Hysteresis "), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 19), "2 settings differ.\n");
}

TEST_F(SetupCompareTest, RowsFollowTheModelsMainScreen) {
    // The G503 and G615 screens show the maximum range alone in its group, and no trigger
    // mode, echo output without echo or temperature; the G615 no trigger delay either.
    for (int type : {3, 4}) {
        m.sensorType = type;
        const auto rows = compareSetups(sensor, sensor, m);
        EXPECT_EQ(differenceCount(rows), 0);
        for (const char* absent :
             {"4 mA Distance", "20 mA Distance", "OUTPUT Span", "No Echo OUTPUT Current",
              "Trigger Mode", "Temperature Compensation", "Preset Temperature",
              "Echo Status OUTPUT with No Echo"}) {
            for (const CompareRow& r : rows) EXPECT_NE(r.setting, absent) << type;
        }
        EXPECT_EQ(rows.front().setting, "Maximum Range");
        EXPECT_EQ(rows.front().group, kMaxRangeGroup);
        EXPECT_EQ(rows[1].group, kSetpointGroup);
        EXPECT_EQ(row(rows, "Maximum Range").sensor, "75.00 in.");
        const bool delay = std::any_of(rows.begin(), rows.end(), [](const CompareRow& r) {
            return r.setting == "Trigger Delay";
        });
        EXPECT_EQ(delay, type == 3);
        EXPECT_EQ(compareReport(rows).substr(compareReport(rows).find("The file")),
                  "The file and the sensor hold the same settings.\n");
    }
    m.sensorType = 0;
    const auto rows = compareSetups(sensor, sensor, m);
    EXPECT_EQ(rows.front().group, kCurrentLoopGroup);
    EXPECT_EQ(row(rows, "20 mA Distance").sensor, "36.00 in.");
    for (const CompareRow& r : rows) EXPECT_NE(r.setting, "Maximum Range");
}

}  // namespace
}  // namespace k7
