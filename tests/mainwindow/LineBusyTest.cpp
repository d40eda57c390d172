// The main window's sequences own the line while they run: a poll tick (or any timer) that
// falls due inside them, while lost replies let events run, waits for the line instead of
// putting its own frame between theirs.
#include <gtest/gtest.h>

#include <QTest>

#include "link/Commands.h"
#include "sim/Faults.h"
#include "support/MainWindowFixture.h"

namespace k7 {
namespace {

class LineBusyTest : public test::MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;
    QTimer stray;  // the poll tick, due at every pass of the event loop
    int ticks = 0;

    void SetUp() override {
        MainWindowFixture::SetUp();
        s = &addSensor(1);
        startShown();
        sim::FaultConfig f;
        f.dropReply = 0.3;
        bus.setFaults(0, f, 5);
        stray.setInterval(0);
        QObject::connect(&stray, &QTimer::timeout, [this] {
            ++ticks;
            form->pollStatus();
        });
    }
    // Runs one sequence with the poll due all along; the frames it put on the line.
    std::vector<sim::ReceivedFrame> during(const std::function<void()>& sequence) {
        bus.clearReceived();
        ticks = 0;
        stray.start();
        sequence();
        stray.stop();
        EXPECT_GT(ticks, 0) << "the poll never fell due inside the sequence";
        return {bus.received().begin(), bus.received().end()};
    }
    static void expectOnly(const std::vector<sim::ReceivedFrame>& frames,
                           std::initializer_list<int> writableCells) {
        for (const sim::ReceivedFrame& f : frames) {
            EXPECT_NE(f.bytes[2], cmd::Status) << "a status exchange inside the sequence";
            if (f.bytes[2] == cmd::WriteEeprom) {
                const bool named = std::find(writableCells.begin(), writableCells.end(),
                                             f.bytes[3]) != writableCells.end();
                EXPECT_TRUE(named) << "write to cell " << int(f.bytes[3]);
            }
        }
    }
};

TEST_F(LineBusyTest, ResetErrorProgrammingAndASettingsReadAreNeverInterleaved) {
    s->setCell(0, 77);
    expectOnly(during([&] { form->resetSensorError(); }), {124, 125});
    EXPECT_EQ(s->cell(124), 0);
    EXPECT_EQ(s->restartCount(), 1);

    type(form->Hysteresis1, "12");
    leave(form->Hysteresis1);
    ASSERT_TRUE(m.editModeActive);
    std::initializer_list<int> userCells = {
        46, 47, 48, 49, 50, 51, 52, 53, 54, 55,  56,  57,  58,  59,  60,  61,  62,  63, 64, 65,
        66, 67, 68, 69, 70, 71, 72, 73, 74, 75,  76,  77,  78,  79,  80,  81,  82,  83, 84, 85,
        86, 87, 88, 89, 90, 91, 93, 94, 95, 101, 102, 103, 104, 105, 114, 115, 117, 118};
    expectOnly(during([&] { form->programFromScreen(); }), userCells);
    EXPECT_EQ(s->cell(90), 12);
    EXPECT_FALSE(m.editModeActive);

    expectOnly(during([&] { form->showUnitSelections(); }), {});
    EXPECT_EQ(text("Hysteresis1"), "12");
    EXPECT_EQ(s->cell(0), 77);
    // The ticks that fell inside were deferred, not lost: the poll is armed again.
    EXPECT_TRUE(form->statusTimer->isActive());
}

}  // namespace
}  // namespace k7
