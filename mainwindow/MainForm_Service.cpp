// The service tools of the Advanced Settings and Help menus.
#include <QLabel>
#include <QMessageBox>

#include "mainwindow/MainForm.h"
#include "service/G615RingTimes.h"
#include "service/frmAdjustThreshold.h"
#include "service/frmCalWarning.h"
#include "service/frmChangeThreshWarning.h"
#include "service/frmICal.h"
#include "service/frmK7KRev.h"
#include "settings/Module2.h"

namespace k7 {
namespace {

// On a G615 the cell that holds a K7700's threshold code holds the low byte of a ring time.
constexpr const char* kNoSensitivityOnG615 =
    "The sensitivity of a G-615 cannot be changed here: the EEPROM cell that holds the "
    "threshold of a K-7700 holds part of the LockBXdueBS ring time on a G-615.";

}  // namespace

void MainForm::CalCurrentMenu_Click() {
    if (!lineForUser()) return;
    frmCalWarning warning(this);
    warning.exec();
    if (!warning.CalWarningAccepted()) return;
    frmICal cal(m_.link, *this, this);
    cal.exec();
    raise();
    activateWindow();
}

void MainForm::mnuAdjustSenitivity_Click() {
    if (m_.SensorType == 4) {
        QMessageBox box(QMessageBox::Information, "Adjust Sensitivity", kNoSensitivityOnG615,
                        QMessageBox::Ok, this);
        box.setObjectName("NoSensitivityOnG615");
        box.exec();
        return;
    }
    if (!lineForUser()) return;
    frmChangeThreshWarning warning(this);
    if (!warning.Form_Load(m_.link)) return;
    warning.exec();
    if (!warning.ThreshWarningAccepted()) return;
    frmAdjustThreshold adjust(m_.link, *this, this);
    if (!adjust.Form_Load()) return;
    adjust.exec();
    raise();
    activateWindow();
}

void MainForm::menuRingTimes_Click() {
    // One window at a time: choosing the item again brings it to the front.
    if (auto* open = findChild<G615RingTimes*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    if (!lineForUser()) return;
    auto* window = new G615RingTimes(SerialNumber->text(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->Form_Load(m_.link)) {
        delete window;
        return;
    }
    window->show();
}

void MainForm::k7v_Click() {
    if (!lineForUser()) return;
    frmK7KRev version(this);
    // The tag the request goes to: in edit mode a tag typed but not programmed is not asked.
    if (!version.Form_Load(m_.link, QString::fromStdString(addressedTag()))) return;
    version.exec();
}

}  // namespace k7
