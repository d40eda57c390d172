// Every service window rendered as a user sees it (see support/WindowChecks.h), fitting the
// screen it is on: CTest runs these on a 1366 x 768 laptop at 125 % and a 1920 x 1080 screen
// at 200 % as well.
#include <gtest/gtest.h>

#include <QProgressBar>

#include "service/G615RingTimes.h"
#include "service/frmAdjustThreshold.h"
#include "service/frmCalWarning.h"
#include "service/frmChangeThreshWarning.h"
#include "service/frmFactory.h"
#include "service/frmICal.h"
#include "service/frmK7KRev.h"
#include "service/frmLowEEPROM.h"
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
    frmCalWarning calWarning(form.get());
    look(&calWarning, "service-cal-warning");
    frmICal cal(m.link, *form, form.get());
    look(&cal, "service-ical");
    cal.close();
    frmChangeThreshWarning threshWarning(form.get());
    ASSERT_TRUE(threshWarning.Form_Load(m.link));
    look(&threshWarning, "service-thresh-warning");
    frmAdjustThreshold adjust(m.link, *form, form.get());
    ASSERT_TRUE(adjust.Form_Load());
    look(&adjust, "service-adjust-threshold");
    // Half-way through a change.
    adjust.lblChangingThreshold->show();
    adjust.ProgressBar1->show();
    adjust.ProgressBar1->setValue(48);
    look(&adjust, "service-adjust-threshold-changing");
}

TEST_F(ServiceScreenshots, RingTimesAndFirmware) {
    startWith(4);
    G615RingTimes ring(form->SerialNumber->text(), form.get());
    ASSERT_TRUE(ring.Form_Load(m.link));
    look(&ring, "service-ring-times");
    frmK7KRev version(form.get());
    ASSERT_TRUE(version.Form_Load(m.link, "1"));
    look(&version, "service-firmware");
}

TEST_F(ServiceScreenshots, FactoryBench) {
    startWith(0, 1, 25, {"5290318846"});
    form->FactoryMenu->trigger();
    auto* factory = form->findChild<frmFactory*>();
    ASSERT_NE(factory, nullptr);
    look(factory, "service-factory");
    factory->cmdIDTagTest->click();
    ASSERT_NE(factory->idTagTest(), nullptr);
    factory->idTagTest()->tmrTest_Timer();
    look(factory->idTagTest(), "service-id-tag-test");
    factory->close();
    form->mnuLowEEPROM->trigger();
    auto* low = form->findChild<frmLowEEPROM*>();
    ASSERT_NE(low, nullptr);
    look(low, "service-low-eeprom");
    low->close();
}

}  // namespace
}  // namespace k7
