#pragma once
// The warning before the current-loop calibration.
#include "service/ServiceDialog.h"

namespace k7 {

class frmCalWarning : public WarningDialog {
    Q_OBJECT
public:
    explicit frmCalWarning(QWidget* mainWindow);
    bool CalWarningAccepted() const { return proceedChosen(); }
};

}  // namespace k7
