// Start-up of the whole program, reading a sensor into the screen, and choosing another one.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include "common/NumberText.h"
#include "common/RuntimeError.h"
#include "common/Version.h"
#include "link/Commands.h"
#include "mainwindow/ExitProgram.h"
#include "mainwindow/Fields.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainWindow.h"
#include "settings/CommandLine.h"
#include "settings/Lists.h"
#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "settings/SettingsRead.h"
#include "windows/DisabledWhileBusy.h"
#include "windows/ErrorBox.h"
#include "windows/IntroWindow.h"
#include "windows/Placement.h"
#include "windows/ScreenFit.h"

namespace k7 {

void MainWindow::load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_.temperatureHidden = true;
    m_.skipValidation = false;
    listCheckTimer->stop();
    statusTimer->stop();
    IntroWindow intro;
    intro.show();
    ui_.setIntro(&intro);  // the progress and port windows keep clear of it
    m_.link.processEvents();
    auto report = [this](const char* where, const std::exception& e) {
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        showErrorBox(this, m_.link.errorBeep, where, re ? re->number() : 0, e.what());
    };
    try {
        m_.applyCommandLine(processCommandLineOptions(arguments_));
        m_.link.errorBeep = true;
        m_.link.line().discardInput();
        m_.changeTracking = false;
        m_.temperatureReceived = false;
        move(0, 0);
        m_.applyIni(readIniFile(m_.iniPath, QDir::currentPath().toStdString()));
        centimetresAction->setChecked(m_.distanceUnit == kCm);
        inchesAction->setChecked(m_.distanceUnit == kIn);
        feetAction->setChecked(m_.distanceUnit == kFt);
        metresAction->setChecked(m_.distanceUnit == kM);
        celsiusAction->setChecked(m_.temperatureUnit == kCelsius);
        fahrenheitAction->setChecked(m_.temperatureUnit == kFahrenheit);
    } catch (const std::exception& e) {
        report("Mainform.Form_Load", e);
    }
    QApplication::restoreOverrideCursor();

    // Port and search: the program ends here when the user chooses to. An unexpected error
    // while the port is chosen or opened ends the program; one during the search (the port is
    // open then) skips the rest of the start-up.
    try {
        if (!connectToSensors(m_.link, m_.discovery)) return;
    } catch (const std::exception& e) {
        const bool searching = m_.link.line().isOpen();
        report(searching ? "Mainform.Form_Load Poll" : "Mainform.Form_Load Comm", e);
        if (!searching) {
            ExitProgram(m_);
            return;
        }
        loaded_ = true;
        show();
        return;
    }
    clearErrorMarks();

    try {
        listCheckTimer->stop();
        showSensorsFound();
        if (m_.link.programEnding) return;
        listCheckTimer->stop();
        cmdCancelEdit->hide();
        cmdSWTrigger->hide();
        m_.measuredTemperatureC = 0;
        m_.measuredTemperatureF = 32;
        updateUnits();
        m_.changeTracking = false;  // captioning the screen is not an edit
        updateTemperatureUnits();
        applyModelVisibility();
        if (m_.discovery.sensorCount == 0) {
            setStatusInfoVisible(false);
            setUnitInfoVisible(false);
        }
        statusTimer->setInterval(1000);
        statusTimer->start();
        m_.changeTracking = true;
        setInternalMenuVisible(trim(UserDescription->text().toStdString()) == kFactoryAccessCode ||
                               m_.factoryAccess);
        m_.link.sendRequest(cmd::CurrentCalMode);
        showTemperatureRow();
        ui_.setIntro(nullptr);
        intro.close();
        applyTypeExtras();
    } catch (const std::exception& e) {
        report("Mainform.Form_Load", e);
    }
    loaded_ = true;
    fitToScreen();
    show();
    fitToScreen();  // the frame may be known now
    centreOn(this, availableArea(this));
    focusFirstField();
    postLoadTimer->start();
}

void MainWindow::showSensorsFound() {
    // The tag the user worked with last time, when it is on the line.
    const int preferred = m_.preferredIdTag;
    for (int i = 0; i < SensorID->count(); ++i) {
        if (SensorID->itemText(i).toInt() == preferred) {
            SensorID->setCurrentIndex(i);
            setSingleSensorIdText(SensorID->itemText(i));
            m_.discovery.currentIdTag = preferred;
        }
    }
    showUnitSelections();
    if (m_.link.programEnding) return;
    const bool several = m_.discovery.sensorCount > 1;
    SensorID->setVisible(several);
    SingleSensorID->setVisible(!several);
    lblIDTag->setBuddy(several ? static_cast<QWidget*>(SensorID) : SingleSensorID);
    if (m_.discovery.sensorCount == 0) SingleSensorID->setText("(none)");
}

void MainWindow::changeCommPort() {
    const Link::Hold held = lineForUser();
    if (!held || !ui_.chooseNewPort()) return;
    // The port chosen is used at once: opened (asking again while it cannot be) and searched.
    // The search names each tag it asks in the ID field: no edit.
    const PollPause pause(*this);
    const QScopedValueRollback<bool> tracking(m_.changeTracking, false);
    {
        const auto busy = DisabledWhileBusy::contentsOf(this);
        if (!connectToSensors(m_.link, m_.discovery)) return;  // the program is ending
    }
    showSensorsFound();
    focusFirstField();
}

QSize MainWindow::wantedSize() const {
    const QSize room = availableArea(this).size() - frameAllowance(this);
    // Around the groups: the menu bar, the message band with the edit-mode row, the status bar.
    const int around = menuBar()->sizeHint().height() + bottom_->sizeHint().height() +
                       (statusBar()->isHidden() ? 0 : statusBar()->sizeHint().height());
    QSize want = scroll_->sizeHint() + QSize(0, around);
    want.setWidth(std::max(want.width(), bottom_->sizeHint().width()));
    // Narrower than it would like, the groups' long captions take two lines.
    const QWidget* content = scroll_->widget();
    if (want.width() > room.width() && content->hasHeightForWidth()) {
        want.setHeight(std::max(want.height(), content->heightForWidth(room.width()) + around));
    }
    // The groups give up their spare room before they scroll; a scroll bar then takes its
    // width from the other side.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize least = content->minimumSizeHint() + QSize(0, around);
    if (least.width() > room.width()) want.rheight() += bar;
    if (least.height() > room.height()) want.rwidth() += bar;
    return want.boundedTo(room);
}

void MainWindow::fitToScreen() {
    lastWanted_ = wantedSize();
    resize(lastWanted_);
}

void MainWindow::growToContent() {
    growPending_ = false;
    if (!loaded_ || !isVisible()) return;
    const QSize want = wantedSize();
    // Only what has grown since the last look: a window the user made smaller stays so until
    // there is more to show.
    const QSize grown(want.width() > lastWanted_.width() ? want.width() : width(),
                      want.height() > lastWanted_.height() ? want.height() : height());
    lastWanted_ = want;
    if (grown.width() <= width() && grown.height() <= height()) return;
    resize(grown.expandedTo(size()));
    keepInside(this, availableArea(this));
}

void MainWindow::focusFirstField() {
    QWidget* first = SensorID->isVisibleTo(this) ? static_cast<QWidget*>(SensorID) : SingleSensorID;
    if (first->isVisibleTo(this) && first->isEnabled()) first->setFocus(Qt::OtherFocusReason);
}

void MainWindow::updateSensorCaptions() {
    const bool g615 = m_.sensorType == 4;
    QString title =
        g615 ? "Ulmaron(TM) G-615 Smart Ultrasonic Sensor" : "K-7700 Smart Ultrasonic Sensor";
    if (versionText() == "3.773") title += " BETA VERSION";
    QString sensor;
    if (m_.discovery.currentIdTag > 0) {
        sensor = QString("ID tag %1: %2")
                     .arg(m_.discovery.currentIdTag)
                     .arg(QString::fromStdString(modelName(m_.sensorType)));
        title += " - " + sensor;
    }
    if (m_.simulated) {
        title = "SIMULATED - " + title;
        sensor += sensor.isEmpty() ? "(simulated sensors)" : " (simulated)";
    }
    setWindowTitle(title);
    setCaption(lblSensor, sensor);
}

void MainWindow::syncSensorList() {
    const int i = SensorID->findText(QString::number(m_.discovery.currentIdTag));
    if (i >= 0 && i != SensorID->currentIndex()) SensorID->setCurrentIndex(i);
}

void MainWindow::applyTypeExtras() {
    // What the sensor type decides beyond the fields it reads; the G-615 keeps its own captions
    // and the advanced menu (ring times) on every read, not only at start-up.
    if (m_.sensorType == 4) {
        setCaption(Label1, "G-615 STATUS");
        toolsMenu->menuAction()->setVisible(true);
        ringTimesAction->setVisible(true);
        calibrateCurrentAction->setVisible(false);
        acousticDisplayAction->setVisible(false);
    } else {
        setCaption(Label1, "K-7700 STATUS");
        ringTimesAction->setVisible(false);
        calibrateCurrentAction->setVisible(true);
        acousticDisplayAction->setVisible(true);
    }
    showDiagnosticsMenu();
    setCaption(Label11, modelScreen(m_.sensorType).outputGroup);
    // The Velkor model's trigger mode is fixed at the factory.
    TriggerMode->setEnabled(m_.sensorType != 5);
    updateSensorCaptions();
}

void MainWindow::showUnitSelections() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    m_.changeTracking = false;
    const PollPause pause(*this);
    const auto busy = DisabledWhileBusy::contentsOf(this);
    try {
        ScreenValues sv = screenValues();
        const std::string note = readSensorSettings(m_, sv);
        if (m_.link.programEnding) return;
        applyScreenValues(sv);
        const ModelScreen shown = modelScreen(m_.sensorType);
        showG503Fields(shown);
        setCaption(Label11, shown.outputGroup);
        presetTemperatureAction->setChecked(m_.temperatureCompensation == 1);
        automaticTemperatureAction->setChecked(m_.temperatureCompensation == 0);
        showTemperature();
        applyModelVisibility();
        applyTypeExtras();
        clearErrorMessage();
        if (!note.empty()) {
            setMessageBand(true);
            Message->setText(QString::fromStdString(note));
        }
        emit sensorShown();
    } catch (const std::exception& e) {
        const auto* re = dynamic_cast<const RuntimeError*>(&e);
        showErrorBox(this, m_.link.errorBeep, "Module2.ShowUnitSelections", re ? re->number() : 0,
                     e.what());
    }
    m_.changeTracking = true;
}

void MainWindow::showChosenSensor() {
    if (m_.editModeActive) {
        // The list is locked while editing: it keeps showing the sensor being edited.
        syncSensorList();
        return;
    }
    if (m_.link.busy()) {
        // Another exchange runs: the choice waits for the line, and the last choice wins.
        if (!sensorChangePending_) {
            sensorChangePending_ = true;
            QTimer::singleShot(50, this, [this] {
                sensorChangePending_ = false;
                showChosenSensor();
            });
        }
        return;
    }
    const QString tag = SensorID->currentText();
    if (tag.isEmpty() || tag.toInt() == m_.discovery.currentIdTag) return;  // already on screen
    m_.changeTracking = false;
    if (tag != SingleSensorID->text()) setSingleSensorIdText(tag);
    m_.discovery.currentIdTag = tag.toInt();
    showUnitSelections();
    m_.changeTracking = true;
}

void MainWindow::stopStatusPoll() {
    statusTimer->stop();
}

void MainWindow::showMessage(const QString& text) {
    // The link only reports failures here: show them on the red band.
    setMessageBand(true);
    Message->setText(text);
    Message->repaint();
}

void MainWindow::clearSensorList() {
    SensorID->clear();
}

void MainWindow::addSensorToList(int tag) {
    SensorID->addItem(QString::number(tag));
}

void MainWindow::setSingleSensorIdText(const QString& text) {
    if (SingleSensorID->text() != text) SingleSensorID->setText(text);
}

std::string MainWindow::addressedTag() const {
    if (m_.editModeActive && !programming_) return std::to_string(m_.discovery.currentIdTag);
    return SingleSensorID->text().toStdString();
}

}  // namespace k7
