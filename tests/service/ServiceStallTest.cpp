// Every service tool keeps the window answering while it holds the line: no step stops the
// event loop for longer than 100 ms of line time, restarts included.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>

#include "service/CalibrationWindow.h"
#include "service/FactoryWindow.h"
#include "service/FirmwareVersionWindow.h"
#include "service/LowEepromWindow.h"
#include "service/RepeatedTestWindow.h"
#include "service/RingTimesWindow.h"
#include "service/SensitivityWindow.h"
#include "support/StallDetector.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::kLongestStallMs;

class ServiceStalls : public test::ServiceFixture {
protected:
    test::StallDetector stalls{clock};

    std::int64_t worst(const char* what, const std::function<void()>& action) {
        return stalls.worstMs(what, action);
    }
    static void set(QWidget* window, const char* name, const QString& text) {
        child<QLineEdit>(window, name)->setText(text);
    }
};

TEST_F(ServiceStalls, CalibrationAndSensitivity) {
    startWith();
    s->setCell(8, 15);
    s->setCell(9, 160);
    {
        CalibrationWindow cal(m.link, *form, form.get());
        EXPECT_LE(worst("calibration: open", [&] { cal.show(); }), kLongestStallMs);
        EXPECT_LE(worst("calibration: increase", [&] { click(&cal, "IncCurrent"); }),
                  kLongestStallMs);
        EXPECT_LE(worst("calibration: restore defaults", [&] { click(&cal, "RestoreDefaults"); }),
                  kLongestStallMs);
        EXPECT_LE(worst("calibration: exit", [&] { click(&cal, "ICalExit"); }), kLongestStallMs);
        EXPECT_FALSE(cal.isVisible());
    }
    SensitivityWindow adjust(m.link, *form, form.get());
    ASSERT_TRUE(adjust.load());
    adjust.show();
    EXPECT_LE(worst("sensitivity change", [&] { click(&adjust, "opThresh(3)"); }), kLongestStallMs);
    EXPECT_EQ(s->cell(30), 11);
}

TEST_F(ServiceStalls, RingTimesAndFirmware) {
    startWith(4);
    RingTimesWindow ring(form->SerialNumber->text(), form.get());
    EXPECT_LE(worst("ring times", [&] { ASSERT_TRUE(ring.load(m.link)); }), kLongestStallMs);
    FirmwareVersionWindow version(form.get());
    EXPECT_LE(worst("firmware version", [&] { ASSERT_TRUE(version.load(m.link, "1")); }),
              kLongestStallMs);
}

TEST_F(ServiceStalls, FactoryBenchLowEepromAndIdTagTest) {
    startWith(0, 1, 25, {"5290318846"});
    struct InFolder {  // PICRAM.txt goes to the current folder
        QString before = QDir::currentPath();
        explicit InFolder(const QString& d) { QDir::setCurrent(d); }
        ~InFolder() { QDir::setCurrent(before); }
    } folder(dir.path());
    form->factoryAction->trigger();
    auto* f = form->findChild<FactoryWindow*>();
    ASSERT_NE(f, nullptr);
    s->setTargetInches(15);
    EXPECT_LE(worst("factory: calibrate distance", [&] { click(f, "CalDistance"); }),
              kLongestStallMs);
    EXPECT_LE(worst("factory: temperature cal", [&] { click(f, "IncTempCalFC"); }),
              kLongestStallMs);
    set(f, "SerNumFC", "70000");
    EXPECT_LE(worst("factory: serial number", [&] { click(f, "Command6"); }), kLongestStallMs);
    set(f, "SensorDescripFC", "AB");
    whenWindowOpens("DescriptionWarning",
                    [](QWidget* box) { static_cast<QMessageBox*>(box)->done(QMessageBox::Yes); });
    EXPECT_LE(worst("factory: description", [&] { click(f, "SendSensorDescrip"); }),
              kLongestStallMs);
    EXPECT_LE(worst("factory: boot", [&] { click(f, "BootK7K"); }), kLongestStallMs);
    EXPECT_LE(worst("factory: RAM dump", [&] { click(f, "GetPICRAM"); }), kLongestStallMs);
    set(f, "OneByte", "9");
    EXPECT_LE(worst("factory: line pattern", [&] { click(f, "SendAByte"); }), kLongestStallMs);
    EXPECT_LE(worst("factory: leg sequence", [&] { click(f, "LegSequence"); }), kLongestStallMs);
    click(f, "cmdIDTagTest");
    RepeatedTestWindow* t = f->idTagTest();
    ASSERT_NE(t, nullptr);
    t->tmrTest->stop();
    EXPECT_LE(worst("ID tag test: status", [&] { t->testNextSensor(); }), kLongestStallMs);
    EXPECT_LE(worst("ID tag test: programming", [&] { t->testNextSensor(); }), kLongestStallMs);
    t->close();
    f->close();

    form->lowEepromAction->trigger();
    auto* low = form->findChild<LowEepromWindow*>();
    ASSERT_NE(low, nullptr);
    EXPECT_LE(worst("low EEPROM: read all", [&] { click(low, "cmdReadAll"); }), kLongestStallMs);
    low->writeFields[4]->setText("7");
    EXPECT_LE(worst("low EEPROM: write", [&] { click(low, "cmdWriteAll"); }), kLongestStallMs);
    EXPECT_LE(worst("low EEPROM: boot", [&] { click(low, "BootK7K"); }), kLongestStallMs);
    low->close();
}

}  // namespace
}  // namespace k7
