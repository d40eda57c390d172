// The low EEPROM editor driven as a technician does, against simulated sensors.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>

#include "link/Commands.h"
#include "service/LowEepromWindow.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::Sent;

class LowEepromWindowTest : public test::ServiceFixture {
protected:
    LowEepromWindow* open() {
        form->lowEepromAction->trigger();
        auto* w = form->findChild<LowEepromWindow*>();
        EXPECT_NE(w, nullptr);
        return w;
    }
    static QString field(QWidget* w, const char* name) { return child<QLineEdit>(w, name)->text(); }
};

TEST_F(LowEepromWindowTest, OpeningReadsEveryValueAndWriteAllWritesOnlyWhatWasTyped) {
    startWith();
    s->setCell(13, 9);
    LowEepromWindow* w = open();
    EXPECT_EQ(w->windowTitle(), "Low EEPROM");
    EXPECT_EQ(sent().size(), 10u);
    EXPECT_EQ(w->lblIDTag->text(), "Values of the sensor with ID Tag 1");
    EXPECT_EQ(field(w, "ReadSN"), "100001");
    EXPECT_EQ(field(w, "ReadDistCal"), "150");
    EXPECT_EQ(field(w, "Read20mAcal"), "4000");
    EXPECT_EQ(field(w, "ReadLockout"), "9");
    EXPECT_TRUE(form->statusTimer->isActive());  // the poll goes on beside it

    // Nothing typed: nothing sent. A value too large for its cell: nothing sent.
    bus.clearReceived();
    click(w, "cmdWriteAll");
    w->writeFields[1]->setText("256");
    w->writeFields[0]->setText("1193046");
    QString refusal;
    whenWindowOpens("InputRefused", [&](QWidget* box) {
        refusal = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    click(w, "cmdWriteAll");
    EXPECT_TRUE(refusal.contains("Error Enables")) << refusal.toStdString();
    EXPECT_TRUE(sent().empty());

    w->writeFields[1]->clear();
    click(w, "cmdWriteAll");
    const std::vector<Sent> pair = {{126, kUnlockLowRegion, 0}, {126, kUnlockMiddleRegion, 0}};
    std::vector<Sent> want = pair;
    for (auto [cell, value] : {std::pair{4, 86}, {3, 52}, {2, 18}}) {
        want.insert(want.end(), pair.begin(), pair.end());
        want.push_back({103, cell, value});
        want.push_back({104, cell, value});
    }
    EXPECT_EQ(sent(), want);

    click(w, "cmdClearAll");
    EXPECT_TRUE(field(w, "ReadSN").isEmpty());
    EXPECT_EQ(field(w, "txtWriteSN"), "1193046");
    bus.clearReceived();
    click(w, "cmdReadAll");
    EXPECT_EQ(field(w, "ReadSN"), "1193046");
    click(w, "BootK7K");
    EXPECT_EQ(sent().back(), (Sent{cmd::Restart, 0, 0}));
    w->close();
}

TEST_F(LowEepromWindowTest, ItReadsAgainWhenTheMainWindowShowsAnotherSensor) {
    addSensor(1);
    auto& second = addSensor(2);
    second.setCell(10, 120);
    start();
    form->show();
    LowEepromWindow* w = open();
    EXPECT_EQ(w->lblIDTag->text(), "Values of the sensor with ID Tag 1");
    EXPECT_EQ(field(w, "ReadTempCal"), "128");
    form->SensorID->setCurrentIndex(1);
    emit form->SensorID->activated(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->lblIDTag->text(), "Values of the sensor with ID Tag 2");
    EXPECT_EQ(field(w, "ReadTempCal"), "120");
    EXPECT_EQ(bus.countReceived(cmd::ReadEeprom, 2) >= 10, true);
    w->close();
}

}  // namespace
}  // namespace k7
