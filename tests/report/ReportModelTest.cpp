// The report's content for simulated sensors: what each page says, before any painting.
#include <gtest/gtest.h>

#include "link/Commands.h"
#include "report/ReportModel.h"
#include "settings/Lists.h"
#include "settings/Programming.h"
#include "settings/SettingsRead.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

class ReportModel : public test::LinkFixture {
protected:
    ProgramState m{line, clock, ui};

    const ReportRow* row(const ReportPage& p, const std::string& label) {
        for (const auto* sections : {&p.sensor, &p.settings}) {
            for (const ReportSection& s : *sections) {
                for (const ReportRow& r : s.rows) {
                    if (r.label == label) return &r;
                }
            }
        }
        ADD_FAILURE() << "no row " << label;
        static const ReportRow none;
        return &none;
    }
};

TEST_F(ReportModel, SettingsInTheMainScreensGroupsAndUnits) {
    addSensor(3, 0, 27).setTargetInches(40);
    m.distanceUnit = kM;
    const ReportPage p = reportSensor(m, 3, "2026-12-06 10:00:00");
    ASSERT_TRUE(p.answered);
    EXPECT_EQ(p.heading, "ID Tag 3: " + modelName(0));
    std::vector<std::string> groups;
    for (const ReportSection& s : p.settings) groups.push_back(s.title);
    EXPECT_EQ(groups, (std::vector<std::string>{kCurrentLoopGroup, kSetpointGroup, kSamplingGroup,
                                                kEchoGroup}));
    EXPECT_EQ(row(p, "Firmware")->value, "27");
    EXPECT_EQ(row(p, "Serial Number")->value, "100003");
    EXPECT_EQ(row(p, "Far Setpoint Distance")->value, "0.762 m");
    EXPECT_EQ(row(p, "Average Distance")->value, "1.016 m");
    EXPECT_EQ(row(p, "Programmed")->value, "not in this run");
    EXPECT_EQ(row(p, "Exchanges")->value, std::to_string(m.link.stats.tag(3).exchanges));
    EXPECT_FALSE(p.echo);
}

TEST_F(ReportModel, TheLastProgrammingAndEchoOfThisRunAndASilentSensor) {
    addSensor(1);
    setFaults(0, "refuse=90");
    ScreenValues screen;
    screen.SingleSensorID = "1";
    m.discovery.currentIdTag = 1;
    ui.tag = "1";
    readSensorSettings(m, screen);
    screen.Hysteresis1 = "9";
    const ProgramResult r = writeAllUserEeprom(m, screen);
    ASSERT_EQ(r.failedCells, std::vector<int>{90});
    m.runRecord.echoes[1] = {"2026-12-06 10:01:00", std::vector<std::uint8_t>(320, 40), 2, 293.15,
                             "Low Gain"};

    const ReportPage p = reportSensor(m, 1, "now");
    EXPECT_EQ(row(p, "Result")->value, "cells did not take their values");
    EXPECT_EQ(row(p, "Cells written")->value, std::to_string(r.cellsWritten));
    EXPECT_EQ(row(p, "Cells verified")->value, std::to_string(r.cellsWritten - 1));
    EXPECT_EQ(row(p, "Cells failed")->value, "1 (cell 90)");
    ASSERT_TRUE(p.echo);
    EXPECT_NE(p.echoCaption.find("Low Gain"), std::string::npos);
    ASSERT_TRUE(p.echoAnalysis);  // painted beside the plot
    EXPECT_EQ(p.echoAnalysis->verdict, EchoVerdict::NoEcho);
    EXPECT_DOUBLE_EQ(p.echoAnalysis->threshold, 103);

    const ReportPage silent = reportSensor(m, 12, "now");
    EXPECT_FALSE(silent.answered);
    EXPECT_TRUE(silent.settings.empty());
    EXPECT_EQ(row(silent, "Last answered")->value, "never");
    EXPECT_FALSE(m.link.programEnding);  // no window, nothing ended
}

}  // namespace
}  // namespace k7
