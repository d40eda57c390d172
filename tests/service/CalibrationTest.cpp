// Current-loop calibration driven as a technician does, against a simulated sensor.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QRadioButton>

#include "link/Commands.h"
#include "service/CalibrationWindow.h"
#include "sim/Faults.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::Sent;

class CalibrationTest : public test::ServiceFixture {
protected:
    int point(int highCell) const { return s->cell(highCell) * 256 + s->cell(highCell + 1); }
};

TEST_F(CalibrationTest, AbortingTheWarningSendsNothing) {
    startWith();
    whenWindowOpens("frmCalWarning", [](QWidget* warning) {
        EXPECT_EQ(child<QLabel>(warning, "WarningMessage")->text(),
                  "Warning - Calibrating the current will temporarily change the output current "
                  "for the K-7700 sensor which is on line.");
        click(warning, "AbortCal");
    });
    form->calibrateCurrentAction->trigger();
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(form->statusTimer->isActive());
}

TEST_F(CalibrationTest, OpeningAdjustingAndLeavingSendTheirExactFrames) {
    startWith();
    const int before = point(108);
    std::vector<Sent> atOpen;
    bool pollOff = false;
    whenWindowOpens("frmCalWarning", [&](QWidget* warning) {
        whenWindowOpens("frmICal", [&](QWidget* cal) {
            atOpen = sent();
            pollOff = !form->statusTimer->isActive();
            EXPECT_TRUE(child<QRadioButton>(cal, "opCalCurrent(0)")->isChecked());
            EXPECT_TRUE(child<QRadioButton>(cal, "Coarse")->isChecked());
            click(cal, "opCalCurrent(2)");
            click(cal, "Fine");
            click(cal, "IncCurrent");
            click(cal, "Coarse");
            click(cal, "IncCurrent");
            click(cal, "DecCurrent");
            click(cal, "ICalExit");
        });
        click(warning, "ContinueCal");
    });
    form->calibrateCurrentAction->trigger();

    EXPECT_EQ(atOpen, (std::vector<Sent>{{121, 1, 0}, {113, 0, 0}}));
    EXPECT_TRUE(pollOff);
    const std::vector<Sent> want = {{121, 1, 0}, {113, 0, 0}, {115, 0, 0}, {31, 1, 0},
                                    {115, 0, 0}, {31, 10, 0}, {115, 0, 0}, {32, 10, 0},
                                    {115, 0, 0}, {121, 0, 0}, {119, 0, 0}};
    EXPECT_EQ(sent(), want);
    EXPECT_EQ(point(108), before + 1);
    EXPECT_FALSE(s->calibrationMode());
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_FALSE(m.link.currentCalActive);
    EXPECT_FALSE(m.link.fineCalibrationStep);
    EXPECT_TRUE(form->statusTimer->isActive());
}

TEST_F(CalibrationTest, ShowingTheWindowAgainKeepsItsPointAndLeavingInEditModeKeepsThePollOff) {
    startWith();
    {
        CalibrationWindow cal(m.link, *form, form.get());
        cal.show();
        click(&cal, "opCalCurrent(3)");
        EXPECT_EQ(s->drivenPoint(), 4);
        cal.hide();
        cal.show();
        EXPECT_TRUE(cal.opCalCurrent[3]->isChecked());
        EXPECT_EQ(sent(), (std::vector<Sent>{{121, 1, 0}, {113, 0, 0}, {116, 0, 0}}));
        form->setEditMode(true);
        QTest::keyClick(&cal, Qt::Key_Escape);  // any way of closing leaves calibration mode
        EXPECT_FALSE(cal.isVisible());
    }
    EXPECT_EQ(test::sentFrames(bus, 3), (std::vector<Sent>{{121, 0, 0}, {119, 0, 0}}));
    EXPECT_FALSE(form->statusTimer->isActive());
}

TEST_F(CalibrationTest, RestoreDefaultsWritesThePointsFromTheReferenceInOrder) {
    startWith();
    s->setCell(8, 15);  // 4000
    s->setCell(9, 160);
    for (int c : {106, 107, 108, 109, 110, 111, 126, 127}) s->setCell(c, 1);
    CalibrationWindow cal(m.link, *form, form.get());
    cal.show();
    click(&cal, "opCalCurrent(1)");
    bus.clearReceived();
    sim::FaultConfig lossy;
    lossy.firstAttemptLost = true;
    bus.setFaults(0, lossy, 5);
    const auto frames = withPollDue([&] { click(&cal, "RestoreDefaults"); });
    EXPECT_FALSE(test::anyStatusFrame(frames));
    EXPECT_EQ(point(106), 800);
    form->statusTimer->stop();  // re-armed by the deferred ticks, which only the test made due

    // Without lost replies: the read, each write with its read-back, restart, back in mode.
    bus.setFaults(0, {}, 0);
    bus.clearReceived();
    click(&cal, "RestoreDefaults");
    std::vector<Sent> want = {{104, 8, 0}};
    for (auto [c, v] : {std::pair{110, 15},
                        {111, 255},
                        {108, 15},
                        {109, 160},
                        {106, 3},
                        {107, 32},
                        {126, 2},
                        {127, 188}}) {
        want.push_back({103, c, v});
        want.push_back({104, c, v});
    }
    want.insert(want.end(), {{119, 0, 0}, {121, 1, 0}, {114, 0, 0}});
    EXPECT_EQ(sent(), want);
    EXPECT_EQ(point(110), 4095);
    EXPECT_EQ(point(108), 4000);
    EXPECT_EQ(point(106), 800);
    EXPECT_EQ(point(126), 700);
    EXPECT_TRUE(s->calibrationMode());
    EXPECT_EQ(s->drivenPoint(), 2);
}

TEST_F(CalibrationTest, AReferenceOutsideTheRangeIsRefusedAndNothingIsWritten) {
    startWith();
    s->setCell(8, 255);  // an erased cell pair: 65535
    s->setCell(9, 255);
    CalibrationWindow cal(m.link, *form, form.get());
    cal.show();
    bus.clearReceived();
    QString title, message;
    whenWindowOpens("RestoreRefused", [&](QWidget* box) {
        title = box->windowTitle();
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    click(&cal, "RestoreDefaults");
    EXPECT_EQ(title, "Message");
    EXPECT_TRUE(message.contains("65535")) << message.toStdString();
    EXPECT_EQ(sent(), (std::vector<Sent>{{104, 8, 0}}));
    EXPECT_TRUE(cal.isVisible());
    EXPECT_EQ(point(110), 4095);  // the factory points are untouched
}

TEST_F(CalibrationTest, ASensorLostDuringARestoreEndsTheProgramWithoutAnotherFrame) {
    startWith();
    {
        // As in the program: the window lives in the menu handler, inside the main window's life.
        CalibrationWindow cal(m.link, *form, form.get());
        cal.show();
        s->setSilent(true);
        bus.clearReceived();
        whenWindowOpens("frmNoComm", [](QWidget* noComm) { click(noComm, "Exit"); });
        click(&cal, "RestoreDefaults");
        EXPECT_TRUE(m.exiting);
        EXPECT_FALSE(cal.isVisible());
    }
    for (const Sent& f : sent()) EXPECT_EQ(f, (Sent{104, 8, 0}));  // the read, re-sent
    EXPECT_FALSE(form->statusTimer->isActive());
}

}  // namespace
}  // namespace k7
