#pragma once
// The window shown when a sensor stops answering. It can only be left through its buttons:
// "&Re-establish communications" (status poll only) or "E&xit Program". A close forced by the
// system counts as Exit, so the interrupted read never hangs.
#include <QDialog>

#include "link/LinkUi.h"

class QLabel;
class QPushButton;

namespace k7 {

inline constexpr const char* kNoCommText =
    "Unable to communicate with the K-7700 Sensor. Ensure that the K-7700 Sensor is powered and "
    "that connections between the K-7700 Sensor and the computer are intact. ";
inline constexpr const char* kRestartNeededText = "Re-starting this computer program is necessary.";
inline constexpr const char* kDeviceGoneText =
    "The serial device has gone away (%1). Plug the adapter back in, then choose "
    "\"Re-establish communications\".";

class NoCommWindow : public QDialog {
    Q_OBJECT
public:
    // `deviceGone` (when not empty) says why the serial device went away; Retry then opens it
    // again.
    NoCommWindow(bool statusPollBusy, const QString& deviceGone = {}, QWidget* parent = nullptr);
    NoCommChoice choice() const {
        return retryRequested_ ? NoCommChoice::Retry : NoCommChoice::Exit;
    }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Esc does nothing

private:
    bool retryRequested_ = false;
};

}  // namespace k7
