#pragma once
// The current-loop calibration window. Opening it puts the sensor into calibration mode at the
// 3.5 mA point (once per opening, however often the window is activated); closing it in any
// way takes the sensor out of that mode, restarts it and gives the status poll back.
#include <array>

#include "service/CurrentCalibration.h"
#include "service/ServiceWindow.h"

class QPushButton;
class QRadioButton;

namespace k7 {

class CalibrationWindow : public ServiceWindow {
    Q_OBJECT
public:
    CalibrationWindow(Link& link, StatusPoll& poll, QWidget* mainWindow);

    std::array<QRadioButton*, 4> opCalCurrent{};
    QRadioButton* Coarse = nullptr;
    QRadioButton* Fine = nullptr;
    QPushButton* IncCurrent = nullptr;
    QPushButton* DecCurrent = nullptr;
    QPushButton* RestoreDefaults = nullptr;
    QPushButton* ICalExit = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void startCalibrationOnce();
    void calibrationPointChosen(int index);
    void restoreCalibrationDefaults();
    void showPoint();

    CurrentCalibration cal_;
    bool activated_ = false;
};

}  // namespace k7
