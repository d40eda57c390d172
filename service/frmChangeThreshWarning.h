#pragma once
// The warning before a sensitivity change, with the sensor's present threshold.
#include "link/Link.h"
#include "service/ServiceDialog.h"

class QLabel;

namespace k7 {

class frmChangeThreshWarning : public WarningDialog {
    Q_OBJECT
public:
    explicit frmChangeThreshWarning(QWidget* mainWindow);
    // Reads the present threshold; false when no reply came (nothing to show).
    bool Form_Load(Link& link);
    bool ThreshWarningAccepted() const { return proceedChosen(); }

    QLabel* lblExistingThreshold = nullptr;
};

}  // namespace k7
