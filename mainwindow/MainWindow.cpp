#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "mainwindow/ExitProgram.h"
#include "mainwindow/Fields.h"
#include "mainwindow/GuiLinkUi.h"
#include "service/BenchWindow.h"
#include "settings/Lists.h"
#include "settings/ProgramState.h"
#include "status/LineOverviewWindow.h"
#include "status/ReadingLog.h"
#include "windows/ScreenFit.h"

namespace k7 {
namespace {

constexpr const char* kStatusPausedText = "Status paused while the line overview is open";

QLabel* label(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    return l;
}

// A caption that keeps to one line where there is room and wraps on a narrow screen (a plain
// word-wrapped label wraps even where there is room).
class WrapLabel : public QLabel {
public:
    WrapLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }
    QSize sizeHint() const override {
        const QSize line = fontMetrics().size(Qt::TextShowMnemonic, text());
        const QMargins m = contentsMargins();
        return {line.width() + m.left() + m.right() + 2 * margin(),
                QLabel::minimumSizeHint().height()};
    }
};

QLabel* wrapLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = new WrapLabel(text, parent);
    if (name) l->setObjectName(name);
    return l;
}

QLabel* reading(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(64);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel* groupTitle(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = label(text, parent, name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignHCenter);
    return l;
}

QFrame* groupFrame(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    return f;
}

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(name);
    return w;
}

void retainSizeWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

FilteredField* field(KeyFilter filter, QWidget* parent, const char* name, int width = 80) {
    auto* f = named(new FilteredField(filter, parent), name);
    f->setMaximumWidth(width);
    f->setMinimumWidth(std::min(width, 60));
    return f;
}

}  // namespace

MainWindow::MainWindow(ProgramState& m, GuiLinkUi& ui, std::vector<std::string> arguments,
                       QWidget* parent)
    : QMainWindow(parent), m_(m), ui_(ui), arguments_(std::move(arguments)) {
    setObjectName("MainForm");
    setWindowTitle("K-7700 Smart Ultrasonic Sensor");

    // The groups scroll on a screen too small for them; the message band and the edit-mode
    // row below them never do.
    auto* groups = new QWidget(this);
    auto* outer = new QGridLayout(groups);
    outer->setContentsMargins(6, 6, 6, 0);
    outer->setHorizontalSpacing(6);
    outer->setVerticalSpacing(6);
    statusPanel_ = groupFrame(groups);
    statusGrid_ = new QGridLayout(statusPanel_);
    buildStatusPanel(statusPanel_, statusGrid_);
    outer->addWidget(statusPanel_, 0, 0, 2, 1);
    outer->addWidget(buildCurrentLoopGroup(), 0, 1);
    outer->addWidget(buildSetpointGroup(), 1, 1);
    outer->addWidget(buildSamplingGroup(), 0, 2);
    outer->addWidget(buildEchoGroup(), 1, 2);
    scroll_ = scrollingBody(groups, this, "MainScroll");
    bottom_ = new QWidget(this);
    auto* bottom = new QGridLayout(bottom_);
    bottom->setContentsMargins(6, 6, 6, 6);
    buildBottom(bottom_, bottom);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(scroll_, 1);
    column->addWidget(bottom_);
    setCentralWidget(central);
    for (QWidget* w : {groups, bottom_}) w->installEventFilter(this);
    // Shown while the readings are logged to a file: which file, and how many rows so far.
    lblLogging_ = named(new QLabel(this), "lblLogging");
    statusBar()->setObjectName("StatusBar");
    statusBar()->addWidget(lblLogging_, 1);
    statusBar()->hide();

    listCheckTimer = named(new QTimer(this), "Timer1");
    listCheckTimer->setInterval(100);
    statusTimer = named(new QTimer(this), "Timer3");
    postLoadTimer = named(new QTimer(this), "tmrPostLoadCode");
    postLoadTimer->setSingleShot(true);
    postLoadTimer->setInterval(500);
    messageFlash_ = named(new QTimer(this), "tmrMessageFlash");
    messageFlash_->setSingleShot(true);
    messageFlash_->setInterval(3000);

    buildMenus();
    fillFixedLists();
    connectFields();
}

MainWindow::~MainWindow() {
    // The overview and the factory windows pause this window's poll and give it back as they
    // close (the factory windows the main window too): they go while it is still whole.
    delete overview_.data();
    for (BenchWindow* w : findChildren<BenchWindow*>(Qt::FindDirectChildrenOnly)) w->close();
}

void MainWindow::buildStatusPanel(QWidget* p, QGridLayout* g) {
    Label1 = groupTitle("K-7700 STATUS", p, "Label1");
    lblSensor = wrapLabel("", p, "lblSensor");
    lblSensor->setAlignment(Qt::AlignHCenter);
    lblAvgDist = label("Average Distance:", p, "lblAvgDist");
    AvgDist = reading(p, "AvgDist");
    for (int i = 0; i < 6; ++i) {
        QLabel* u = label("in", p);
        u->setObjectName(QString("LabelUnits(%1)").arg(i));
        LabelUnits[static_cast<std::size_t>(i)] = u;
    }
    Label4 = label("Temperature:", p, "Label4");
    Temperature = reading(p, "Temperature");
    LabelTempUnits = label("Deg. C", p, "LabelTempUnits");
    Label6 = label("Current OUTPUT:", p, "Label6");
    CurrentOut = reading(p, "CurrentOut");
    Label39 = label("mA", p, "Label39");
    lblMinOut = label("Setpoint OUTPUT A:", p, "lblMinOut");
    MinOut = reading(p, "MinOut");
    lblMaxOut = label("Setpoint OUTPUT B:", p, "lblMaxOut");
    MaxOut = reading(p, "MaxOut");
    lblTargOut = label("Echo Status OUTPUT: ", p, "lblTargOut");
    TargOut = reading(p, "TargOut");
    lblTargetStrength = label("Target Strength:", p, "lblTargetStrength");
    TargetStrength = reading(p, "TargetStrength");
    Label42 = label("%", p, "Label42");
    lblSerialNumber = label("Serial Number:", p, "lblSerialNumber");
    SerialNumber = reading(p, "SerialNumber");
    FactoryDescription = label("", p, "FactoryDescription");
    FactoryDescription->setWordWrap(true);
    lblIDTag = label("&ID Tag:", p, "lblIDTag");
    SensorID = named(new QComboBox(p), "SensorID");
    SingleSensorID = field(KeyFilter::Digits, p, "SingleSensorID", 70);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    heading->addWidget(Label1);
    heading->addWidget(lblSensor);
    g->addLayout(heading, 0, 0, 1, -1);
    showTemperatureRow();
    // Edit mode and a fault report hide these; the panel keeps its size, so the groups beside
    // it stay where the user's pointer expects them.
    for (QWidget* w : std::initializer_list<QWidget*>{
             Label1, lblAvgDist, AvgDist, LabelUnits[0], lblMinOut, MinOut, lblMaxOut, MaxOut,
             lblTargOut, TargOut, lblTargetStrength, TargetStrength, Label42, lblSerialNumber,
             SerialNumber, FactoryDescription}) {
        retainSizeWhenHidden(w);
    }
    // The unit column keeps room for the current row's "mA", which edit mode hides.
    g->setColumnMinimumWidth(2, Label39->sizeHint().width());
    auto* id = new QHBoxLayout;
    id->addWidget(SensorID);
    id->addWidget(SingleSensorID);
    id->addStretch();
    lblStatusPaused_ = label(kStatusPausedText, p, "lblStatusPaused");
    lblStatusPaused_->setWordWrap(true);
    QFont italic = lblStatusPaused_->font();
    italic.setItalic(true);
    lblStatusPaused_->setFont(italic);
    lblStatusPaused_->hide();
    g->addWidget(lblStatusPaused_, 10, 0, 1, -1, Qt::AlignTop);
    g->addWidget(lblIDTag, 11, 0);
    g->addLayout(id, 11, 1, 1, 2);
    g->setRowStretch(10, 1);
    g->setColumnStretch(1, 1);
    lblIDTag->setBuddy(SingleSensorID);
}

QWidget* MainWindow::buildCurrentLoopGroup() {
    QFrame* f = groupFrame(nullptr);
    auto* g = new QGridLayout(f);
    Label11 = groupTitle(kCurrentLoopGroup, f, "Label11");
    LowCurrentDistance = label("&4 mA Distance:", f, "LowCurrentDistance");
    Dist04 = field(KeyFilter::Distance, f, "Dist04");
    Label13 = label("&20 mA Distance:", f, "Label13");
    Dist20 = field(KeyFilter::Distance, f, "Dist20");
    Label12 = label("&OUTPUT Span:", f, "Label12");
    OutputSpan = named(new QComboBox(f), "OutputSpan");
    Label8 = label("&No Echo OUTPUT Current:", f, "Label8");
    NoTargetCurrent = named(new QComboBox(f), "NoTargetCurrent");
    Label43 = label("mA", f, "Label43");
    Label18 = label("Ma&ximum Range:", f, "Label18");
    UserMaxRange = field(KeyFilter::Distance, f, "UserMaxRange");

    g->addWidget(Label11, 0, 0, 1, -1);
    g->addWidget(LowCurrentDistance, 1, 0);
    g->addWidget(Dist04, 1, 1);
    g->addWidget(LabelUnits[1], 1, 2);
    g->addWidget(Label13, 2, 0);
    g->addWidget(Dist20, 2, 1);
    g->addWidget(LabelUnits[2], 2, 2);
    g->addWidget(Label12, 3, 0);
    g->addWidget(OutputSpan, 3, 1, 1, 2);
    g->addWidget(Label8, 4, 0);
    g->addWidget(NoTargetCurrent, 4, 1);
    g->addWidget(Label43, 4, 2);
    g->addWidget(Label18, 5, 0);
    g->addWidget(UserMaxRange, 5, 1);
    g->addWidget(LabelUnits[5], 5, 2);
    g->setRowStretch(6, 1);
    g->setColumnStretch(3, 1);
    LowCurrentDistance->setBuddy(Dist04);
    Label13->setBuddy(Dist20);
    Label12->setBuddy(OutputSpan);
    Label8->setBuddy(NoTargetCurrent);
    Label18->setBuddy(UserMaxRange);
    return f;
}

QWidget* MainWindow::buildSetpointGroup() {
    QFrame* f = groupFrame(nullptr);
    auto* g = new QGridLayout(f);
    g->addWidget(groupTitle(kSetpointGroup, f), 0, 0, 1, -1);
    lblCloseSetPoint = label("C&lose Setpoint Distance:", f, "lblCloseSetPoint");
    CloseSetPoint = field(KeyFilter::Distance, f, "CloseSetPoint");
    lblFarSetPoint = label("Far Setpoint Distance:", f, "lblFarSetPoint");
    FarSetPoint = field(KeyFilter::Distance, f, "FarSetPoint");
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(CloseSetPoint);
    closeRow->addWidget(LabelUnits[3]);
    closeRow->addStretch();
    auto* farRow = new QHBoxLayout;
    farRow->addWidget(FarSetPoint);
    farRow->addWidget(LabelUnits[4]);
    farRow->addStretch();
    g->addWidget(lblCloseSetPoint, 1, 0, 1, 2);
    g->addLayout(closeRow, 1, 2, 1, 3);
    g->addWidget(lblFarSetPoint, 2, 0, 1, 2);
    g->addLayout(farRow, 2, 2, 1, 3);

    const char* heads[] = {"< Close Setpoint ", "Mid Zone", "> Far Setpoint ", "No Echo"};
    for (int c = 0; c < 4; ++c) {
        auto* h = wrapLabel(heads[c], f);  // on a narrow screen the headings take two lines
        h->setAlignment(Qt::AlignCenter);
        g->addWidget(h, 3, c + 1);
    }
    auto* rowA = label("&Setpoint OUTPUT A:", f, "lblOutputA");
    auto* rowB = label("Setpoint OUTPUT &B:", f, "lblOutputB");
    CloseMinLL = named(new ToggleField(f), "CloseMinLL");
    cbMidMinLL = named(new QComboBox(f), "cbMidMinLL");
    FarMinLL = named(new ToggleField(f), "FarMinLL");
    NoEchoMinLL = named(new ToggleField(f), "NoEchoMinLL");
    CloseMaxLL = named(new ToggleField(f), "CloseMaxLL");
    cbMidMaxLL = named(new QComboBox(f), "cbMidMaxLL");
    FarMaxLL = named(new ToggleField(f), "FarMaxLL");
    NoEchoMaxLL = named(new ToggleField(f), "NoEchoMaxLL");
    QWidget* rowAw[] = {CloseMinLL, cbMidMinLL, FarMinLL, NoEchoMinLL};
    QWidget* rowBw[] = {CloseMaxLL, cbMidMaxLL, FarMaxLL, NoEchoMaxLL};
    g->addWidget(rowA, 4, 0);
    g->addWidget(rowB, 5, 0);
    for (int c = 0; c < 4; ++c) {
        g->addWidget(rowAw[c], 4, c + 1, Qt::AlignHCenter);
        g->addWidget(rowBw[c], 5, c + 1, Qt::AlignHCenter);
    }
    lblCloseSetPoint->setBuddy(CloseSetPoint);
    rowA->setBuddy(CloseMinLL);
    rowB->setBuddy(CloseMaxLL);

    lblHysteresis = label("Hysteresis for OUTPUT A and OUTPUT B:", f, "lblHysteresis");
    Hysteresis1 = field(KeyFilter::Digits, f, "Hysteresis1", 60);
    lblPercent = label("%", f, "lblPercent");
    auto* hyst = new QHBoxLayout;
    hyst->addWidget(Hysteresis1);
    hyst->addWidget(lblPercent);
    hyst->addStretch();
    g->addWidget(lblHysteresis, 6, 0, 1, 3);
    g->addLayout(hyst, 6, 3, 1, 2);
    g->setRowStretch(7, 1);
    return f;
}

QWidget* MainWindow::buildSamplingGroup() {
    QFrame* f = groupFrame(nullptr);
    auto* g = new QGridLayout(f);
    g->addWidget(groupTitle(kSamplingGroup, f), 0, 0, 1, -1);
    lblSampleRate = label("Sample Ra&te:", f, "lblSampleRate");
    SampleRate1 = field(KeyFilter::SampleRate, f, "SampleRate1");
    lblSamplesPerSec = label("Samples/sec.", f, "lblSamplesPerSec");
    lblAverage = label("Avera&ge:", f, "lblAverage");
    AverageSamples = named(new QComboBox(f), "AverageSamples");
    lblSamples = label("Samples", f, "lblSamples");
    lblAverageType = label("Average t&ype:", f, "lblAverageType");
    AverageType = named(new QComboBox(f), "AverageType");
    Label23 = label("Trigger &Mode:", f, "Label23");
    TriggerMode = named(new QComboBox(f), "TriggerMode");
    DelayLabel1 = label("&Trigger Delay:", f, "DelayLabel1");
    TriggerDelay = field(KeyFilter::Digits, f, "TriggerDelay", 60);
    DelayLabel2 = label("mSec.", f, "DelayLabel2");
    lblPresetTemp = wrapLabel("Preset Temperature:", f, "lblPresetTemp");
    ManualTemperature = field(KeyFilter::None, f, "ManualTemperature", 70);
    TempUnits1 = label("Deg. C", f, "TempUnits1");

    QWidget* rows[][3] = {{lblSampleRate, SampleRate1, lblSamplesPerSec},
                          {lblAverage, AverageSamples, lblSamples},
                          {lblAverageType, AverageType, nullptr},
                          {Label23, TriggerMode, nullptr},
                          {DelayLabel1, TriggerDelay, DelayLabel2},
                          {lblPresetTemp, ManualTemperature, TempUnits1}};
    for (int r = 0; r < 6; ++r) {
        g->addWidget(rows[r][0], r + 1, 0);
        // A field with no unit beside it may use the unit's column: the long trigger modes do.
        g->addWidget(rows[r][1], r + 1, 1, 1, rows[r][2] ? 1 : 2);
        if (rows[r][2]) g->addWidget(rows[r][2], r + 1, 2);
    }
    g->setRowStretch(7, 1);
    g->setColumnStretch(3, 1);
    lblSampleRate->setBuddy(SampleRate1);
    lblAverage->setBuddy(AverageSamples);
    lblAverageType->setBuddy(AverageType);
    Label23->setBuddy(TriggerMode);
    DelayLabel1->setBuddy(TriggerDelay);
    lblPresetTemp->setBuddy(ManualTemperature);
    return f;
}

QWidget* MainWindow::buildEchoGroup() {
    QFrame* f = groupFrame(nullptr);
    auto* g = new QGridLayout(f);
    g->addWidget(groupTitle(kEchoGroup, f), 0, 0, 1, -1);
    Label36 = wrapLabel("Echo Status OUTPUT &with No Echo:", f, "Label36");
    TargLL = named(new ToggleField(f), "TargLL");
    lblNoEchoTimeout = label("No Echo Time Out:", f, "lblNoEchoTimeout");
    NoEchoTimeout = field(KeyFilter::Digits, f, "NoEchoTimeout", 60);
    LblNoEchoTO = wrapLabel("Samples (1.00 Sec.)", f, "LblNoEchoTO");
    lblUserDescription = label("User Description:", f, "lblUserDescription");
    UserDescription = field(KeyFilter::None, f, "UserDescription", 400);
    UserDescription->setMaxLength(64);
    g->addWidget(Label36, 1, 0);
    g->addWidget(TargLL, 1, 1);
    g->addWidget(lblNoEchoTimeout, 2, 0);
    g->addWidget(NoEchoTimeout, 2, 1);
    g->addWidget(LblNoEchoTO, 2, 2);
    g->addWidget(lblUserDescription, 3, 0, 1, 3);
    g->addWidget(UserDescription, 4, 0, 1, 4);
    g->setRowStretch(5, 1);
    g->setColumnStretch(3, 1);
    Label36->setBuddy(TargLL);
    lblUserDescription->setBuddy(UserDescription);
    return f;
}

void MainWindow::buildBottom(QWidget* p, QGridLayout* g) {
    Message = label("", p, "Message");
    Message->setWordWrap(true);
    Message->setMinimumHeight(44);
    Message->setMargin(4);
    Message->setAutoFillBackground(false);
    EditModeLabel = groupTitle("EDIT MODE", p, "EditModeLabel");
    QPalette pal = EditModeLabel->palette();
    pal.setColor(QPalette::WindowText, QColor(200, 0, 0));
    EditModeLabel->setPalette(pal);
    ProgramModule = named(new QPushButton("&Program K-7700", p), "ProgramModule");
    cmdCancelEdit = named(new QPushButton("&Cancel Editing", p), "cmdCancelEdit");
    cmdSWTrigger = named(new QPushButton("Manual &Trigger", p), "cmdSWTrigger");
    ResetErr = named(new QPushButton("&Reset Error", p), "ResetErr");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ResetErr);
    buttons->addWidget(cmdSWTrigger);
    buttons->addStretch();
    buttons->addWidget(EditModeLabel);
    buttons->addWidget(ProgramModule);
    buttons->addWidget(cmdCancelEdit);
    g->addWidget(Message, 0, 0);
    g->addLayout(buttons, 1, 0);
    // The edit-mode trio keeps the row's height: nothing around it jumps. The other two only
    // take room while they show, so the window can be narrow.
    for (QWidget* w :
         std::initializer_list<QWidget*>{EditModeLabel, ProgramModule, cmdCancelEdit}) {
        retainSizeWhenHidden(w);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{EditModeLabel, ProgramModule, cmdCancelEdit,
                                                      cmdSWTrigger, ResetErr}) {
        w->hide();
    }
}

void MainWindow::fillFixedLists() {
    for (const char* e : kOutputSpanEntries) OutputSpan->addItem(e);
    for (const char* e : kNoTargetCurrentEntries) NoTargetCurrent->addItem(e);
    for (const char* e : kAverageTypeEntries) AverageType->addItem(e);
    for (int i = 0; i < 6; ++i)
        AverageSamples->addItem(kAverageSamplesEntries[static_cast<std::size_t>(i)]);
    for (const char* e : kTriggerModeEntries) TriggerMode->addItem(e);
    for (const char* e : kMidZoneEntries) {
        cbMidMinLL->addItem(e);
        cbMidMaxLL->addItem(e);
    }
    for (QComboBox* c : {OutputSpan, NoTargetCurrent, AverageType, AverageSamples, TriggerMode,
                         cbMidMinLL, cbMidMaxLL}) {
        c->setCurrentIndex(-1);
    }
    // A list never gets narrower than its longest entry, however small the screen.
    for (QComboBox* c : findChildren<QComboBox*>()) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        c->setSizePolicy(QSizePolicy::Minimum, c->sizePolicy().verticalPolicy());
    }
}

void MainWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    ExitProgram(m_);
}

}  // namespace k7
