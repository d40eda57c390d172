// The sensitivity tool against a simulated sensor on the virtual clock.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>

#include "link/Commands.h"
#include "link/Link.h"
#include "service/SensitivityWindow.h"
#include "sim/Faults.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::Sent;

class SensitivityTest : public test::ServiceFixture {
protected:
    // Opens the tool from the menu, runs `act` in the adjustment window, then presses OK.
    void throughTheMenu(QString* existing, const std::function<void(QWidget*)>& act) {
        whenWindowOpens("frmChangeThreshWarning", [=, this](QWidget* warning) {
            *existing = child<QLabel>(warning, "lblExistingThreshold")->text();
            whenWindowOpens("frmAdjustThreshold", [=](QWidget* adjust) {
                act(adjust);
                click(adjust, "cmdOK");
            });
            click(warning, "btnProceed");
        });
        form->sensitivityAction->trigger();
    }
    static int checkedOption(QWidget* adjust) {
        for (int i = 0; i < 5; ++i) {
            auto* b = child<QRadioButton>(adjust, QString("opThresh(%1)").arg(i).toUtf8());
            if (b->isChecked()) return i;
        }
        return -1;
    }
};

TEST_F(SensitivityTest, ChoosingAThresholdWritesItRestartsAndShowsTwoAndAHalfSeconds) {
    startWith();
    QString existing;
    int shownAtOpen = -1, lastBar = -1, sameAgainFrames = -1;
    std::int64_t changeUs = 0;
    bool barHiddenAfter = false;
    std::vector<Sent> change;
    throughTheMenu(&existing, [&](QWidget* adjust) {
        shownAtOpen = checkedOption(adjust);
        auto* bar = child<QProgressBar>(adjust, "ProgressBar1");
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { lastBar = v; });
        const std::size_t from = bus.received().size();
        const std::int64_t t0 = clock.nowUs();
        click(adjust, "opThresh(3)");
        changeUs = clock.nowUs() - t0;
        change = test::sentFrames(bus, from);
        barHiddenAfter = !bar->isVisible();
        const std::size_t again = bus.received().size();
        click(adjust, "opThresh(3)");  // already in the sensor: nothing happens
        sameAgainFrames = static_cast<int>(bus.received().size() - again);
    });
    EXPECT_EQ(existing, "Existing threshold = 2.0 Volts");
    EXPECT_EQ(shownAtOpen, 1);
    EXPECT_EQ(change, (std::vector<Sent>{{126, kUnlockLowRegion, 0},
                                         {126, kUnlockMiddleRegion, 0},
                                         {103, 30, 11},
                                         {104, 30, 11},
                                         {119, 0, 0}}));
    EXPECT_EQ(s->cell(30), 11);
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_GE(changeUs, 2'500'000);
    EXPECT_LT(changeUs, 2'600'000);
    EXPECT_EQ(lastBar, 100);
    EXPECT_TRUE(barHiddenAfter);
    EXPECT_EQ(sameAgainFrames, 0);
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_FALSE(m.link.thresholdProgressActive);
}

TEST_F(SensitivityTest, UnknownCodesShowAsUnknownAndSelectNothing) {
    startWith();
    s->setCell(30, 2);
    QString existing;
    int shown = 0;
    throughTheMenu(&existing, [&](QWidget* adjust) { shown = checkedOption(adjust); });
    EXPECT_EQ(existing, "Existing threshold = unknown (code 2)");
    EXPECT_EQ(shown, -1);
    // The two reads of the present threshold and nothing else.
    std::vector<Sent> frames = sent();
    std::erase_if(frames, [](const Sent& f) { return f[0] == cmd::Status; });
    EXPECT_EQ(frames, (std::vector<Sent>{{104, 30, 0}, {104, 30, 0}}));
}

TEST_F(SensitivityTest, ACellThatRefusesWritesIsTriedTenTimesAndTheSensorStillRestarts) {
    startWith();
    sim::FaultConfig f;
    f.refuseWriteCells = {30};
    bus.setFaults(0, f, 1);
    SensitivityWindow adjust(m.link, *form, form.get());
    ASSERT_TRUE(adjust.load());
    adjust.show();
    bus.clearReceived();
    const std::int64_t t0 = clock.nowUs();
    click(&adjust, "opThresh(4)");
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 10);
    EXPECT_EQ(bus.countReceived(cmd::Unlock), 2);
    EXPECT_EQ(bus.countReceived(cmd::Restart), 1);
    EXPECT_EQ(text("Message"), QString(kVerifyFailedMessage));
    EXPECT_EQ(s->cell(30), 5);
    EXPECT_TRUE(adjust.opThresh[1]->isChecked());  // what the sensor still holds
    EXPECT_GE(clock.nowUs() - t0, 2'500'000);
}

TEST_F(SensitivityTest, NoStatusFrameInsideAChangeOnALossyLine) {
    startWith();
    SensitivityWindow adjust(m.link, *form, form.get());
    ASSERT_TRUE(adjust.load());
    adjust.show();
    sim::FaultConfig lossy;
    lossy.firstAttemptLost = true;
    bus.setFaults(0, lossy, 3);
    const auto frames = withPollDue([&] { click(&adjust, "opThresh(0)"); });
    EXPECT_FALSE(test::anyStatusFrame(frames));
    EXPECT_EQ(s->cell(30), 3);
}

TEST_F(SensitivityTest, AG615IsNotOfferedTheChangeOfItsRingTimeCell) {
    startWith(4);
    QString message;
    whenWindowOpens("NoSensitivityOnG615", [&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    form->sensitivityAction->trigger();
    EXPECT_TRUE(message.contains("G-615")) << message.toStdString();
    EXPECT_TRUE(sent().empty());
}

}  // namespace
}  // namespace k7
