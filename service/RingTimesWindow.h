#pragma once
// The G615's ring times: ticks and milliseconds as read, and two columns the user adjusts with
// an additive and a multiplier to see what other values would come to. Not modal; reads only.
#include <array>

#include "link/Link.h"
#include "service/RingTimes.h"
#include "service/ServiceWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace k7 {

class RingTimesWindow : public ServiceWindow {
    Q_OBJECT
public:
    // `serialNumber` as the main window shows it.
    RingTimesWindow(const QString& serialNumber, QWidget* mainWindow);
    // Reads the fourteen times; false when the line is held elsewhere or a read got no reply.
    bool load(Link& link);

    std::array<QLineEdit*, kRingTimeRows> T1Ticks{};
    std::array<QLineEdit*, kRingTimeRows> T1mSec{};
    std::array<QLineEdit*, kRingTimeRows> PlusMs{};
    std::array<QLineEdit*, kRingTimeRows> MultMs{};
    QLineEdit* Additive = nullptr;
    QLineEdit* Multiplier = nullptr;
    QLabel* TimeAndDate = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void additiveChanged();
    void multiplierChanged();
};

}  // namespace k7
