// Every service window rendered as a user sees it (see support/WindowChecks.h), fitting the
// screen it is on: CTest runs these on a 1366 x 768 laptop at 125 % and a 1920 x 1080 screen
// at 200 % as well.
#include <gtest/gtest.h>

#include <QProgressBar>

#include "service/CalibrationWarningWindow.h"
#include "service/CalibrationWindow.h"
#include "service/FactoryWindow.h"
#include "service/FirmwareVersionWindow.h"
#include "service/LowEepromWindow.h"
#include "service/RingTimesWindow.h"
#include "service/SensitivityWarningWindow.h"
#include "service/SensitivityWindow.h"
#include "support/WindowChecks.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

class ServiceScreenshots : public test::ServiceFixture {
protected:
    void look(QWidget* w, const char* name) {
        w->show();
        QApplication::processEvents();
        test::shoot(w, name);
        test::expectFitsScreen(w);
    }
};

TEST_F(ServiceScreenshots, CalibrationAndSensitivity) {
    startWith();
    CalibrationWarningWindow calWarning(form.get());
    look(&calWarning, "service-cal-warning");
    CalibrationWindow cal(m.link, *form, form.get());
    look(&cal, "service-ical");
    cal.close();
    SensitivityWarningWindow threshWarning(form.get());
    ASSERT_TRUE(threshWarning.load(m.link));
    look(&threshWarning, "service-thresh-warning");
    SensitivityWindow adjust(m.link, *form, form.get());
    ASSERT_TRUE(adjust.load());
    look(&adjust, "service-adjust-threshold");
    // Half-way through a change.
    adjust.lblChangingThreshold->show();
    adjust.ProgressBar1->show();
    adjust.ProgressBar1->setValue(48);
    look(&adjust, "service-adjust-threshold-changing");
}

TEST_F(ServiceScreenshots, RingTimesAndFirmware) {
    startWith(4);
    RingTimesWindow ring(form->SerialNumber->text(), form.get());
    ASSERT_TRUE(ring.load(m.link));
    look(&ring, "service-ring-times");
    FirmwareVersionWindow version(form.get());
    ASSERT_TRUE(version.load(m.link, "1"));
    look(&version, "service-firmware");
}

TEST_F(ServiceScreenshots, FactoryBench) {
    startWith(0, 1, 25, {"5290318846"});
    form->factoryAction->trigger();
    auto* factory = form->findChild<FactoryWindow*>();
    ASSERT_NE(factory, nullptr);
    look(factory, "service-factory");
    factory->cmdIDTagTest->click();
    ASSERT_NE(factory->idTagTest(), nullptr);
    factory->idTagTest()->testNextSensor();
    look(factory->idTagTest(), "service-id-tag-test");
    factory->close();
    form->lowEepromAction->trigger();
    auto* low = form->findChild<LowEepromWindow*>();
    ASSERT_NE(low, nullptr);
    look(low, "service-low-eeprom");
    low->close();
}

}  // namespace
}  // namespace k7
