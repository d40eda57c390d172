#pragma once
// "Low EEPROM": the factory identity and calibration cells of the sensor addressed, read on
// opening, written where a value is typed. Not modal; the status poll goes on between its
// exchanges. The values shown always belong to the tag named above them.
#include <array>

#include "service/BenchWindow.h"
#include "service/LowEeprom.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace k7 {

class LowEepromWindow : public BenchWindow {
    Q_OBJECT
public:
    LowEepromWindow(Link& link, QWidget* mainWindow);

    // Clears the read column and reads all values of the sensor addressed now.
    void readAll();
    // The main window shows a sensor: read again when it is another one than the values are of.
    void sensorShown();

    std::array<QLineEdit*, kLowEepromRowCount> readFields{};
    std::array<QLineEdit*, kLowEepromRowCount> writeFields{};
    QLabel* lblIDTag = nullptr;
    QPushButton* cmdReadAll = nullptr;
    QPushButton* cmdClearAll = nullptr;
    QPushButton* BootK7K = nullptr;
    QPushButton* cmdWriteAll = nullptr;
    QPushButton* cmdExit = nullptr;

private:
    void clearReads();
    void writeAll();
    void message(const QString& text, const char* name);

    Link& link_;
    std::string tag_;  // whose values the read column shows
};

}  // namespace k7
