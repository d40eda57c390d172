// Every service window rendered as a user sees it (see support/WindowChecks.h).
#include <gtest/gtest.h>

#include <QProgressBar>

#include "service/G615RingTimes.h"
#include "service/frmAdjustThreshold.h"
#include "service/frmCalWarning.h"
#include "service/frmChangeThreshWarning.h"
#include "service/frmICal.h"
#include "service/frmK7KRev.h"
#include "support/WindowChecks.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

class ServiceScreenshots : public test::ServiceFixture {
protected:
    void look(QWidget* w, const char* name) {
        w->show();
        test::save(w, name);
        test::expectNothingClipped(w);
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

}  // namespace
}  // namespace k7
