#include "service/CalibrationWarningWindow.h"

namespace k7 {

CalibrationWarningWindow::CalibrationWarningWindow(QWidget* mainWindow)
    : WarningWindow({"frmCalWarning", "WarningMessage",
                     "Warning - Calibrating the current will temporarily change the output "
                     "current for the K-7700 sensor which is on line.",
                     "ContinueCal", "&Proceed with Calibration", "AbortCal", "&Abort Calibration"},
                    mainWindow) {}

}  // namespace k7
