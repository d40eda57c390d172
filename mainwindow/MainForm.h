#pragma once
// The main window: the sensors found on the line and the selected sensor.
#include <QMainWindow>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace k7 {

struct Module2;
class GuiLinkUi;

class MainForm : public QMainWindow {
    Q_OBJECT
public:
    MainForm(Module2& m, GuiLinkUi& ui, std::string commandLine, QWidget* parent = nullptr);

    // The start-up sequence: command line, INI file, port, search, first sensor.
    void Form_Load();

    void stopStatusPoll();
    void showMessage(const QString& text);
    void clearSensorList();
    void addSensorToList(int tag);
    void setSingleSensorIdText(const QString& text);
    void SensorID_Click();

    // Controls named as the rest of the program and the tests know them.
    QLabel* lblIDTag = nullptr;
    QComboBox* SensorID = nullptr;
    QLineEdit* SingleSensorID = nullptr;
    QLabel* lblSensorsFound = nullptr;
    QLabel* Message = nullptr;
    QTimer* Timer3 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void showFoundSensors();

    Module2& m_;
    GuiLinkUi& ui_;
    std::string commandLine_;
    bool changeTracking_ = false;
};

}  // namespace k7
