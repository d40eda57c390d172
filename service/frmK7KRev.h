#pragma once
// "K7700 Firmware Revision": which firmware the addressed sensor runs.
#include "link/Link.h"
#include "service/ServiceDialog.h"

class QLabel;
class QPushButton;

namespace k7 {

class frmK7KRev : public ServiceDialog {
    Q_OBJECT
public:
    explicit frmK7KRev(QWidget* mainWindow);
    // Asks the sensor addressed as `idTag`; false when no reply came.
    bool Form_Load(Link& link, const QString& idTag);

    QLabel* lblFWRev = nullptr;
    QPushButton* btnExitRev = nullptr;
};

}  // namespace k7
