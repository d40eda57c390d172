#include "service/FactoryWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/NumberText.h"
#include "link/Commands.h"
#include "service/FieldCheck.h"
#include "service/FirmwareVersion.h"
#include "service/RepeatedTestWindow.h"
#include "service/ToolLine.h"
#include "settings/ProgramState.h"
#include "windows/Placement.h"
#include "windows/ScreenFit.h"
#include "windows/Widgets.h"

namespace k7 {
namespace {

constexpr int kFreeFrameRepeatMs = 100;
constexpr int kMaxInchDecimals = 6;

constexpr const char* kCalInstructions =
    "To calibrate an K-7700, ensure that the target is at the selected distance, "
    "use internal trigger, boxcar average,"
    " 8 samples per average, maximum sample rate."
    " Enter the temperature (which can be finer resolution than .5 deg c), "
    " click cal distance (which writes cal to EEPROM and boots the K7K)."
    " Cal distance should correspond to the cal distance used when the spherical "
    "spreading compensation table was formed.";

QLineEdit* field(QWidget* parent, const char* name, const QString& text = {}, int width = 70) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

void setRed(QWidget* w, bool red) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, red ? QColor(255, 0, 0) : QPalette().color(QPalette::Base));
    w->setPalette(pal);
}

std::string text(const QLineEdit* e) {
    return e->text().toStdString();
}

}  // namespace

FactoryWindow::FactoryWindow(ProgramState& m, StatusPoll& poll, std::shared_ptr<FactoryHost> host,
                             QWidget* mainWindow)
    : BenchWindow(mainWindow),
      m_(m),
      link_(m.link),
      poll_(poll),
      host_(std::move(host)),
      pacer_(responsivePacer(m.link, [this] { return isClosed(); })) {
    setObjectName("frmFactory");
    setWindowTitle("Factory Control");
    buildLayout();
    connectHandlers();

    // Set once for the opening: a message box or another application taking the focus
    // meanwhile must not put back what the user typed.
    CalRange->setText(link_.sensorClass == 92 ? "20" : "15");
    chkDisplayTemp->setChecked(!m_.temperatureHidden);
    Text1->setText(m_.skipValidation ? "TRUE" : "False");
    showParameterBlock();

    pause_.emplace(poll_);
    lockMainWindow(mainWindow);
}

FactoryWindow::~FactoryWindow() = default;

void FactoryWindow::buildLayout() {
    // --- calibration
    auto* cal = new QGroupBox("Calibration", this);
    CalRange = field(cal, "CalRange");
    CalTemperature = field(cal, "CalTemperature", "23");
    CalDistance = commandButton(cal, "CalDistance", "Calibrate Distance");
    CalMessage = new QLabel("Right click here for cal instructions", cal);
    CalMessage->setObjectName("CalMessage");
    CalMessage->setContextMenuPolicy(Qt::CustomContextMenu);
    SingleTempReading = field(cal, "SingleTempReading");
    SingleTempReading->setReadOnly(true);
    IncTempCalFC = commandButton(cal, "IncTempCalFC", "Increment Temperature Cal Value");
    DecTempCalFC = commandButton(cal, "DecTempCalFC", "Decrement Temperature Cal Value");
    auto* cg = new QGridLayout(cal);
    cg->addWidget(CalRange, 0, 0);
    cg->addWidget(label(cal, "Inches", CalRange), 0, 1);
    cg->addWidget(CalTemperature, 1, 0);
    cg->addWidget(label(cal, "Degrees C", CalTemperature), 1, 1);
    cg->addWidget(CalDistance, 0, 2, 2, 1, Qt::AlignVCenter);
    cg->addWidget(CalMessage, 2, 0, 1, 3);
    cg->addWidget(label(cal, "Single calibrated temperature reading:", SingleTempReading), 3, 0, 1,
                  2);
    cg->addWidget(SingleTempReading, 3, 2, Qt::AlignLeft);
    auto* tempButtons = new QHBoxLayout;
    tempButtons->addWidget(IncTempCalFC);
    tempButtons->addWidget(DecTempCalFC);
    cg->addLayout(tempButtons, 4, 0, 1, 3);
    cg->setColumnStretch(3, 1);

    // --- identity and single commands
    auto* ident = new QGroupBox("Identity and Commands", this);
    SerNumFC = field(ident, "SerNumFC", {}, 110);
    Command6 = commandButton(ident, "Command6", "Send");
    RevNumFC = field(ident, "RevNumFC", {}, 110);
    Command10 = commandButton(ident, "Command10", "Read");
    SensorDescripFC = field(ident, "SensorDescripFC", {}, 200);
    SensorDescripFC->setMaxLength(kDescriptionMaxLength);
    SendSensorDescrip = commandButton(ident, "SendSensorDescrip", "Send");
    CommandNum = field(ident, "CommandNum", {}, 110);
    Command11 = commandButton(ident, "Command11", "Send");
    auto* ig = new QGridLayout(ident);
    const std::tuple<const char*, QLineEdit*, QPushButton*> identRows[] = {
        {"Serial Number (0 - 16,777,215):", SerNumFC, Command6},
        {"Revision Number:", RevNumFC, Command10},
        {"Sensor Description:", SensorDescripFC, SendSensorDescrip},
        {"Command Number:", CommandNum, Command11}};
    int row = 0;
    for (const auto& [caption, e, b] : identRows) {
        ig->addWidget(label(ident, caption, e), row, 0);
        ig->addWidget(e, row, 1, Qt::AlignLeft);
        ig->addWidget(b, row, 2);
        ++row;
    }
    ig->setColumnStretch(1, 1);

    // --- EEPROM cells
    auto* ee = new QGroupBox("EEPROM", this);
    WriteEEAdr = field(ee, "WriteEEAdr", {}, 50);
    WriteEEdata = field(ee, "WriteEEdata", {}, 50);
    WriteEE = commandButton(ee, "WriteEE", "&Write");
    ReadEEadr = field(ee, "ReadEEadr", "105", 50);
    ReadEEdata = field(ee, "ReadEEdata", {}, 50);
    ReadEEnext = field(ee, "ReadEEnext", {}, 50);
    ReadEEdata->setReadOnly(true);
    ReadEEnext->setReadOnly(true);
    ReadEE = commandButton(ee, "ReadEE", "&Read");
    Command1 = commandButton(ee, "Command1", "&Enable all EEPROM writes");
    auto* eg = new QGridLayout(ee);
    eg->addWidget(label(ee, "EEPROM Address:", WriteEEAdr), 0, 0);
    eg->addWidget(WriteEEAdr, 0, 1);
    eg->addWidget(label(ee, "EEPROM Data:", WriteEEdata), 0, 2);
    eg->addWidget(WriteEEdata, 0, 3);
    eg->addWidget(WriteEE, 0, 6);
    eg->addWidget(label(ee, "EEPROM Address:", ReadEEadr), 1, 0);
    eg->addWidget(ReadEEadr, 1, 1);
    eg->addWidget(label(ee, "Result:", ReadEEdata), 1, 2);
    eg->addWidget(ReadEEdata, 1, 3);
    eg->addWidget(label(ee, "next:", ReadEEnext), 1, 4);
    eg->addWidget(ReadEEnext, 1, 5);
    eg->addWidget(ReadEE, 1, 6);
    eg->addWidget(Command1, 2, 0, 1, 7, Qt::AlignLeft);

    // --- raw traffic and line tests
    auto* raw = new QGroupBox("Line Test", this);
    const char* frameDefaults[] = {"170", "1", "2", "0", "0"};
    auto* frame = new QHBoxLayout;
    for (std::size_t i = 0; i < txtCommandBytes.size(); ++i) {
        txtCommandBytes[i] = field(raw, "", frameDefaults[i], 42);
        txtCommandBytes[i]->setObjectName(QString("txtCommandBytes(%1)").arg(i));
        frame->addWidget(txtCommandBytes[i]);
    }
    chkContinuously = new QCheckBox("Continuously", raw);
    chkContinuously->setObjectName("chkContinuously");
    cmdSendCommand = commandButton(raw, "cmdSendCommand", "&Send Command");
    frame->addWidget(chkContinuously);
    frame->addStretch();
    frame->addWidget(cmdSendCommand);
    LegSequence = commandButton(raw, "LegSequence", "Sequence");
    Text5 = field(raw, "Text5", "16", 50);
    Command7 = commandButton(raw, "Command7", "Send");
    Command7->setEnabled(false);  // the D/A value is only used by pattern 15
    OneByte = field(raw, "OneByte", "15", 50);
    SendAByte = commandButton(raw, "SendAByte", "send serial data");
    auto* rg = new QGridLayout(raw);
    rg->addLayout(frame, 0, 0, 1, 4);
    rg->addWidget(label(raw, "D/A Value:", Text5), 1, 0);
    rg->addWidget(Text5, 1, 1);
    rg->addWidget(Command7, 1, 2, Qt::AlignLeft);
    rg->addWidget(LegSequence, 1, 3, Qt::AlignRight);
    rg->addWidget(OneByte, 2, 1);
    rg->addWidget(SendAByte, 2, 2, Qt::AlignLeft);
    rg->setColumnStretch(2, 1);

    // --- display and validation options
    auto* opts = new QGroupBox("Display", this);
    chkDisplayTemp = new QCheckBox("Display Temperature", opts);
    chkDisplayTemp->setObjectName("chkDisplayTemp");
    DecimalPlacesIn = field(opts, "DecimalPlacesIn", {}, 40);
    Text1 = commandButton(opts, "Text1", "False");
    auto* og = new QGridLayout(opts);
    og->addWidget(chkDisplayTemp, 0, 0, 1, 2);
    og->addWidget(label(opts, "Number of Decimal Places for Inches:", DecimalPlacesIn), 1, 0);
    og->addWidget(DecimalPlacesIn, 1, 1, Qt::AlignLeft);
    og->addWidget(label(opts, "SkipCheckValues: ", Text1), 2, 0);
    og->addWidget(Text1, 2, 1, Qt::AlignLeft);
    og->setColumnStretch(2, 1);

    GetPICRAM = commandButton(this, "GetPICRAM", "PICRAM.TXT");
    cmdIDTagTest = commandButton(this, "cmdIDTagTest", "&ID Tag Test");
    BootK7K = commandButton(this, "BootK7K", "Boot K7700");
    cmdExitFC = commandButton(this, "cmdExitFC", "Exit");

    auto* columns = new QBoxLayout(QBoxLayout::LeftToRight);
    auto* left = new QVBoxLayout;
    left->addWidget(cal);
    left->addWidget(ident);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(ee);
    right->addWidget(raw);
    right->addWidget(opts);
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(GetPICRAM);
    buttons->addWidget(cmdIDTagTest);
    buttons->addWidget(BootK7K);
    buttons->addStretch();
    buttons->addWidget(cmdExitFC);
    // The groups scroll on a small screen (one column above the other where two do not fit
    // side by side); the buttons below them stay in view.
    auto* body = new QWidget(this);
    columns->setContentsMargins(0, 0, 0, 0);
    body->setLayout(columns);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(scrollingBody(body, this, "FactoryBody"), 1);
    layout->addLayout(buttons);
    if (sizeHint().width() + frameAllowance(this).width() > availableArea(this).width()) {
        columns->setDirection(QBoxLayout::TopToBottom);
    }
}

void FactoryWindow::connectHandlers() {
    std::vector<QWidget*> starters{cmdIDTagTest};
    auto line = [this, &starters](QPushButton* b, void (FactoryWindow::*action)()) {
        onClick(b, [this, action] { lineAction(action); });
        starters.push_back(b);
    };
    line(CalDistance, &FactoryWindow::calibrateDistanceToField);
    line(IncTempCalFC, &FactoryWindow::incrementTemperatureCal);
    line(DecTempCalFC, &FactoryWindow::decrementTemperatureCal);
    line(Command6, &FactoryWindow::sendSerialNumber);
    line(Command10, &FactoryWindow::readRevision);
    line(Command11, &FactoryWindow::sendCommandNumber);
    line(WriteEE, &FactoryWindow::writeEepromCell);
    line(ReadEE, &FactoryWindow::readEepromCell);
    line(SendSensorDescrip, &FactoryWindow::sendDescription);
    line(cmdSendCommand, &FactoryWindow::sendRawCommand);
    line(LegSequence, &FactoryWindow::runLegSequence);
    line(SendAByte, &FactoryWindow::sendByte);
    line(Command1, &FactoryWindow::enableAllEepromWrites);
    line(BootK7K, &FactoryWindow::bootAddressedSensor);
    line(GetPICRAM, &FactoryWindow::saveRamDump);
    onClick(cmdIDTagTest, [this] { openIdTagTest(); });
    disableWhileHandling(starters);
    onClick(Text1, [this] { toggleValidation(); });
    onClick(chkDisplayTemp, [this] { displayTemperatureToggled(); });
    connect(cmdExitFC, &QPushButton::clicked, this, &QDialog::close);
    connect(DecimalPlacesIn, &QLineEdit::textChanged, this,
            [this] { handle([this] { decimalPlacesChanged(); }); });
    connect(WriteEEAdr, &QLineEdit::textChanged, ReadEEadr, &QLineEdit::setText);
    connect(CalMessage, &QLabel::customContextMenuRequested, this, [this] {
        handle([this] {
            QMessageBox box(QMessageBox::NoIcon, "Message", kCalInstructions, QMessageBox::Ok,
                            this);
            box.setObjectName("CalInstructions");
            box.exec();
        });
    });
}

void FactoryWindow::lockMainWindow(QWidget* mainWindow) {
    // Its menus and fields, not the whole window: that would disable the windows it owns,
    // this one among them.
    mainLocked_.emplace(DisabledWhileBusy::contentsOf(mainWindow));
}

void FactoryWindow::closing() {
    if (test_) test_->close();
    mainLocked_.reset();
    pause_.reset();
}

void FactoryWindow::lineAction(void (FactoryWindow::*action)()) {
    // One sequence of this window at a time: a click that arrives while another waits (the
    // continuous frame, a pattern) is not a second sequence.
    if (sequence_) {
        link_.ui().beep();
        return;
    }
    sequence_ = true;
    const auto block = std::pair(link_.writeEepromAddress, link_.writeEepromData);
    (this->*action)();
    sequence_ = false;
    // A write shows in the block's fields; a refused value stays there to be mended.
    if (!isClosed() && block != std::pair(link_.writeEepromAddress, link_.writeEepromData)) {
        showParameterBlock();
    }
}

bool FactoryWindow::refused(const Checked& c) {
    if (c) return false;
    message(QString::fromStdString(c.refusal), "InputRefused");
    return true;
}

void FactoryWindow::message(const QString& text, const char* name) {
    QMessageBox box(QMessageBox::Warning, "Factory Control", text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

void FactoryWindow::reportCells(const CellsWritten& w, const QString& notSent) {
    if (w.busy || !w.failedCell || link_.programEnding || isClosed()) return;
    message(QString("EEPROM cell %1 did not take the value written.%2")
                .arg(*w.failedCell)
                .arg(notSent.isEmpty() ? QString() : " " + notSent),
            "WriteFailed");
}

// ---------------------------------------------------------------------------------------------
// The write parameter block: the fields show what the last verified write put there. What is
// typed into them goes to the block only with the write (or command) that uses it, checked.

void FactoryWindow::showParameterBlock() {
    WriteEEAdr->setText(QString::fromStdString(link_.writeEepromAddress));
    WriteEEdata->setText(QString::fromStdString(link_.writeEepromData));
}

// ---------------------------------------------------------------------------------------------
// Calibration

void FactoryWindow::calibrateDistanceToField() {
    const Checked range =
        checkReal(text(CalRange), "Inches", kCalRangeMinInches, kCalRangeMaxInches);
    if (refused(range)) return;
    const Checked temp =
        checkReal(text(CalTemperature), "Degrees C", kCalTemperatureMinC, kCalTemperatureMaxC);
    if (refused(temp)) return;
    using Outcome = DistanceCalibration::Outcome;
    const DistanceCalibration r = calibrateDistance(link_, range.real, temp.real);
    if (r.outcome == Outcome::Busy || r.outcome == Outcome::NoReply || link_.programEnding) return;
    if (r.outcome == Outcome::NoEcho) {
        message(
            "The sensor sees no echo (it measured 0): there is nothing to calibrate against. "
            "Nothing was written.",
            "CalNoEcho");
        return;
    }
    CalMessage->setText("Cal Value = " + QString::number(r.cal));
    if (r.outcome == Outcome::OutOfRange) {
        message(QString("Cal Value = %1 does not fit cells 6 and 7 (-32768 to 32767): check the "
                        "distance and the temperature. Nothing was written.")
                    .arg(r.cal),
                "CalOutOfRange");
    } else if (r.outcome == Outcome::WriteFailed) {
        reportCells({false, r.failedCell}, "The sensor was not restarted.");
    }
}

void FactoryWindow::incrementTemperatureCal() {
    stepTemperatureCalValue(true);
}

void FactoryWindow::decrementTemperatureCal() {
    stepTemperatureCalValue(false);
}

void FactoryWindow::stepTemperatureCalValue(bool up) {
    const auto celsius = stepTemperatureCal(link_, up, [this] {
        // Red while the sensor takes the new calibration.
        QPalette pal = SingleTempReading->palette();
        pal.setColor(QPalette::Base, QColor(255, 0, 0));
        SingleTempReading->setPalette(pal);
        SingleTempReading->repaint();
    });
    setRed(SingleTempReading, false);
    if (celsius) SingleTempReading->setText(QString::fromStdString(plainText(*celsius)));
}

// ---------------------------------------------------------------------------------------------
// Identity and single commands

void FactoryWindow::sendSerialNumber() {
    const Checked serial = checkWhole(text(SerNumFC), "Serial Number", 0, kMaxSerialNumber);
    if (refused(serial)) return;
    const CellsWritten w = writeSerialNumber(link_, serial.value);
    if (w.busy || link_.programEnding) return;
    reportCells(w, "The cells after it were not written.");
    host_->showSensorAgain();
}

void FactoryWindow::readRevision() {
    if (const auto revision = readFirmwareRevision(link_)) {
        RevNumFC->setText(QString::number(*revision));
    }
}

void FactoryWindow::sendCommandNumber() {
    const Checked code = checkWhole(text(CommandNum), "Command Number", 0, 255);
    if (refused(code)) return;
    if (!isAcceptedCommand(static_cast<int>(code.value))) {
        message(QString("Command %1 is not one this program sends to a sensor. Nothing was sent.")
                    .arg(code.value),
                "InputRefused");
        return;
    }
    if (code.value == cmd::WriteEeprom || code.value == cmd::Unlock) {
        // These take the write parameter block: it is sent as the fields show it.
        const Checked adr = checkWhole(text(WriteEEAdr), "EEPROM Address", 0, 127);
        if (refused(adr)) return;
        const Checked data = checkWhole(text(WriteEEdata), "EEPROM Data", 0, 255);
        if (refused(data)) return;
        link_.writeEepromAddress = std::to_string(adr.value);
        link_.writeEepromData = std::to_string(data.value);
    }
    sendSingleCommand(link_, static_cast<int>(code.value));
}

// ---------------------------------------------------------------------------------------------
// EEPROM cells

void FactoryWindow::writeEepromCell() {
    const Checked adr = checkWhole(text(WriteEEAdr), "EEPROM Address", 0, 127);
    if (refused(adr)) return;
    const Checked data = checkWhole(text(WriteEEdata), "EEPROM Data", 0, 255);
    if (refused(data)) return;
    reportCells(writeCell(link_, static_cast<int>(adr.value), static_cast<int>(data.value)));
}

void FactoryWindow::readEepromCell() {
    const Checked adr = checkWhole(text(ReadEEadr), "EEPROM Address (Read)", 0, 127);
    if (refused(adr)) return;
    if (const auto pair = readCell(link_, static_cast<int>(adr.value))) {
        ReadEEdata->setText(QString::number(pair->cell));
        ReadEEnext->setText(QString::number(pair->next));
    }
}

void FactoryWindow::enableAllEepromWrites() {
    enableAllWrites(link_);
}

void FactoryWindow::bootAddressedSensor() {
    bootSensor(link_);
}

void FactoryWindow::saveRamDump() {
    host_->dumpRam();
}

void FactoryWindow::sendDescription() {
    const auto cells = descriptionCells(text(SensorDescripFC));
    if (!cells) {
        message(QString("\"Sensor Description\" holds at most %1 characters (EEPROM cells %2 to "
                        "%3). Nothing was sent.")
                    .arg(kDescriptionMaxLength)
                    .arg(kDescriptionFirstCell)
                    .arg(kDescriptionLastCell),
                "InputRefused");
        return;
    }
    if (cells->empty()) return;
    QMessageBox confirm(QMessageBox::Warning, "Factory Control",
                        QString::fromStdString(descriptionWarning(*cells)),
                        QMessageBox::Yes | QMessageBox::No, this);
    confirm.setObjectName("DescriptionWarning");
    confirm.setDefaultButton(QMessageBox::No);
    if (confirm.exec() != QMessageBox::Yes) return;
    reportCells(writeDescription(link_, *cells, pacer_), "The rest of the text was not written.");
}

// ---------------------------------------------------------------------------------------------
// Raw traffic

void FactoryWindow::sendRawCommand() {
    // Held for the whole loop: no other window's exchange can take a reply to a free frame
    // for its own.
    const Link::Hold held = lineForTool(link_);
    if (!held) return;
    for (;;) {
        // The five fields are read afresh for every frame.
        std::array<std::uint8_t, 5> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const Checked b =
                checkWhole(text(txtCommandBytes[i]), "frame byte " + std::to_string(i + 1), 0, 255);
            if (refused(b)) return;
            bytes[i] = static_cast<std::uint8_t>(b.value);
        }
        if (!sendFreeFrame(link_, bytes)) return;
        if (!chkContinuously->isChecked() || !pacer_(kFreeFrameRepeatMs)) return;
        if (!chkContinuously->isChecked()) return;
    }
}

void FactoryWindow::runLegSequence() {
    sendLegSequence(link_, pacer_);
}

void FactoryWindow::sendByte() {
    const Checked code = checkWhole(text(OneByte), "send serial data", 0, 255);
    if (refused(code)) return;
    const Checked da = checkWhole(text(Text5), "D/A Value", 0, 255);
    if (refused(da)) return;
    runPattern(link_, patternActions(static_cast<int>(code.value), static_cast<int>(da.value)),
               pacer_);
}

// ---------------------------------------------------------------------------------------------
// Display options and the repeated test

void FactoryWindow::displayTemperatureToggled() {
    m_.temperatureHidden = !chkDisplayTemp->isChecked();
    host_->displayOptionsChanged();
}

void FactoryWindow::decimalPlacesChanged() {
    const std::string t = text(DecimalPlacesIn);
    long places = 0;
    if (t.find_first_not_of(' ') != std::string::npos) {
        const Checked c = checkWhole(t, "Number of Decimal Places for Inches", 0, kMaxInchDecimals);
        setRed(DecimalPlacesIn, !c);
        if (!c) return;  // half typed or wrong: the format stays until the field makes sense
        places = c.value;
    }
    setRed(DecimalPlacesIn, false);
    m_.formats.fixInchDecimals(static_cast<int>(places));
    host_->displayOptionsChanged();
}

void FactoryWindow::toggleValidation() {
    m_.skipValidation = !m_.skipValidation;
    Text1->setText(m_.skipValidation ? "TRUE" : "False");
}

void FactoryWindow::openIdTagTest() {
    if (test_ && !test_->isClosed()) {  // a closed one is only waiting to be deleted
        test_->raise();
        test_->activateWindow();
        return;
    }
    if (host_->editing()) {
        message(
            "The main screen is in edit mode: program or cancel the edit before the ID tag "
            "test, which programs every sensor with the settings read from it.",
            "TestRefused");
        return;
    }
    // A window of the main window's, not of this one: closing this window while a step of the
    // test runs must not delete the test under it (closing() ends the test at its next step).
    test_ = new RepeatedTestWindow(host_, poll_, parentWidget());
    test_->placeOver(this);
    // The test runs its sequences until it is closed: nothing here may start one meanwhile
    // (this button only brings the test to the front).
    std::vector<QWidget*> starters = busyControls();
    std::erase(starters, cmdIDTagTest);
    auto testRuns = std::make_shared<DisabledWhileBusy>(starters);
    connect(test_, &QDialog::finished, this, [testRuns] { testRuns->release(); });
    connect(test_, &QObject::destroyed, this, [testRuns] { testRuns->release(); });
    test_->show();
}

}  // namespace k7
