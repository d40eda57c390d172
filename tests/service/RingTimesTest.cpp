// The ring-time and firmware windows, the service items' menu rules, and where windows open.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScreen>

#include "link/Commands.h"
#include "service/FirmwareVersionWindow.h"
#include "service/RingTimesWindow.h"
#include "sim/Faults.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::Sent;

class RingTimesTest : public test::ServiceFixture {
protected:
    RingTimesWindow* openWindow() { return form->findChild<RingTimesWindow*>(); }
    static QString cell(QWidget* w, const char* column, int row) {
        return child<QLineEdit>(w, QString("%1(%2)").arg(column).arg(row).toUtf8())->text();
    }
};

TEST_F(RingTimesTest, ReadsTheFourteenWordsInRowOrderAndDerivesTheColumns) {
    startWith(4);
    EXPECT_TRUE(form->ringTimesAction->isVisible());
    EXPECT_FALSE(form->calibrateCurrentAction->isVisible());
    s->setCell(16, 1000 / 256);  // row 12: 1000 ticks
    s->setCell(17, 1000 % 256);
    form->ringTimesAction->trigger();
    RingTimesWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());

    std::vector<Sent> want;
    for (int c = 21; c <= 43; c += 2) want.push_back({cmd::ReadEeprom, c, 0});
    want.push_back({cmd::ReadEeprom, 16, 0});
    want.push_back({cmd::ReadEeprom, 18, 0});
    EXPECT_EQ(sent(), want);

    EXPECT_EQ(cell(w, "T1Ticks", 12), "1000");
    EXPECT_EQ(cell(w, "T1mSec", 12), ".80");
    EXPECT_EQ(cell(w, "PlusMs", 12), "1.18");
    EXPECT_EQ(cell(w, "MultMs", 12), "1.3");
    EXPECT_EQ(cell(w, "T1Ticks", 4), QString::number(s->cell(29) * 256 + s->cell(30)));
    EXPECT_EQ(child<QLabel>(w, "ParameterName(13)")->text(), "LockBXdueFX");
    EXPECT_EQ(child<QLabel>(w, "lblSerialNumber")->text(), "Serial Number = 100001");
    EXPECT_FALSE(child<QLabel>(w, "TimeAndDate")->text().isEmpty());

    w->Additive->setText("");
    EXPECT_EQ(cell(w, "PlusMs", 12), "0.80");
    EXPECT_EQ(cell(w, "MultMs", 12), "0.9");
    w->Multiplier->setText("");
    EXPECT_EQ(cell(w, "MultMs", 12), "0.0");

    // Chosen again: the open window comes to the front, nothing is read.
    bus.clearReceived();
    form->ringTimesAction->trigger();
    EXPECT_EQ(openWindow(), w);
    EXPECT_TRUE(sent().empty());
    QTest::keyClick(w->Multiplier, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindow(), nullptr);
}

TEST_F(RingTimesTest, ThePollWaitsForAllFourteenReadsOnALossyLine) {
    startWith(4);
    sim::FaultConfig lossy;
    lossy.firstAttemptLost = true;
    bus.setFaults(0, lossy, 2);
    auto frames = withPollDue([&] { form->ringTimesAction->trigger(); });
    EXPECT_FALSE(test::anyStatusFrame(frames));
    ASSERT_NE(openWindow(), nullptr);
    EXPECT_EQ(openWindow()->T1Ticks[13]->text(), "4200");
}

TEST_F(RingTimesTest, ServiceItemsFollowTheSensorTypeAndEditMode) {
    startWith(0);
    EXPECT_FALSE(form->ringTimesAction->isVisible());
    EXPECT_TRUE(form->calibrateCurrentAction->isVisible());
    EXPECT_TRUE(form->calibrateCurrentAction->isEnabled());
    form->setEditMode(true);
    EXPECT_FALSE(form->calibrateCurrentAction->isEnabled());
    EXPECT_TRUE(form->sensitivityAction->isEnabled());
}

TEST_F(RingTimesTest, FirmwareWindowNamesTheTagAndRevision) {
    startWith(0, 7, 5);
    QString label;
    whenWindowOpens("frmK7KRev", [&](QWidget* w) {
        label = child<QLabel>(w, "lblFWRev")->text();
        click(w, "btnExitRev");
    });
    form->firmwareVersionAction->trigger();
    EXPECT_EQ(label, "K7700 with ID Tag 7 has Firmware Version 5");
    EXPECT_EQ(sent(), (std::vector<Sent>{{cmd::FirmwareVersion, 0, 0}}));

    type(form->SingleSensorID, "9");  // edit mode: the sensor asked is still tag 7
    ASSERT_TRUE(m.editModeActive);
    whenWindowOpens("frmK7KRev", [&](QWidget* w) {
        label = child<QLabel>(w, "lblFWRev")->text();
        click(w, "btnExitRev");
    });
    form->firmwareVersionAction->trigger();
    EXPECT_EQ(label, "K7700 with ID Tag 7 has Firmware Version 5");
}

TEST(ServiceWindowPlace, OverTheMainWindowAndFullyOnTheScreen) {
    QWidget main;
    main.setGeometry(100, 200, 600, 400);
    main.show();
    const QRect screen = main.screen()->availableGeometry();
    RingTimesWindow ring("1", &main);
    ring.show();
    EXPECT_NEAR(ring.frameGeometry().center().x(), main.frameGeometry().center().x(), 2);
    EXPECT_NEAR(ring.frameGeometry().center().y(), main.frameGeometry().center().y(), 2);
    FirmwareVersionWindow version(&main);  // centred at 80 % across and 16 % down
    version.show();
    const QRect m = main.frameGeometry();
    EXPECT_NEAR(version.frameGeometry().center().x(), m.x() + 0.8 * m.width(), 2);
    EXPECT_NEAR(version.frameGeometry().center().y(), m.y() + 0.16 * m.height(), 2);
    version.hide();

    main.move(screen.right() - 150, screen.bottom() - 100);
    version.show();
    EXPECT_TRUE(screen.contains(version.frameGeometry()));
    ring.hide();
    ring.show();
    EXPECT_TRUE(screen.contains(ring.frameGeometry()));
}

}  // namespace
}  // namespace k7
