#pragma once
// The sensitivity window: the five thresholds, the present one selected; choosing another
// writes it, restarts the sensor and shows the change's progress for at least 2.5 seconds.
#include <array>
#include <optional>

#include "link/Link.h"
#include "service/ServiceWindow.h"
#include "service/StopWatch.h"
#include "status/StatusPoll.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace k7 {

class SensitivityWindow : public ServiceWindow {
    Q_OBJECT
public:
    SensitivityWindow(Link& link, StatusPoll& poll, QWidget* mainWindow);
    // Reads the present threshold and selects its option; false when no reply came.
    bool load();
    void updateProgress();
    void done(int result) override;

    std::array<QRadioButton*, 5> opThresh{};
    QLabel* lblChangingThreshold = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    void thresholdChosen(int index);
    void showCode(std::optional<int> code);

    Link& link_;
    StatusPoll& poll_;
    StopWatch watch_;
    std::optional<int> code_;  // what the sensor holds, as far as we know
    bool ready_ = false;
    bool changing_ = false;
};

}  // namespace k7
