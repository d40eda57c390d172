#include <gtest/gtest.h>

#include <QTest>

#include "sim/Faults.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"

namespace k7 {
namespace {

class ProgrammingWindowTest : public test::MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;
    void SetUp() override {
        MainWindowFixture::SetUp();
        s = &addSensor(3);
        s->setTargetInches(20.0);
    }
    void go() {
        startShown();
    }
    void program() { QTest::mouseClick(form->ProgramModule, Qt::LeftButton); }
};

TEST_F(ProgrammingWindowTest, EditedValuesAreWrittenAndReadBack) {
    go();
    type(form->Hysteresis1, "12");
    type(form->UserDescription, "Tank 4");
    form->centimetresAction->trigger();
    type(form->FarSetPoint, "80");
    program();
    EXPECT_EQ(s->cell(90), 12);
    EXPECT_EQ(s->cell(46), 'T');
    EXPECT_EQ(s->cell(51), '4');
    EXPECT_EQ(s->cell(52), ' ');
    // 80 cm = 31.496 in, stored as Int(31.496 * 128 + 0.5) = 4031.
    EXPECT_EQ(s->cell(86) * 256 + s->cell(87), 4031);
    EXPECT_FALSE(m.editModeActive);
    EXPECT_EQ(text("Hysteresis1"), "12");
    EXPECT_EQ(text("UserDescription"), "Tank 4");
    EXPECT_EQ(text("FarSetPoint"), "80.0");
    EXPECT_GE(s->restartCount(), 1);
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_TRUE(form->isEnabled());
    // It says so, and which sensor, until the next change; the keyboard is back on the screen.
    EXPECT_EQ(text("Message"), "ID tag 3 programmed: every setting written and verified.");
    QApplication::processEvents();  // the main window is active again once the progress window has
                                    // gone
    EXPECT_EQ(QApplication::focusWidget(), form->SingleSensorID);
    poll();
    EXPECT_EQ(text("Message"), "ID tag 3 programmed: every setting written and verified.");
    type(form->Hysteresis1, "13");
    EXPECT_EQ(text("Message"), "");
}

TEST_F(ProgrammingWindowTest, FailingValidationWritesNothing) {
    go();
    type(form->CloseSetPoint, "35");  // beyond the far setpoint of 30
    bus.clearReceived();
    program();
    EXPECT_EQ(text("Message"),
              "The Close Setpoint Distance must be less than the Far Setpoint Distance.");
    EXPECT_EQ(bus.countReceived(103), 0);
    EXPECT_TRUE(m.editModeActive);
    EXPECT_EQ(form->CloseSetPoint->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(form->FarSetPoint->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(ProgrammingWindowTest, CodeBeyondItsListIsNamedAndNeverProgrammed) {
    s->setCell(101, 7);  // five trigger modes only
    go();
    EXPECT_EQ(text("Message"),
              "Codes not in their lists were read from the sensor (Trigger Mode 7): choose an "
              "entry before programming.");
    EXPECT_EQ(form->TriggerMode->currentIndex(), -1);
    type(form->Hysteresis1, "12");
    bus.clearReceived();
    program();
    EXPECT_EQ(text("Message"),
              "Choose an entry for Trigger Mode: the sensor holds a code that is not in the list.");
    EXPECT_EQ(bus.countReceived(103), 0);
    EXPECT_TRUE(m.editModeActive);
    EXPECT_EQ(form->TriggerMode->palette().color(QPalette::Button), QColor(255, 0, 0));
}

TEST_F(ProgrammingWindowTest, ACellThatDoesNotTakeItsValueKeepsTheEditOnScreenAndIsNamed) {
    sim::FaultConfig f;
    f.refuseWriteCells = {90};
    bus.setFaults(0, f, 1);
    go();
    type(form->Hysteresis1, "6");
    type(form->UserDescription, "Tank 9");
    program();
    EXPECT_EQ(text("Message").toStdString(),
              "Comm verification failed on EEPROM write: Hysteresis (cell 90) did not take the "
              "value written. Every other setting was written and verified. Your values stay "
              "on screen: program again, or cancel editing to see what the sensor holds.");
    EXPECT_EQ(form->Hysteresis1->palette().color(QPalette::Base), QColor(255, 0, 0));
    // The user's values, in edit mode, ready to be programmed again or cancelled.
    EXPECT_TRUE(m.editModeActive);
    EXPECT_EQ(text("Hysteresis1"), "6");
    EXPECT_EQ(text("UserDescription"), "Tank 9");
    EXPECT_TRUE(form->ProgramModule->isVisible());
    EXPECT_TRUE(form->cmdCancelEdit->isVisible());
    EXPECT_FALSE(form->statusTimer->isActive());
    EXPECT_EQ(s->cell(46), 'T');  // the other cells were written
    bus.setFaults(0, {}, 1);
    program();
    EXPECT_EQ(s->cell(90), 6);
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(ProgrammingWindowTest, NewIdTagIsWrittenToTheOldTagAndUsedAfterwards) {
    go();
    type(form->SingleSensorID, "7");
    program();
    EXPECT_EQ(s->activeTag(), 7);
    EXPECT_EQ(m.discovery.currentIdTag, 7);
    EXPECT_EQ(text("SingleSensorID"), "7");
    EXPECT_EQ(form->SensorID->currentText(), "7");
    EXPECT_EQ(m.discovery.found, std::vector<int>{7});
    EXPECT_EQ(bus.countReceived(103, 3), 1);  // the ID cell, unverified
    EXPECT_GT(bus.countReceived(103, 7), 50);
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(ProgrammingWindowTest, SensorGoingSilentEndsAtTheNoCommunicationWindow) {
    sim::FaultConfig f;
    f.silentAfterFrames = 20;
    go();
    bus.setFaults(0, f, 1);
    type(form->Hysteresis1, "12");
    bool retryOffered = true;
    test::whenModalOpens([&](QWidget* dlg) {
        retryOffered = dlg->findChild<QPushButton*>("RetryComm")->isVisible();
        QTest::mouseClick(dlg->findChild<QPushButton*>("Exit"), Qt::LeftButton);
    });
    program();
    EXPECT_FALSE(retryOffered);
    EXPECT_TRUE(m.link.programEnding);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace k7
