#include "service/SensitivityWarningWindow.h"

#include <QLabel>

#include "service/ThresholdChange.h"

namespace k7 {

SensitivityWarningWindow::SensitivityWarningWindow(QWidget* mainWindow)
    : WarningWindow({"frmChangeThreshWarning", "lblWarningMessage",
                     "Warning - Changing the sensitivity will temporarily change the output "
                     "current for the K-7700 sensor which is on line.",
                     "btnProceed", "&Proceed with Changing Sensitivity", "btnAbort",
                     "&Abort Changing Sensitivity"},
                    mainWindow) {
    lblExistingThreshold = addLine("lblExistingThreshold");
}

bool SensitivityWarningWindow::load(Link& link) {
    const auto code = readThresholdCode(link);
    if (!code) return false;
    lblExistingThreshold->setText(QString::fromStdString(existingThresholdText(*code)));
    return true;
}

}  // namespace k7
