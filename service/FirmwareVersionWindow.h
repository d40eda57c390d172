#pragma once
// "K7700 Firmware Revision": which firmware the addressed sensor runs.
#include "link/Link.h"
#include "service/ServiceWindow.h"

class QLabel;
class QPushButton;

namespace k7 {

class FirmwareVersionWindow : public ServiceWindow {
    Q_OBJECT
public:
    explicit FirmwareVersionWindow(QWidget* mainWindow);
    // Asks the sensor addressed as `idTag`; false when no reply came.
    bool load(Link& link, const QString& idTag);

    QLabel* lblFWRev = nullptr;
    QPushButton* btnExitRev = nullptr;
};

}  // namespace k7
