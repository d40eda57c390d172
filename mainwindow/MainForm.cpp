#include "mainwindow/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "common/RuntimeError.h"
#include "link/Commands.h"
#include "mainwindow/ExitProgram.h"
#include "mainwindow/GuiLinkUi.h"
#include "settings/CommandLine.h"
#include "settings/IniFile.h"
#include "settings/Module2.h"
#include "windows/ErrorBox.h"

namespace k7 {

MainForm::MainForm(Module2& m, GuiLinkUi& ui, std::string commandLine, QWidget* parent)
    : QMainWindow(parent), m_(m), ui_(ui), commandLine_(std::move(commandLine)) {
    setObjectName("MainForm");
    setWindowTitle("K-7700 Smart Ultrasonic Sensor");

    auto* central = new QWidget(this);
    auto* form = new QFormLayout;
    lblIDTag = new QLabel("&ID Tag:", central);
    SensorID = new QComboBox(central);
    SensorID->setObjectName("SensorID");
    SingleSensorID = new QLineEdit(central);
    SingleSensorID->setObjectName("SingleSensorID");
    SingleSensorID->setMaximumWidth(80);
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(SensorID);
    idRow->addWidget(SingleSensorID);
    idRow->addStretch();
    form->addRow(lblIDTag, idRow);
    lblIDTag->setBuddy(SingleSensorID);
    lblSensorsFound = new QLabel(central);
    lblSensorsFound->setObjectName("lblSensorsFound");
    form->addRow("Sensors found:", lblSensorsFound);

    Message = new QLabel(central);
    Message->setObjectName("Message");
    Message->setWordWrap(true);
    Message->setMinimumHeight(40);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(form);
    layout->addWidget(Message);
    layout->addStretch();
    setCentralWidget(central);
    resize(420, 200);

    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");

    connect(SensorID, &QComboBox::activated, this, [this] { SensorID_Click(); });
    connect(SingleSensorID, &QLineEdit::textChanged, this, [this] {
        // The typed tag is a preference; the search's own changes are not.
        if (changeTracking_ && !ui_.progressVisible()) {
            m_.WriteIniFile(SingleSensorID->text().toStdString());
        }
    });
}

void MainForm::Form_Load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Timer3->stop();
    changeTracking_ = false;
    try {
        m_.applyCommandLine(ProcessCommandLineOptions(commandLine_));
        m_.link.ErrorBeep = true;
        m_.link.line().discardInput();
        m_.applyIni(readIniFile(m_.iniPath, QDir::currentPath().toStdString()));
    } catch (const std::exception& e) {
        ReportError(this, m_.link.ErrorBeep, "Mainform.Form_Load", kErrDeviceIo, e.what());
    }
    QApplication::restoreOverrideCursor();

    if (!connectToSensors(m_.link, m_.discovery)) return;  // the program is ending

    // The tag the user worked with last time, when it is on the line.
    const int preferred = static_cast<int>(m_.PreferredIDTag);
    for (int i = 0; i < SensorID->count(); ++i) {
        if (SensorID->itemText(i).toInt() == preferred) {
            SensorID->setCurrentIndex(i);
            setSingleSensorIdText(SensorID->itemText(i));
            m_.discovery.CurrentIDTag = preferred;
        }
    }
    showFoundSensors();
    changeTracking_ = true;
    show();
}

void MainForm::showFoundSensors() {
    const bool several = m_.discovery.SensorCount > 1;
    SensorID->setVisible(several);
    SingleSensorID->setVisible(!several);
    lblIDTag->setBuddy(several ? static_cast<QWidget*>(SensorID) : SingleSensorID);
    QStringList tags;
    for (int t : m_.discovery.found) tags << QString::number(t);
    lblSensorsFound->setText(tags.isEmpty() ? "(none)" : tags.join(", "));
    if (m_.discovery.found.empty()) SingleSensorID->setText("(none)");
}

void MainForm::SensorID_Click() {
    if (SensorID->currentText() == SingleSensorID->text()) return;
    changeTracking_ = false;
    setSingleSensorIdText(SensorID->currentText());
    m_.discovery.CurrentIDTag = SensorID->currentText().toInt();
    changeTracking_ = true;
    m_.WriteIniFile(SingleSensorID->text().toStdString());
}

void MainForm::stopStatusPoll() { Timer3->stop(); }

void MainForm::showMessage(const QString& text) {
    Message->setText(text);
    Message->repaint();
}

void MainForm::clearSensorList() { SensorID->clear(); }

void MainForm::addSensorToList(int tag) { SensorID->addItem(QString::number(tag)); }

void MainForm::setSingleSensorIdText(const QString& text) { SingleSensorID->setText(text); }

void MainForm::closeEvent(QCloseEvent* e) {
    e->accept();
    ExitProgram(m_);
}

}  // namespace k7
