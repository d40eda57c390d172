#pragma once
// Port selection window: Comm 1..4, "Comm" with a typed number, or a device the system reports
// (USB adapters, pseudo-terminals) or that the user types as a path.
#include <QDialog>

#include "link/PortNames.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QComboBox;
class QPushButton;

namespace k7 {

class PortWindow : public QDialog {
    Q_OBJECT
public:
    // `cancellable`: opened to change the port of a running program, the window offers
    // "Cancel" (and Esc) instead of "Exit Program".
    PortWindow(const PortChoice& current, const QString& message, QWidget* parent = nullptr,
               bool cancellable = false);

    // The port chosen with OK (valid only when exec() returned Accepted).
    PortChoice choice() const;
    bool exitChosen() const { return exitChosen_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void updateOk();
    void accept() override;
    void reject() override;

    QLabel* CommMessage_;
    QRadioButton* SelectComm_[6];
    QLineEdit* txtPortNum_;
    QRadioButton* SelectDevice_;
    QComboBox* cbDevice_;
    QPushButton* CommOK_;
    QPushButton* ExitCommand_;
    bool exitChosen_ = false;
    bool cancellable_ = false;
};

}  // namespace k7
