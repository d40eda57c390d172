// The screen shows one sensor at a time and says which: the list is disabled while a read runs,
// a choice that comes from elsewhere meanwhile (the line overview) waits for the line (the
// last choice wins), a refill never starts edit mode, and the title
// and status heading name the sensor on screen. The keyboard starts on the ID tag and moves
// through the fields in the order the screen shows them.
#include <gtest/gtest.h>

#include <QTest>

#include "support/MainWindowFixture.h"

namespace k7 {
namespace {

class SensorSwitchTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // Each with its own hysteresis, so a screen of mixed sensors shows.
        addSensor(1, 0).setCell(90, 11);
        addSensor(5, 4).setCell(90, 25);
        addSensor(9, 1).setCell(90, 39);
        m.simulated = true;
        startShown();
    }
    // Presses Down in the ID tag list; while the read it started lets events run, sensor 9 is
    // chosen from the line overview.
    void chooseDuringARead() {
        bool chosen = false;
        bool listLocked = true;
        QTimer during;
        during.setInterval(0);
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (!m.link.busy()) return;
            listLocked = listLocked && !form->SensorID->isEnabled();
            if (!chosen) {
                chosen = true;
                form->showSensor(9);
            }
        });
        during.start();
        QTest::keyClick(form->SensorID, Qt::Key_Down);
        during.stop();
        ASSERT_TRUE(chosen) << "the read never let events run";
        EXPECT_TRUE(listLocked) << "the list takes no choice while a read runs";
    }
};

TEST_F(SensorSwitchTest, AChoiceDuringAReadWaitsAndTheScreenShowsTheLastSensorWhole) {
    EXPECT_EQ(QApplication::focusWidget(), form->SensorID);  // the keyboard starts on the ID tag
    EXPECT_EQ(form->windowTitle(),
              "SIMULATED - K-7700 Smart Ultrasonic Sensor - ID tag 1: 220 kHz 8 degree beam");
    EXPECT_EQ(text("lblSensor"), "ID tag 1: 220 kHz 8 degree beam (simulated)");

    chooseDuringARead();
    EXPECT_EQ(text("SensorID"), "9");
    EXPECT_EQ(m.discovery.currentIdTag, 5);  // sensor 5 read whole; the choice of 9 waits
    EXPECT_EQ(text("Hysteresis1"), "25");
    EXPECT_EQ(QApplication::focusWidget(), form->SensorID);  // the keyboard is back on the list
    ASSERT_TRUE(QTest::qWaitFor([&] { return m.discovery.currentIdTag == 9; }, 2000));

    EXPECT_EQ(text("SensorID"), "9");
    EXPECT_EQ(text("SingleSensorID"), "9");
    EXPECT_EQ(text("Hysteresis1"), "39");
    EXPECT_EQ(text("FactoryDescription"), "Sensor: 95 kHz 8 degree beam");
    EXPECT_TRUE(shown("Dist04"));  // not the G615's screen
    EXPECT_FALSE(m.editModeActive);
    EXPECT_FALSE(shown("EditModeLabel"));
    EXPECT_EQ(form->windowTitle(),
              "SIMULATED - K-7700 Smart Ultrasonic Sensor - ID tag 9: 95 kHz 8 degree beam");
    EXPECT_EQ(text("lblSensor"), "ID tag 9: 95 kHz 8 degree beam (simulated)");

    // And programming goes to the sensor shown.
    type(form->Hysteresis1, "40");
    QTest::mouseClick(form->ProgramModule, Qt::LeftButton);
    EXPECT_EQ(bus.sensor(2).cell(90), 40);
    EXPECT_EQ(bus.sensor(1).cell(90), 25);
    EXPECT_EQ(text("Message"), "ID tag 9 programmed: every setting written and verified.");
}

TEST_F(SensorSwitchTest, ChoiceOvertakenByAnEditLeavesTheListOnTheSensorBeingEdited) {
    chooseDuringARead();
    ASSERT_EQ(m.discovery.currentIdTag, 5);
    // The user edits sensor 5 before the waiting choice of 9 gets the line.
    type(form->Hysteresis1, "30");
    ASSERT_TRUE(m.editModeActive);
    QTest::qWait(150);
    EXPECT_EQ(m.discovery.currentIdTag, 5);
    EXPECT_EQ(text("SensorID"), "5");
    EXPECT_EQ(text("Hysteresis1"), "30");
    EXPECT_TRUE(m.editModeActive);
}

TEST_F(SensorSwitchTest, TabFollowsTheScreenFromTheIdTag) {
    // The window's chain, from its start.
    std::vector<std::string> order;
    for (QWidget* w = form->nextInFocusChain(); w != form.get(); w = w->nextInFocusChain()) {
        if (w->isVisibleTo(form.get()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            order.push_back(w->objectName().toStdString());
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{
                         "SensorID",        "Dist04",         "Dist20",         "OutputSpan",
                         "NoTargetCurrent", "CloseSetPoint",  "FarSetPoint",    "CloseMinLL",
                         "cbMidMinLL",      "FarMinLL",       "NoEchoMinLL",    "CloseMaxLL",
                         "cbMidMaxLL",      "FarMaxLL",       "NoEchoMaxLL",    "Hysteresis1",
                         "SampleRate1",     "AverageSamples", "AverageType",    "TriggerMode",
                         "TargLL",          "NoEchoTimeout",  "UserDescription"}));
}

}  // namespace
}  // namespace k7
