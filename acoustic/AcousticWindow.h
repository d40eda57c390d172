#pragma once
// The acoustic display: captures the sensor's echo record in the chosen gain, plots it against
// distance with the detection threshold and the marks of its analysis beside the analysis
// itself, keeps the sensor in display mode between captures, saves, recalls and exports
// records, compares the record with a saved baseline, and restarts the sensor when it is left. The
// main window is hidden and its status poll paused while it is up.
#include <QMainWindow>
#include <optional>

#include "acoustic/EchoAnalysis.h"
#include "acoustic/EchoCapture.h"
#include "acoustic/EchoRecord.h"
#include "acoustic/ScopeContext.h"
#include "status/StatusPoll.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace k7 {

class ScopePlot;

class AcousticWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit AcousticWindow(const ScopeContext& context);
    ~AcousticWindow() override;

    // One capture and plot (also run by PlotTimer).
    void captureAndPlot();
    // Leaves the display: the sensor is restarted, the main window comes back.
    void exitDisplay();
    void saveRecord();
    void recallRecord();
    void exportPlot();
    void exportSamples();
    void chooseBaseline();
    // The saved record in `path` as the baseline (a message when it is none).
    void compareWith(const QString& path);
    void clearBaseline();
    void drawPlot();

    bool capturing() const { return capturing_; }
    bool hasRecord() const { return hasRecord_; }
    const EchoRecord& record() const { return record_; }
    const std::optional<EchoRecord>& baseline() const { return baseline_; }

    // Controls, by their program names.
    ScopePlot* Plot = nullptr;
    QWidget* plotPanel = nullptr;  // the plot with its captions, as exported
    QLabel* lblDistanceUnits = nullptr;
    QLabel* lblCurrentPlot = nullptr;
    QGroupBox* GainFrame = nullptr;
    QRadioButton* SwitchGain = nullptr;
    QRadioButton* LowGain = nullptr;
    QRadioButton* HighGain = nullptr;
    QPushButton* UpdatePlot = nullptr;
    QPushButton* btnExit = nullptr;
    QLabel* lblExitingDisplayMode = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* SaveData = nullptr;
    QAction* RecallData = nullptr;
    QAction* ExportPlot = nullptr;
    QAction* ExportSamples = nullptr;
    QAction* CompareWith = nullptr;
    QAction* ClearBaseline = nullptr;
    QAction* ExitDisplay = nullptr;
    QLabel* lblComments = nullptr;
    QPlainTextEdit* txtUserComments = nullptr;
    QLabel* lblFileName = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblSerialNumberData = nullptr;
    QLabel* lblTemperature = nullptr;
    QLabel* lblTemperatureData = nullptr;
    QGroupBox* AnalysisFrame = nullptr;
    QLabel* lblAnalysis = nullptr;
    QGroupBox* BaselineFrame = nullptr;
    QLabel* lblDifferences = nullptr;
    QTimer* PlotTimer = nullptr;
    QTimer* MaintainCommTimer = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // Handlers that run event loops (a capture, a dialog) keep the window alive until they end.
    class Running {
    public:
        explicit Running(AcousticWindow* s) : s_(s) { ++s_->running_; }
        ~Running() {
            if (--s_->running_ == 0 && s_->deletePending_) s_->deleteLater();
        }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        AcousticWindow* s_;
    };

    void buildMenu();
    QWidget* buildTop();
    QWidget* buildAnalysisPanel(QWidget* parent);
    void showAnalysis(const EchoAnalysis& analysis, const std::vector<std::string>& differences);
    void keepDisplayMode();
    void setCaptureControls(bool capturing);
    void setInfoLabelsVisible(bool visible);
    Gain selectedGain() const;
    QRadioButton* gainButton(Gain gain) const;
    // The gain a record was taken in, checked (a capture in it again is one click away).
    void checkGainOf(const EchoRecord& record);
    bool leaveDisplay();
    void showFileError(const std::string& message);
    QString chooseFile(bool save, const QString& title, const QString& filter,
                       const QString& suffix);
    void report(const char* where, const std::exception& e);

    ScopeContext context_;
    ProgramState& m_;
    std::optional<PollPause> pause_;
    EchoCapture capture_;
    EchoRecord record_;
    bool hasRecord_ = false;
    std::optional<EchoRecord> baseline_;  // drawn over the record and compared with it
    double kelvin_ = 293.15;
    int thresholdCode_ = 0;
    bool capturing_ = false;
    bool leaving_ = false;
    bool exitRequested_ = false;  // closed from the window manager during a capture
    int running_ = 0;
    bool deletePending_ = false;
};

}  // namespace k7
