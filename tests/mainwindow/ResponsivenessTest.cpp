// The main window keeps answering while its sequences hold the line: no sequence stops the
// event loop for longer than 100 ms of line time, a restart shows itself as a step of its own,
// and what must not be pressed meanwhile is disabled.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QProgressBar>
#include <QTest>

#include "sim/Faults.h"
#include "support/MainWindowFixture.h"
#include "support/StallDetector.h"

namespace k7 {
namespace {

using test::kLongestStallMs;

class Responsiveness : public test::MainWindowFixture {
protected:
    test::StallDetector stalls{clock};
    sim::SimSensor* s = nullptr;

    void go(int type = 0) {
        s = &addSensor(1, type);
        startShown();
    }
    void edit() {
        type(form->Hysteresis1, "12");
        leave(form->Hysteresis1);
        ASSERT_TRUE(m.editModeActive);
    }
    void program() { QTest::mouseClick(form->ProgramModule, Qt::LeftButton); }
};

TEST_F(Responsiveness, TheSearchAndSettingsReadsLetTheWindowAnswer) {
    addSensor(3);
    addSensor(17, 4);  // 29 silent tags and a slow sensor on the line
    EXPECT_LE(stalls.worstMs("start-up search and read", [&] { start(); }), kLongestStallMs);
    form->show();
    edit();
    EXPECT_LE(stalls.worstMs("cancel editing", [&] { form->cmdCancelEdit->click(); }),
              kLongestStallMs);
    EXPECT_LE(stalls.worstMs("sensor switch", [&] { form->showSensor(17); }), kLongestStallMs);
}

TEST_F(Responsiveness, ProgrammingShowsTheRestartAsAStepWithTheWindowLocked) {
    go();
    edit();
    std::vector<std::pair<QString, int>> steps;  // the progress window's caption and bar
    bool usable = false;
    stalls.onTick = [&] {
        usable = usable || form->ProgramModule->isEnabled() || form->menuBar()->isEnabled();
        ProgressWindow* g = ui.gauge();
        if (!g || !g->isVisible()) return;
        const QString caption = g->findChild<QLabel*>("Label1")->text();
        if (steps.empty() || steps.back().first != caption) {
            steps.emplace_back(caption, g->findChild<QProgressBar*>("Gauge1")->value());
        }
    };
    EXPECT_LE(stalls.worstMs("programming", [&] { program(); }), kLongestStallMs);
    EXPECT_FALSE(usable);
    ASSERT_GE(steps.size(), 3u);
    const auto restart = std::find_if(steps.begin(), steps.end(), [](const auto& st) {
        return st.first == "Restarting the sensor ...";
    });
    ASSERT_NE(restart, steps.end());
    EXPECT_LT(restart->second, 50) << "the restart starts a bar of its own";
    EXPECT_EQ(std::prev(restart)->first, "Writing K-7700 Data");
    EXPECT_EQ(std::next(restart)->first, "Reading K-7700 Data");
    EXPECT_EQ(s->cell(90), 12);
    EXPECT_TRUE(form->ProgramModule->isEnabled());
}

TEST_F(Responsiveness, AnIdTagChangeOnTheSlowSensorAndAFailedWrite) {
    go(4);
    type(form->SingleSensorID, "7");
    leave(form->SingleSensorID);
    EXPECT_LE(stalls.worstMs("programming a new ID tag (slow sensor)", [&] { program(); }),
              kLongestStallMs);
    EXPECT_EQ(m.discovery.currentIdTag, 7);

    sim::FaultConfig refuse;
    refuse.refuseWriteCells = {90};
    bus.setFaults(0, refuse, 1);
    edit();
    EXPECT_LE(stalls.worstMs("programming with a failed write", [&] { program(); }),
              kLongestStallMs);
}

TEST_F(Responsiveness, ResetErrorSaysItRestartsWithTheWindowLocked) {
    go();
    s->setFaultBits(0x80);
    poll();
    ASSERT_TRUE(form->ResetErr->isVisible());
    bool restartShown = false;
    bool usable = false;
    stalls.onTick = [&] {
        restartShown = restartShown || form->Message->text() == "Restarting the sensor ...";
        usable = usable || form->menuBar()->isEnabled() || form->ResetErr->isEnabled();
    };
    EXPECT_LE(stalls.worstMs("Reset Error", [&] { form->resetErrorAction->trigger(); }),
              kLongestStallMs);
    EXPECT_TRUE(restartShown);
    EXPECT_FALSE(usable);
    EXPECT_EQ(s->faultBits(), 0);
    EXPECT_EQ(form->Message->text(), "");
    EXPECT_TRUE(form->menuBar()->isEnabled());
}

}  // namespace
}  // namespace k7
