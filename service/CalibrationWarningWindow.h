#pragma once
// The warning before the current-loop calibration.
#include "service/ServiceWindow.h"

namespace k7 {

class CalibrationWarningWindow : public WarningWindow {
    Q_OBJECT
public:
    explicit CalibrationWarningWindow(QWidget* mainWindow);
    bool warningAccepted() const { return proceedChosen(); }
};

}  // namespace k7
