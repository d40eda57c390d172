// The service tools of the Advanced Settings and Help menus.
#include <QLabel>
#include <QMessageBox>

#include "mainwindow/MainWindow.h"
#include "service/CalibrationWarningWindow.h"
#include "service/CalibrationWindow.h"
#include "service/FirmwareVersionWindow.h"
#include "service/RingTimesWindow.h"
#include "service/SensitivityWarningWindow.h"
#include "service/SensitivityWindow.h"
#include "settings/ProgramState.h"

namespace k7 {
namespace {

// On a G615 the cell that holds a K7700's threshold code holds the low byte of a ring time.
constexpr const char* kNoSensitivityOnG615 =
    "The sensitivity of a G-615 cannot be changed here: the EEPROM cell that holds the "
    "threshold of a K-7700 holds part of the LockBXdueBS ring time on a G-615.";

}  // namespace

void MainWindow::calibrateCurrent() {
    if (!lineForUser()) return;
    CalibrationWarningWindow warning(this);
    warning.exec();
    if (!warning.warningAccepted()) return;
    CalibrationWindow cal(m_.link, *this, this);
    cal.exec();
    raise();
    activateWindow();
}

void MainWindow::adjustSensitivity() {
    if (m_.sensorType == 4) {
        QMessageBox box(QMessageBox::Information, "Adjust Sensitivity", kNoSensitivityOnG615,
                        QMessageBox::Ok, this);
        box.setObjectName("NoSensitivityOnG615");
        box.exec();
        return;
    }
    if (!lineForUser()) return;
    SensitivityWarningWindow warning(this);
    if (!warning.load(m_.link)) return;
    warning.exec();
    if (!warning.warningAccepted()) return;
    SensitivityWindow adjust(m_.link, *this, this);
    if (!adjust.load()) return;
    adjust.exec();
    raise();
    activateWindow();
}

void MainWindow::showRingTimes() {
    // One window at a time: choosing the item again brings it to the front.
    if (auto* open = findChild<RingTimesWindow*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    if (!lineForUser()) return;
    auto* window = new RingTimesWindow(SerialNumber->text(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->load(m_.link)) {
        delete window;
        return;
    }
    window->show();
}

void MainWindow::showFirmwareVersion() {
    if (!lineForUser()) return;
    FirmwareVersionWindow version(this);
    // The tag the request goes to: in edit mode a tag typed but not programmed is not asked.
    if (!version.load(m_.link, QString::fromStdString(addressedTag()))) return;
    version.exec();
}

}  // namespace k7
