// The acoustic display's window: its controls, the capture and the keep-alive, and leaving.
#include "acoustic/AcousticWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "acoustic/EchoComparison.h"
#include "acoustic/ScopePlot.h"
#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "settings/ProgramState.h"
#include "windows/ErrorBox.h"
#include "windows/ScreenFit.h"
#include "windows/Widgets.h"

namespace k7 {
namespace {

// A timer tick that finds the line taken comes back this soon.
constexpr int kRetryMs = 50;
constexpr int kFirstKeepAliveMs = 220;
constexpr int kKeepAliveMs = 250;

QLabel* label(const QString& text, QWidget* parent, const char* name) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

void keepSpaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

}  // namespace

AcousticWindow::AcousticWindow(const ScopeContext& context)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      m_(*context.m),
      capture_(context.m->link) {
    setObjectName("frmScope");
    setWindowTitle("Acoustic Signal Display Mode");
    closeOnEscape(this);  // through closeEvent: the display is left, the sensor restarted
    pause_.emplace(*context_.poll);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTop());

    plotPanel = new QWidget(central);
    plotPanel->setObjectName("plotPanel");
    plotPanel->setAutoFillBackground(true);
    auto* beside = new QHBoxLayout(plotPanel);
    beside->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QVBoxLayout;
    panel->setSpacing(2);
    beside->addLayout(panel, 1);
    beside->addWidget(buildAnalysisPanel(plotPanel));
    lblCurrentPlot = label("", plotPanel, "lblCurrentPlot");
    lblCurrentPlot->setAlignment(Qt::AlignHCenter);
    QFont bold = lblCurrentPlot->font();
    bold.setBold(true);
    lblCurrentPlot->setFont(bold);
    Plot = new ScopePlot(plotPanel);
    lblDistanceUnits = label("", plotPanel, "lblDistanceUnits");
    lblDistanceUnits->setAlignment(Qt::AlignHCenter);
    panel->addWidget(lblCurrentPlot);
    panel->addWidget(Plot, 1);
    panel->addWidget(lblDistanceUnits);
    layout->addWidget(plotPanel, 1);

    lblComments = label("&Comments:", central, "lblComments");
    txtUserComments = new QPlainTextEdit(central);
    txtUserComments->setObjectName("txtUserComments");
    txtUserComments->setTabChangesFocus(true);
    txtUserComments->setFixedHeight(txtUserComments->fontMetrics().lineSpacing() * 3 + 12);
    lblComments->setBuddy(txtUserComments);
    layout->addWidget(lblComments);
    layout->addWidget(txtUserComments);
    setCentralWidget(central);
    buildMenu();
    // The plot at its documented size, whatever the screen's default, where the screen has the
    // room; smaller where it has not.
    fitWindowToScreen(this, sizeHint());

    PlotTimer = new QTimer(this);
    PlotTimer->setObjectName("PlotTimer");
    PlotTimer->setSingleShot(true);
    connect(PlotTimer, &QTimer::timeout, this, [this] {
        // Another exchange's events are running: the capture waits for the line.
        if (m_.link.busy()) {
            PlotTimer->start(kRetryMs);
        } else {
            captureAndPlot();
        }
    });
    MaintainCommTimer = new QTimer(this);
    MaintainCommTimer->setObjectName("MaintainCommTimer");
    connect(MaintainCommTimer, &QTimer::timeout, this, &AcousticWindow::keepDisplayMode);

    lblExitingDisplayMode->hide();
    setInfoLabelsVisible(false);
    if (!SwitchGain->isChecked() && !LowGain->isChecked() && !HighGain->isChecked()) {
        SwitchGain->setChecked(true);
    }
    hasRecord_ = false;
    setCaptureControls(true);
    PlotTimer->start(10);
}

AcousticWindow::~AcousticWindow() = default;

QWidget* AcousticWindow::buildTop() {
    auto* top = new QWidget(this);
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);

    GainFrame = new QGroupBox("Gain Selection", top);
    GainFrame->setObjectName("GainFrame");
    auto* gains = new QVBoxLayout(GainFrame);
    SwitchGain = new QRadioButton("&Normal Operation", GainFrame);
    SwitchGain->setObjectName("SwitchGain");
    LowGain = new QRadioButton("&Low Gain", GainFrame);
    LowGain->setObjectName("LowGain");
    HighGain = new QRadioButton("&High Gain", GainFrame);
    HighGain->setObjectName("HighGain");
    for (QRadioButton* b : {SwitchGain, LowGain, HighGain}) gains->addWidget(b);
    row->addWidget(GainFrame);

    auto* info = new QGridLayout;
    lblFileName = label("", top, "lblFileName");
    lblSerialNumber = label("Serial Number:", top, "lblSerialNumber");
    lblSerialNumberData = label("", top, "lblSerialNumberData");
    lblTemperature = label("Temperature:", top, "lblTemperature");
    lblTemperatureData = label("", top, "lblTemperatureData");
    for (QLabel* l :
         {lblFileName, lblSerialNumber, lblSerialNumberData, lblTemperature, lblTemperatureData}) {
        keepSpaceWhenHidden(l);
    }
    lblFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not widen the window: it is cut at the label's edge.
    lblFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    info->addWidget(lblFileName, 0, 0, 1, 2);
    info->addWidget(lblSerialNumber, 1, 0);
    info->addWidget(lblSerialNumberData, 1, 1);
    info->addWidget(lblTemperature, 2, 0);
    info->addWidget(lblTemperatureData, 2, 1);
    info->setColumnStretch(1, 1);
    info->setRowStretch(3, 1);
    row->addLayout(info, 1);

    auto* buttons = new QVBoxLayout;
    UpdatePlot = new QPushButton("&Update Plot", top);
    UpdatePlot->setObjectName("UpdatePlot");
    btnExit = new QPushButton("E&xit Display Mode", top);
    btnExit->setObjectName("btnExit");
    lblExitingDisplayMode = label("Exiting Display Mode...", top, "lblExitingDisplayMode");
    keepSpaceWhenHidden(lblExitingDisplayMode);
    buttons->addWidget(UpdatePlot);
    buttons->addWidget(btnExit);
    buttons->addWidget(lblExitingDisplayMode);
    buttons->addStretch();
    row->addLayout(buttons);

    connect(UpdatePlot, &QPushButton::clicked, this, &AcousticWindow::captureAndPlot);
    connect(btnExit, &QPushButton::clicked, this, &AcousticWindow::exitDisplay);
    // A gain chosen is captured at once: the gain checked and the record on the plot agree.
    for (QRadioButton* b : {SwitchGain, LowGain, HighGain}) {
        connect(b, &QRadioButton::clicked, this, [this] {
            if (!hasRecord_ || record_.gainCaption != gainCaption(selectedGain())) {
                captureAndPlot();
            }
        });
    }
    return top;
}

namespace {

// The rows as a table of two columns, names and values.
QString analysisHtml(const std::vector<std::pair<std::string, std::string>>& rows) {
    QString html = "<table cellspacing=0 cellpadding=1>";
    for (const auto& [name, value] : rows) {
        html += "<tr><td style='padding-right:6px'>" +
                QString::fromStdString(name).toHtmlEscaped() + "</td><td>" +
                QString::fromStdString(value).toHtmlEscaped().replace("\n", "<br>") + "</td></tr>";
    }
    return html + "</table>";
}

}  // namespace

QWidget* AcousticWindow::buildAnalysisPanel(QWidget* parent) {
    auto* side = new QWidget(parent);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    AnalysisFrame = new QGroupBox("Echo Analysis", side);
    AnalysisFrame->setObjectName("AnalysisFrame");
    lblAnalysis = label("", AnalysisFrame, "lblAnalysis");
    lblAnalysis->setTextFormat(Qt::RichText);
    lblAnalysis->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAnalysis->setTextInteractionFlags(Qt::TextSelectableByMouse);
    (new QVBoxLayout(AnalysisFrame))->addWidget(lblAnalysis);
    BaselineFrame = new QGroupBox("Compared with Baseline", side);
    BaselineFrame->setObjectName("BaselineFrame");
    lblDifferences = label("", BaselineFrame, "lblDifferences");
    lblDifferences->setWordWrap(true);
    lblDifferences->setTextInteractionFlags(Qt::TextSelectableByMouse);
    (new QVBoxLayout(BaselineFrame))->addWidget(lblDifferences);
    // Each frame as tall as its text; what is left stays below them.
    AnalysisFrame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    column->addWidget(AnalysisFrame);
    column->addWidget(BaselineFrame);
    column->addStretch(1);
    // As wide as the widest rows the analysis can have; longer differences wrap.
    lblAnalysis->setText(analysisHtml({{"Echo in ringdown", "at about 3048.0 cm"},
                                       {"Other echoes", "1234.00 in (multiple, peak 255)"},
                                       {"Margin", "at least +152 (2.48 ×)"}}));
    side->setFixedWidth(AnalysisFrame->sizeHint().width());
    AnalysisFrame->hide();
    BaselineFrame->hide();
    return side;
}

void AcousticWindow::showAnalysis(const EchoAnalysis& analysis,
                                  const std::vector<std::string>& differences) {
    lblAnalysis->setText(analysisHtml(analysisRows(analysis)));
    AnalysisFrame->show();
    QStringList lines;
    for (const std::string& l : differences) lines << QString::fromStdString(l);
    lblDifferences->setText(lines.join("\n"));
    BaselineFrame->setVisible(baseline_.has_value());
}

void AcousticWindow::buildMenu() {
    mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    auto item = [this](const QString& caption, const char* name, void (AcousticWindow::*f)()) {
        QAction* a = mnuFile->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    SaveData = item("&Save Data", "SaveData", &AcousticWindow::saveRecord);
    RecallData = item("&Recall Data", "RecallData", &AcousticWindow::recallRecord);
    mnuFile->addSeparator();
    ExportPlot = item("Export &Plot as PNG ...", "ExportPlot", &AcousticWindow::exportPlot);
    ExportSamples =
        item("Export Samples as &CSV ...", "ExportSamples", &AcousticWindow::exportSamples);
    mnuFile->addSeparator();
    CompareWith = item("Compare &with ...", "CompareWith", &AcousticWindow::chooseBaseline);
    ClearBaseline = item("Clear &Baseline", "ClearBaseline", &AcousticWindow::clearBaseline);
    mnuFile->addSeparator();
    ExitDisplay = item("E&xit Acoustic Display", "ExitDisplay", &AcousticWindow::exitDisplay);
}

void AcousticWindow::setCaptureControls(bool capturing) {
    // Nothing that needs the record, the window or the gain choice while a capture runs.
    UpdatePlot->setEnabled(!capturing);
    btnExit->setEnabled(!capturing);
    ExitDisplay->setEnabled(!capturing);
    GainFrame->setEnabled(!capturing);
    RecallData->setEnabled(!capturing);
    for (QAction* a : {SaveData, ExportPlot, ExportSamples, CompareWith})
        a->setEnabled(!capturing && hasRecord_);
    ClearBaseline->setEnabled(!capturing && baseline_);
}

void AcousticWindow::setInfoLabelsVisible(bool visible) {
    for (QLabel* l :
         {lblFileName, lblSerialNumber, lblSerialNumberData, lblTemperature, lblTemperatureData}) {
        l->setVisible(visible);
    }
}

void AcousticWindow::checkGainOf(const EchoRecord& record) {
    for (Gain g : {Gain::Switching, Gain::Low, Gain::High}) {
        if (record.gainCaption == gainCaption(g)) gainButton(g)->setChecked(true);
    }
}

QRadioButton* AcousticWindow::gainButton(Gain gain) const {
    if (gain == Gain::High) return HighGain;
    if (gain == Gain::Low) return LowGain;
    return SwitchGain;
}

Gain AcousticWindow::selectedGain() const {
    if (HighGain->isChecked()) return Gain::High;
    if (LowGain->isChecked()) return Gain::Low;
    return Gain::Switching;
}

void AcousticWindow::report(const char* where, const std::exception& e) {
    const auto* re = dynamic_cast<const RuntimeError*>(&e);
    showErrorBox(this, m_.link.errorBeep, where, re ? re->number() : 0, e.what());
}

void AcousticWindow::captureAndPlot() {
    if (capturing_ || leaving_ || m_.link.programEnding) return;
    if (m_.link.busy()) {
        QApplication::beep();
        return;
    }
    Running running(this);
    capturing_ = true;
    setCaptureControls(true);
    MaintainCommTimer->stop();
    setInfoLabelsVisible(false);
    Plot->hide();
    // The gain search can take many seconds: say what is going on where the plot was.
    const QString shownCaption = lblCurrentPlot->text();
    lblCurrentPlot->setText("Capturing the acoustic signal ...");
    repaint();
    m_.sensorInDisplayMode = true;
    const Gain requested = selectedGain();
    const CaptureResult r = capture_.capture(requested);
    capturing_ = false;
    lblCurrentPlot->setText(shownCaption);
    if (m_.link.programEnding) return;

    if (r.outcome == CaptureResult::Outcome::NoRecord) {
        QMessageBox box(QMessageBox::Warning, "Acoustic Signal Display Mode",
                        "The sensor sent no acoustic record in 3 attempts. The display mode "
                        "will be left and the sensor restarted.",
                        QMessageBox::Ok, this);
        box.setObjectName("NoRecordMessage");
        box.exec();
        exitDisplay();
        return;
    }
    if (r.outcome == CaptureResult::Outcome::Captured) {
        if (r.switchingUnavailable) {
            HighGain->setChecked(true);
            SwitchGain->setEnabled(false);
        }
        lblCurrentPlot->setText(gainCaption(r.gain));
        record_.samples = r.samples;
        record_.serialNumber = trim(context_.serialNumber.toStdString());
        record_.temperatureC =
            m_.temperatureReceived ? std::optional<double>(m_.measuredTemperatureC) : std::nullopt;
        record_.gainCaption = gainCaption(r.gain);
        record_.date = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
        hasRecord_ = true;
        kelvin_ = captureKelvin(record_.temperatureC);
        thresholdCode_ = r.thresholdCode;
        m_.runRecord.echoes[m_.discovery.currentIdTag] = {
            record_.date, record_.samples, thresholdCode_, kelvin_, record_.gainCaption};
        drawPlot();
    }
    Plot->show();
    Plot->repaint();
    setCaptureControls(false);
    MaintainCommTimer->setInterval(kFirstKeepAliveMs);
    MaintainCommTimer->start();
    if (exitRequested_) exitDisplay();
}

void AcousticWindow::keepDisplayMode() {
    MaintainCommTimer->stop();
    if (capturing_ || leaving_) return;
    Running running(this);
    if (!capture_.keepAlive()) {
        MaintainCommTimer->start(kRetryMs);
        return;
    }
    if (m_.link.programEnding || leaving_) return;
    MaintainCommTimer->setInterval(kKeepAliveMs);
    MaintainCommTimer->start();
}

void AcousticWindow::drawPlot() {
    try {
        if (!hasRecord_) {
            Plot->clearPlot();
            AnalysisFrame->hide();
            BaselineFrame->hide();
            return;
        }
        PlotScale s = computePlotScale(record_.samples, thresholdCode_, kelvin_, m_.distanceUnit);
        EchoMarks marks;
        marks.analysis = analyzeEcho(record_.samples, s);
        std::vector<std::string> differences;
        if (baseline_) {
            // The baseline on its own distance scale, at the threshold of today's sensor.
            const PlotScale b =
                computePlotScale(baseline_->samples, thresholdCode_,
                                 recallKelvin(baseline_->temperatureC), m_.distanceUnit);
            differences =
                differenceLines(compareEchoes(*marks.analysis, analyzeEcho(baseline_->samples, b),
                                              record_.gainCaption, baseline_->gainCaption));
            marks.baseline =
                BaselineTrace{baseline_->samples, b.samplesPerUnit, "Baseline " + baseline_->date};
            includeLevels(s, baseline_->samples);
        }
        showAnalysis(*marks.analysis, differences);
        Plot->showRecord(record_.samples, s, std::move(marks));
        lblDistanceUnits->setText(QString::fromStdString(s.axisCaption));
    } catch (const std::exception& e) {
        report("frmScope.DrawPlot", e);
    }
}

bool AcousticWindow::leaveDisplay() {
    if (leaving_) return true;
    if (m_.link.busy()) {
        QApplication::beep();
        return false;
    }
    leaving_ = true;
    PlotTimer->stop();
    MaintainCommTimer->stop();
    Plot->clearPlot();
    Plot->repaint();
    lblExitingDisplayMode->show();
    lblExitingDisplayMode->repaint();
    capture_.restartSensor();
    m_.sensorInDisplayMode = false;
    return true;
}

void AcousticWindow::exitDisplay() {
    if (capturing_) {
        exitRequested_ = true;
        return;
    }
    if (leaveDisplay()) close();
}

void AcousticWindow::closeEvent(QCloseEvent* e) {
    if (!m_.exiting) {
        // From the window manager as well: a capture ends first, then the display is left.
        if (capturing_) {
            exitRequested_ = true;
            e->ignore();
            return;
        }
        if (!leaveDisplay()) {
            e->ignore();
            return;
        }
    }
    e->accept();
    PlotTimer->stop();
    MaintainCommTimer->stop();
    if (!m_.exiting && context_.mainWindow) {
        context_.mainWindow->show();
        context_.mainWindow->raise();
        context_.mainWindow->activateWindow();
    }
    pause_.reset();  // the poll runs again as it did before, never in edit mode
    if (running_ > 0) {
        deletePending_ = true;
    } else {
        deleteLater();
    }
}

}  // namespace k7
