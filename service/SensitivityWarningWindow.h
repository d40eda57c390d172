#pragma once
// The warning before a sensitivity change, with the sensor's present threshold.
#include "link/Link.h"
#include "service/ServiceWindow.h"

class QLabel;

namespace k7 {

class SensitivityWarningWindow : public WarningWindow {
    Q_OBJECT
public:
    explicit SensitivityWarningWindow(QWidget* mainWindow);
    // Reads the present threshold; false when no reply came (nothing to show).
    bool load(Link& link);
    bool warningAccepted() const { return proceedChosen(); }

    QLabel* lblExistingThreshold = nullptr;
};

}  // namespace k7
