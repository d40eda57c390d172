#pragma once
// The main window: the live status of the selected sensor beside its settings as entry
// fields, the edit mode, and the menus. Controls carry the names the rest of the program
// (and the tests) know them by.
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "link/Link.h"
#include "settings/ScreenValues.h"
#include "settings/Units.h"
#include "status/Reading.h"
#include "status/StatusPoll.h"
#include "status/frmLineOverview.h"
#include "status/frmTrend.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QWidget;
class QGridLayout;
class QScrollArea;

namespace k7 {

struct Module2;
struct ModelScreen;
struct SetupValues;
class GuiLinkUi;
class HistoryRecorder;
class ReadingLog;
class FilteredField;
class ToggleField;
struct ValidationFailure;

class MainForm : public QMainWindow, public StatusPoll {
    Q_OBJECT
public:
    MainForm(Module2& m, GuiLinkUi& ui, std::vector<std::string> arguments,
             QWidget* parent = nullptr);
    ~MainForm() override;

    // --- start-up and end ---
    void Form_Load();
    bool loaded() const { return loaded_; }

    // --- hooks of the link ---
    void stopStatusPoll();
    // The status poll (Timer3), for the sequences that pause it.
    bool pollRunning() const override;
    void stopPoll() override { stopStatusPoll(); }
    void resumePoll() override;
    void showMessage(const QString& text);
    // The sensor restarts (or has restarted): said on the message band.
    void showRestarting(bool restarting);
    void clearSensorList();
    void addSensorToList(int tag);
    void setSingleSensorIdText(const QString& text);
    // The tag requests go to: the ID field's text, except in edit mode, where the field holds
    // the tag the user means to give the sensor and requests go to the sensor on screen
    // (while programming, which re-addresses the line itself as it changes the tag).
    std::string addressedTag() const;

    // --- settings on screen ---
    ScreenValues screenValues() const;
    void applyScreenValues(const ScreenValues& v);
    void refillScreen(const ScreenValues& v);  // applyScreenValues, not counted as an edit
    void ShowUnitSelections();
    void SensorID_Click();
    void G503Visibility(const ModelScreen& shown);
    void Visibility();
    void UnitInfoVisibility(bool visible);
    void ShowNoEchoTime();
    void AdjustAverageSamples();
    void ShowTemperatureRow();
    void ShowTemperature();
    void UpdateUnits();
    void UpdateTemperatureUnits();
    void setDistanceUnit(int unit);
    void setTemperatureUnit(int unit);

    // --- status ---
    void Timer3_Timer();
    // One status exchange on the held line, then the display updated from it; false when no
    // reply came.
    bool StatusExchange(Link::Hold held);
    void UpdateStatusData();
    void ClearErrorMessage();
    void StatusInfoVisibility(bool visible);
    void ResetError_Click();

    // --- editing, validation, programming ---
    void EditMode(bool editing);
    void Timer1_Timer();
    void cmdCancelEdit_Click();
    void ProgramModule_Click();
    void ShowErrMsg(const QString& text);
    void RedOut();
    void markRed(const std::string& field);
    // False on a parse error (message shown). From the field itself (leaving it, Enter) that is
    // a field-level failure: the focus stays in the field.
    bool commitDistance(DistField f, bool fromField = false);

    // --- menus ---
    void menuAutoTemp_Click();
    void menuPresetTemp_Click();
    void CommToFile_Click();
    // Setup files (MainForm_Setup.cpp).
    void MenuSave_Click();
    void MenuRecall_Click();
    void MenuCompare_Click();
    void MenuPrint_Click();
    // Puts a setup on screen in edit mode, as a recalled setup file (nothing is written).
    void recallSetup(const SetupValues& values);
    // The change history (MainForm_History.cpp): what the recorder learns from the screen, its
    // problems told in the message band, and File -> "Change History ...".
    void attachHistory(HistoryRecorder& recorder);
    void MenuChangeHistory_Click();
    // What File -> Print puts on the page.
    QImage pageImage();
    // The commissioning report (MainForm_Report.cpp).
    void MenuReport_Click();
    // The comm history and line health window.
    void menuCommHistory_Click();
    // Acoustic display (MainForm_Acoustic.cpp).
    void ScopeMode_Click();
    // Advanced Settings: the port window; a port chosen there is searched at once.
    void menuCommPort_Click();
    // Service tools (MainForm_Service.cpp).
    void CalCurrentMenu_Click();
    void mnuAdjustSenitivity_Click();
    void menuRingTimes_Click();
    void k7v_Click();
    // Factory tools of the internal menu (MainForm_Factory.cpp).
    void FactoryMenu_Click();
    void mnuLowEEPROM_Click();
    void MenuPicRamToFile_Click();
    // The View menu: the whole line, the live trend and the data log (MainForm_Line.cpp).
    void mnuLineOverview_Click();
    void mnuTrend_Click();
    void mnuLogCsv_Click();
    // Starts logging the shown sensor's readings to `path`; false (error window shown) when
    // the file cannot be written.
    bool startCsvLog(const std::string& path);
    void stopCsvLog();
    // The status bar says where the readings are logged and how many rows so far, while they are.
    void showLogging();
    // Puts a sensor on screen as if chosen in the ID tag list.
    void showSensor(int tag);
    frmLineOverview* lineOverview() const { return overview_; }
    frmTrend* trend() const { return trend_; }

    // Controls, by their program names.
    QLabel* Label1 = nullptr;     // status title
    QLabel* lblSensor = nullptr;  // under it: the sensor on screen
    QLabel* lblAvgDist = nullptr;
    QLabel* AvgDist = nullptr;
    std::array<QLabel*, 6> LabelUnits{};
    QLabel* Label4 = nullptr;  // "Temperature:"
    QLabel* Temperature = nullptr;
    QLabel* LabelTempUnits = nullptr;
    QLabel* Label6 = nullptr;  // "Current OUTPUT:"
    QLabel* CurrentOut = nullptr;
    QLabel* Label39 = nullptr;  // "mA"
    QLabel* lblMinOut = nullptr;
    QLabel* MinOut = nullptr;
    QLabel* lblMaxOut = nullptr;
    QLabel* MaxOut = nullptr;
    QLabel* lblTargOut = nullptr;
    QLabel* TargOut = nullptr;
    QLabel* lblTargetStrength = nullptr;
    QLabel* TargetStrength = nullptr;
    QLabel* Label42 = nullptr;  // "%"
    QLabel* lblSerialNumber = nullptr;
    QLabel* SerialNumber = nullptr;
    QLabel* FactoryDescription = nullptr;
    QLabel* lblIDTag = nullptr;
    QComboBox* SensorID = nullptr;
    FilteredField* SingleSensorID = nullptr;

    QLabel* Label11 = nullptr;  // current-loop group title
    QLabel* LowCurrentDistance = nullptr;
    FilteredField* Dist04 = nullptr;
    QLabel* Label13 = nullptr;  // "&20 mA Distance:"
    FilteredField* Dist20 = nullptr;
    QLabel* Label12 = nullptr;  // "&OUTPUT Span:"
    QComboBox* OutputSpan = nullptr;
    QLabel* Label8 = nullptr;  // "&No Echo OUTPUT Current:"
    QComboBox* NoTargetCurrent = nullptr;
    QLabel* Label43 = nullptr;  // "mA"
    QLabel* Label18 = nullptr;  // "Ma&ximum Range:"
    FilteredField* UserMaxRange = nullptr;

    QLabel* lblCloseSetPoint = nullptr;
    FilteredField* CloseSetPoint = nullptr;
    QLabel* lblFarSetPoint = nullptr;
    FilteredField* FarSetPoint = nullptr;
    ToggleField* CloseMinLL = nullptr;
    QComboBox* cbMidMinLL = nullptr;
    ToggleField* FarMinLL = nullptr;
    ToggleField* NoEchoMinLL = nullptr;
    ToggleField* CloseMaxLL = nullptr;
    QComboBox* cbMidMaxLL = nullptr;
    ToggleField* FarMaxLL = nullptr;
    ToggleField* NoEchoMaxLL = nullptr;
    QLabel* lblHysteresis = nullptr;
    FilteredField* Hysteresis1 = nullptr;
    QLabel* lblPercent = nullptr;

    QLabel* lblSampleRate = nullptr;
    FilteredField* SampleRate1 = nullptr;
    QLabel* lblSamplesPerSec = nullptr;
    QLabel* lblAverage = nullptr;
    QComboBox* AverageSamples = nullptr;
    QLabel* lblSamples = nullptr;
    QLabel* lblAverageType = nullptr;
    QComboBox* AverageType = nullptr;
    QLabel* Label23 = nullptr;  // "Trigger &Mode:"
    QComboBox* TriggerMode = nullptr;
    QLabel* DelayLabel1 = nullptr;
    FilteredField* TriggerDelay = nullptr;
    QLabel* DelayLabel2 = nullptr;
    QLabel* lblPresetTemp = nullptr;
    FilteredField* ManualTemperature = nullptr;
    QLabel* TempUnits1 = nullptr;

    QLabel* Label36 = nullptr;  // "Echo Status OUTPUT &with No Echo:"
    ToggleField* TargLL = nullptr;
    QLabel* lblNoEchoTimeout = nullptr;
    FilteredField* NoEchoTimeout = nullptr;
    QLabel* LblNoEchoTO = nullptr;
    QLabel* lblUserDescription = nullptr;
    FilteredField* UserDescription = nullptr;

    QLabel* Message = nullptr;
    QLabel* EditModeLabel = nullptr;
    QPushButton* ProgramModule = nullptr;
    QPushButton* cmdCancelEdit = nullptr;
    QPushButton* cmdSWTrigger = nullptr;
    QPushButton* ResetErr = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* tmrPostLoadCode = nullptr;

    // Menus.
    QMenu* MenuFile = nullptr;
    QAction* MenuSave = nullptr;
    QAction* MenuRecall = nullptr;
    QAction* MenuCompare = nullptr;
    QAction* MenuReport = nullptr;
    QAction* MenuChangeHistory = nullptr;
    QAction* PrintSetup = nullptr;
    QAction* MenuPrint = nullptr;
    QAction* MenuExit = nullptr;
    QMenu* menuUnits = nullptr;
    QMenu* menuDistUnits = nullptr;
    QAction* menuCm = nullptr;
    QAction* menuIn = nullptr;
    QAction* menuFt = nullptr;
    QAction* menuM = nullptr;
    QMenu* menuTempUnits = nullptr;
    QAction* menuCelsius = nullptr;
    QAction* menuFahrenheit = nullptr;
    QMenu* menuTempComp = nullptr;
    QAction* menuAutoTemp = nullptr;
    QAction* menuPresetTemp = nullptr;
    QMenu* mnuDiagnostics = nullptr;
    QMenu* MenuTools = nullptr;
    QAction* ResetError = nullptr;
    QAction* menuRingTimes = nullptr;
    QAction* CalCurrentMenu = nullptr;
    QAction* ScopeMode = nullptr;
    QAction* mnuAdjustSenitivity = nullptr;
    QAction* menuCommPort = nullptr;
    QAction* menuCommHistory = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* HelpSystem = nullptr;
    QAction* k7v = nullptr;
    QAction* MenuAbout = nullptr;
    QMenu* InternalMenu = nullptr;
    QAction* FactoryMenu = nullptr;
    QAction* mnuLowEEPROM = nullptr;
    QAction* CommToFile = nullptr;
    QAction* MenuPicRamToFile = nullptr;
    QAction* menuCommBeep = nullptr;
    QAction* HalvoColors = nullptr;
    QMenu* menuView = nullptr;
    QAction* mnuLineOverview = nullptr;
    QAction* mnuTrend = nullptr;
    QAction* mnuLogCsv = nullptr;

signals:
    // Every status reply the poll decoded (not the ignored ones), of the sensor on screen.
    void statusRead(const k7::StatusReading& reading);

signals:
    // A sensor's settings were read into the screen.
    void sensorShown();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildStatusPanel(QWidget* parent, QGridLayout* grid);
    QWidget* buildCurrentLoopGroup();
    QWidget* buildSetpointGroup();
    QWidget* buildSamplingGroup();
    QWidget* buildEchoGroup();
    void buildBottom(QWidget* parent, QGridLayout* grid);
    void buildMenus();
    void buildViewMenu();
    void connectFields();
    void fillFixedLists();
    void startUp();
    // After a search: the sensor last worked with (or the first found) read into the screen,
    // and the ID tag shown as a list of the tags found or as the one tag.
    void showSensorsFound();

    void distanceFieldLeft(DistField f, Qt::FocusReason reason);
    void fieldLeft(const char* field, Qt::FocusReason reason);
    void holdFieldError(QWidget* w, const ValidationFailure& f);
    bool fieldErrorHolds();
    void dropFieldError();
    bool leavingForCancel(Qt::FocusReason reason) const;
    void flashMeasuredTemperature();
    void commitPresetTemperature();
    void listFocusChanged(bool gained);
    void checkListsForEdit();
    void refreshCurrentLoopCaption();
    void setInternalMenuVisible(bool visible);
    // The Diagnostics menu, once start-up allows it, when it holds an item for the sensor shown.
    void showDiagnosticsMenu();
    void applyTypeExtras();
    void setCaption(QLabel* label, const QString& text);
    void setMessageBand(bool red);  // the message line: opaque red or transparent
    // The window title and the status heading name the sensor on screen (ID tag and model)
    // and say when the sensors are simulated.
    void updateSensorCaptions();
    // The first field of the screen (the ID tag) gets the keyboard.
    void focusFirstField();
    // Sized to what it shows, within the screen; scrolls where the screen is smaller.
    void fitToScreen();
    // The size the window wants for what it shows now, within the screen.
    QSize wantedSize() const;
    // Grows (within the screen) when what it shows has grown: a row shown, a longer message.
    void growToContent();
    // A message that something worked, on a quiet band, until the next change.
    void showDoneMessage(const QString& text);
    // The sensor list holds the tag on screen, chosen: after a read, a refused choice or an
    // ID tag change.
    void syncSensorList();
    // The line for something the user asked for; empty (with a beep) while another exchange
    // holds it, so nothing the user does runs inside it.
    Link::Hold lineForUser();
    FilteredField* distWidget(DistField f) const;
    QWidget* fieldByName(const std::string& name) const;

    Module2& m_;
    GuiLinkUi& ui_;
    std::vector<std::string> arguments_;  // the command line's switches
    bool loaded_ = false;
    QPointer<QWidget> errorField_;      // the field whose check failed and keeps the focus
    bool sensorChangePending_ = false;  // a sensor choice waits for the line
    QString doneText_;                  // the message band says what worked
    bool programming_ = false;          // WriteAllUserEEPROM addresses the line itself
    QTimer* messageFlash_ = nullptr;    // ends the short show of the measured temperature
    QScrollArea* scroll_ = nullptr;     // the groups
    QWidget* bottom_ = nullptr;         // the message band and the edit-mode row
    QLabel* lblLogging_ = nullptr;      // in the status bar while logging
    QSize lastWanted_;                  // what the window last wanted
    bool growPending_ = false;
    bool diagnosticsAllowed_ = false;    // the search found an acoustic-capable sensor
    QLabel* lblStatusPaused_ = nullptr;  // the line overview reads the line meanwhile
    QWidget* statusPanel_ = nullptr;
    QGridLayout* statusGrid_ = nullptr;
    QPointer<frmLineOverview> overview_;
    QPointer<frmTrend> trend_;
    std::unique_ptr<ReadingLog> log_;
    HistoryRecorder* history_ = nullptr;
    std::string setupAsRead_;  // the last settings read, as the change history keeps setups
    void showHistoryProblem(const QString& text);
};

}  // namespace k7
