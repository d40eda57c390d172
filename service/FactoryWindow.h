#pragma once
// "Factory Control": the manufacturer's bench for the sensor on screen. While it is open the
// status poll is off and the main window cannot be used (its own windows can), so every
// exchange on the line comes from here; both come back as they were when it closes.
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "service/BenchWindow.h"
#include "service/FactoryBench.h"
#include "service/FactoryHost.h"
#include "service/RepeatedTestWindow.h"
#include "status/StatusPoll.h"
#include "windows/DisabledWhileBusy.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k7 {

struct ProgramState;
struct Checked;

class FactoryWindow : public BenchWindow {
    Q_OBJECT
public:
    FactoryWindow(ProgramState& m, StatusPoll& poll, std::shared_ptr<FactoryHost> host,
                  QWidget* mainWindow);
    ~FactoryWindow() override;

    QLineEdit* CommandNum = nullptr;
    QPushButton* Command11 = nullptr;
    QLineEdit* SerNumFC = nullptr;
    QPushButton* Command6 = nullptr;
    QLineEdit* RevNumFC = nullptr;
    QPushButton* Command10 = nullptr;
    QLineEdit* SensorDescripFC = nullptr;
    QPushButton* SendSensorDescrip = nullptr;
    QLineEdit* WriteEEAdr = nullptr;
    QLineEdit* WriteEEdata = nullptr;
    QPushButton* WriteEE = nullptr;
    QLineEdit* ReadEEadr = nullptr;
    QLineEdit* ReadEEdata = nullptr;
    QLineEdit* ReadEEnext = nullptr;
    QPushButton* ReadEE = nullptr;
    QPushButton* Command1 = nullptr;  // enable all EEPROM writes
    QLineEdit* Text5 = nullptr;       // D/A value
    QPushButton* Command7 = nullptr;
    QLineEdit* OneByte = nullptr;
    QPushButton* SendAByte = nullptr;
    QLineEdit* SingleTempReading = nullptr;
    QPushButton* IncTempCalFC = nullptr;
    QPushButton* DecTempCalFC = nullptr;
    QLineEdit* CalTemperature = nullptr;
    QLineEdit* CalRange = nullptr;
    QPushButton* CalDistance = nullptr;
    QLabel* CalMessage = nullptr;
    QLineEdit* DecimalPlacesIn = nullptr;
    QPushButton* Text1 = nullptr;  // SkipCheckValues
    std::array<QLineEdit*, 5> txtCommandBytes{};
    QCheckBox* chkContinuously = nullptr;
    QPushButton* cmdSendCommand = nullptr;
    QPushButton* LegSequence = nullptr;
    QCheckBox* chkDisplayTemp = nullptr;
    QPushButton* GetPICRAM = nullptr;
    QPushButton* cmdIDTagTest = nullptr;
    QPushButton* BootK7K = nullptr;
    QPushButton* cmdExitFC = nullptr;

    RepeatedTestWindow* idTagTest() const { return test_; }

protected:
    void closing() override;

private:
    void buildLayout();
    void connectHandlers();
    void lockMainWindow(QWidget* mainWindow);
    // Runs a sequence on the line; refused with a beep while another of this window runs.
    void lineAction(void (FactoryWindow::*action)());
    // Shows the refusal of a typed value; true when there was one.
    bool refused(const Checked& c);
    void message(const QString& text, const char* name = "FactoryMessage");
    void reportCells(const CellsWritten& w, const QString& notSent = {});
    void showParameterBlock();

    void calibrateDistanceToField();
    void incrementTemperatureCal();
    void decrementTemperatureCal();
    void stepTemperatureCalValue(bool up);
    void sendSerialNumber();
    void readRevision();
    void sendCommandNumber();
    void writeEepromCell();
    void readEepromCell();
    void enableAllEepromWrites();
    void bootAddressedSensor();
    void saveRamDump();
    void sendDescription();
    void sendRawCommand();
    void runLegSequence();
    void sendByte();
    void displayTemperatureToggled();
    void decimalPlacesChanged();
    void toggleValidation();
    void openIdTagTest();

    ProgramState& m_;
    Link& link_;
    StatusPoll& poll_;
    std::shared_ptr<FactoryHost> host_;  // shared with the repeated test, which may outlive it
    std::optional<PollPause> pause_;
    std::optional<DisabledWhileBusy> mainLocked_;  // the main window's controls, while open
    Pacer pacer_;
    bool sequence_ = false;  // a line sequence of this window is running
    QPointer<RepeatedTestWindow> test_;
};

}  // namespace k7
