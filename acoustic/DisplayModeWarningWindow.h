#pragma once
// The warning before the display mode: entering it holds every output of the sensor at
// "No Echo", and leaving it restarts the sensor.
#include <QDialog>

#include "acoustic/ScopeContext.h"

class QPushButton;

namespace k7 {

class DisplayModeWarningWindow : public QDialog {
    Q_OBJECT
public:
    explicit DisplayModeWarningWindow(const ScopeContext& context);

    void enterDisplayMode();
    void abortDisplayMode() { close(); }

    QPushButton* EnterDisplay = nullptr;
    QPushButton* AbortDisplay = nullptr;

    // Esc is Abort too.
    void reject() override { close(); }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    ScopeContext context_;
    bool entered_ = false;
};

}  // namespace k7
