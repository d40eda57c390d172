// The report, `diff` and the compare window show, for each model, the groups and rows its
// main screen shows: a setting row for every setting field on screen, none for a field the
// model hides, and the live current and temperature only where the screen has them.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "report/ReportModel.h"
#include "settings/Lists.h"
#include "settings/SensorTypes.h"
#include "support/MainWindowFixture.h"

namespace k7 {
namespace {

// The main screen's field of each comparison row.
const std::map<std::string, const char*> kFieldOfRow = {
    {"4 mA Distance", "Dist04"},
    {"0 mA Distance", "Dist04"},
    {"20 mA Distance", "Dist20"},
    {"OUTPUT Span", "OutputSpan"},
    {"No Echo OUTPUT Current", "NoTargetCurrent"},
    {"Maximum Range", "UserMaxRange"},
    {"Close Setpoint Distance", "CloseSetPoint"},
    {"Far Setpoint Distance", "FarSetPoint"},
    {"Setpoint OUTPUT A < Close Setpoint", "CloseMinLL"},
    {"Setpoint OUTPUT A Mid Zone", "cbMidMinLL"},
    {"Setpoint OUTPUT A > Far Setpoint", "FarMinLL"},
    {"Setpoint OUTPUT A No Echo", "NoEchoMinLL"},
    {"Setpoint OUTPUT B < Close Setpoint", "CloseMaxLL"},
    {"Setpoint OUTPUT B Mid Zone", "cbMidMaxLL"},
    {"Setpoint OUTPUT B > Far Setpoint", "FarMaxLL"},
    {"Setpoint OUTPUT B No Echo", "NoEchoMaxLL"},
    {"Hysteresis", "Hysteresis1"},
    {"Sample Rate", "SampleRate1"},
    {"Average", "AverageSamples"},
    {"Average type", "AverageType"},
    {"Trigger Mode", "TriggerMode"},
    {"Trigger Delay", "TriggerDelay"},
    {"Preset Temperature", "ManualTemperature"},
    {"Echo Status OUTPUT with No Echo", "TargLL"},
    {"No Echo Time Out", "NoEchoTimeout"},
    {"User Description", "UserDescription"},
};

// Fields the screen shows or hides by a value rather than by the model (the trigger mode, the
// temperature compensation, the mid zones): a row may stand for them while they are hidden.
const std::set<std::string> kShownByValue = {"SampleRate1", "TriggerDelay", "ManualTemperature",
                                             "Hysteresis1"};

class ModelScreenTest : public test::MainWindowFixture {};

TEST_F(ModelScreenTest, ReportAndComparisonShowWhatTheMainScreenShowsForEachModel) {
    for (int type = 0; type < 8; ++type) addSensor(type + 1, type);
    start();
    for (int tag = 1; tag <= 8; ++tag) {
        SCOPED_TRACE(modelName(tag - 1));
        form->SensorID->setCurrentIndex(form->SensorID->findText(QString::number(tag)));
        form->showChosenSensor();
        ASSERT_EQ(m.sensorType, tag - 1);
        const ReportPage page = reportSensor(m, tag, "2026-12-06 10:00:00");

        std::set<std::string> rowFields;
        for (const ReportSection& s : page.settings) {
            if (s.title == kCurrentLoopGroup || s.title == kMaxRangeGroup) {
                EXPECT_EQ(s.title, text("Label11").toStdString());
            }
            for (const ReportRow& r : s.rows) {
                if (r.label == "Temperature Compensation") {
                    EXPECT_TRUE(form->temperatureCompensationMenu->menuAction()->isVisible());
                    continue;
                }
                ASSERT_TRUE(kFieldOfRow.count(r.label)) << r.label;
                rowFields.insert(kFieldOfRow.at(r.label));
            }
        }
        for (const auto& [label, field] : kFieldOfRow) {
            if (shown(field)) {
                EXPECT_TRUE(rowFields.count(field)) << field << " on screen, not in the report";
            } else if (!kShownByValue.count(field)) {
                EXPECT_FALSE(rowFields.count(field)) << field << " hidden, yet in the report";
            }
        }

        std::set<std::string> live;
        for (const ReportSection& s : page.sensor) {
            for (const ReportRow& r : s.rows) live.insert(r.label);
        }
        EXPECT_EQ(live.count("Current OUTPUT") == 1, modelScreen(tag - 1).outputCurrent);
        EXPECT_EQ(live.count("Current OUTPUT") == 1, shown("CurrentOut"));
        EXPECT_EQ(live.count("Temperature") == 1, modelScreen(tag - 1).temperature);
    }
}

}  // namespace
}  // namespace k7
