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
#include "status/LineOverviewWindow.h"
#include "status/Reading.h"
#include "status/StatusPoll.h"
#include "status/TrendWindow.h"

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

struct ProgramState;
struct ModelScreen;
struct SetupValues;
class GuiLinkUi;
class HistoryRecorder;
class ReadingLog;
class FilteredField;
class ToggleField;
struct ValidationFailure;

class MainWindow : public QMainWindow, public StatusPoll {
    Q_OBJECT
public:
    MainWindow(ProgramState& m, GuiLinkUi& ui, std::vector<std::string> arguments,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- start-up and end ---
    void load();
    bool loaded() const { return loaded_; }

    // --- hooks of the link ---
    void stopStatusPoll();
    // The status poll (statusTimer), for the sequences that pause it.
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
    void showUnitSelections();
    void showChosenSensor();
    void showG503Fields(const ModelScreen& shown);
    void applyModelVisibility();
    void setUnitInfoVisible(bool visible);
    void showNoEchoTime();
    void adjustAverageSamples();
    void showTemperatureRow();
    void showTemperature();
    void updateUnits();
    void updateTemperatureUnits();
    void setDistanceUnit(int unit);
    void setTemperatureUnit(int unit);

    // --- status ---
    void pollStatus();
    // One status exchange on the held line, then the display updated from it; false when no
    // reply came.
    bool statusExchange(Link::Hold held);
    void updateStatusData();
    void clearErrorMessage();
    void setStatusInfoVisible(bool visible);
    void resetSensorError();

    // --- editing, validation, programming ---
    void setEditMode(bool editing);
    void checkListsTick();
    void cancelEdit();
    void programFromScreen();
    void showErrorMessage(const QString& text);
    void clearErrorMarks();
    void markRed(const std::string& field);
    // False on a parse error (message shown). From the field itself (leaving it, Enter) that is
    // a field-level failure: the focus stays in the field.
    bool commitDistance(DistField f, bool fromField = false);

    // --- menus ---
    void useAutomaticTemperature();
    void usePresetTemperature();
    void saveCommHistoryToFile();
    // Setup files (MainWindow_Setup.cpp).
    void saveSetup();
    void recallSetupFile();
    void compareSetup();
    void printSetup();
    // Puts a setup on screen in edit mode, as a recalled setup file (nothing is written).
    void recallSetup(const SetupValues& values);
    // The change history (MainWindow_History.cpp): what the recorder learns from the screen, its
    // problems told in the message band, and File -> "Change History ...".
    void attachHistory(HistoryRecorder& recorder);
    void showChangeHistory();
    // What File -> Print puts on the page.
    QImage pageImage();
    // The commissioning report (MainWindow_Report.cpp).
    void writeReport();
    // The comm history and line health window.
    void showCommHistory();
    // Acoustic display (MainWindow_Acoustic.cpp).
    void openAcousticDisplay();
    // Advanced Settings: the port window; a port chosen there is searched at once.
    void changeCommPort();
    // Service tools (MainWindow_Service.cpp).
    void calibrateCurrent();
    void adjustSensitivity();
    void showRingTimes();
    void showFirmwareVersion();
    // Factory tools of the internal menu (MainWindow_Factory.cpp).
    void openFactoryControl();
    void openLowEeprom();
    void saveRamToFile();
    // The View menu: the whole line, the live trend and the data log (MainWindow_Line.cpp).
    void showLineOverview();
    void showTrend();
    void toggleCsvLog();
    // Starts logging the shown sensor's readings to `path`; false (error window shown) when
    // the file cannot be written.
    bool startCsvLog(const std::string& path);
    void stopCsvLog();
    // The status bar says where the readings are logged and how many rows so far, while they are.
    void showLogging();
    // Puts a sensor on screen as if chosen in the ID tag list.
    void showSensor(int tag);
    LineOverviewWindow* lineOverview() const { return overview_; }
    TrendWindow* trend() const { return trend_; }

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

    QTimer* listCheckTimer = nullptr;
    QTimer* statusTimer = nullptr;
    QTimer* postLoadTimer = nullptr;

    // Menus.
    QMenu* fileMenu = nullptr;
    QAction* saveSetupAction = nullptr;
    QAction* recallSetupAction = nullptr;
    QAction* compareSetupAction = nullptr;
    QAction* reportAction = nullptr;
    QAction* MenuChangeHistory = nullptr;
    QAction* printSetupAction = nullptr;
    QAction* printAction = nullptr;
    QAction* exitAction = nullptr;
    QMenu* unitsMenu = nullptr;
    QMenu* distanceUnitsMenu = nullptr;
    QAction* centimetresAction = nullptr;
    QAction* inchesAction = nullptr;
    QAction* feetAction = nullptr;
    QAction* metresAction = nullptr;
    QMenu* temperatureUnitsMenu = nullptr;
    QAction* celsiusAction = nullptr;
    QAction* fahrenheitAction = nullptr;
    QMenu* temperatureCompensationMenu = nullptr;
    QAction* automaticTemperatureAction = nullptr;
    QAction* presetTemperatureAction = nullptr;
    QMenu* diagnosticsMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QAction* resetErrorAction = nullptr;
    QAction* ringTimesAction = nullptr;
    QAction* calibrateCurrentAction = nullptr;
    QAction* acousticDisplayAction = nullptr;
    QAction* sensitivityAction = nullptr;
    QAction* commPortAction = nullptr;
    QAction* commHistoryAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* helpAction = nullptr;
    QAction* firmwareVersionAction = nullptr;
    QAction* aboutAction = nullptr;
    QMenu* internalMenu = nullptr;
    QAction* factoryAction = nullptr;
    QAction* lowEepromAction = nullptr;
    QAction* commToFileAction = nullptr;
    QAction* ramToFileAction = nullptr;
    QAction* commBeepAction = nullptr;
    QAction* colorsAction = nullptr;
    QMenu* viewMenu = nullptr;
    QAction* lineOverviewAction = nullptr;
    QAction* trendAction = nullptr;
    QAction* logCsvAction = nullptr;

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

    ProgramState& m_;
    GuiLinkUi& ui_;
    std::vector<std::string> arguments_;  // the command line's switches
    bool loaded_ = false;
    QPointer<QWidget> errorField_;      // the field whose check failed and keeps the focus
    bool sensorChangePending_ = false;  // a sensor choice waits for the line
    QString doneText_;                  // the message band says what worked
    bool programming_ = false;          // writeAllUserEeprom addresses the line itself
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
    QPointer<LineOverviewWindow> overview_;
    QPointer<TrendWindow> trend_;
    std::unique_ptr<ReadingLog> log_;
    HistoryRecorder* history_ = nullptr;
    std::string setupAsRead_;  // the last settings read, as the change history keeps setups
    void showHistoryProblem(const QString& text);
};

}  // namespace k7
