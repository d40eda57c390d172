// The menu bar: units, temperature compensation, advanced settings, help and the internal
// (factory) menu.
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <algorithm>

#include "common/NumberFormat.h"
#include "common/RuntimeError.h"
#include "common/TextFile.h"
#include "mainwindow/ExitProgram.h"
#include "mainwindow/Fields.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "windows/AboutWindow.h"
#include "windows/ErrorBox.h"
#include "windows/Help.h"

namespace k7 {
namespace {

template <typename F>
QAction* item(QMenu* menu, const QString& caption, const char* name, QObject* ctx, F&& f) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    QObject::connect(a, &QAction::triggered, ctx, std::forward<F>(f));
    return a;
}

QMenu* menu(QMenuBar* bar, const QString& caption, const char* name) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

}  // namespace

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu = menu(bar, "&File", "MenuFile");
    saveSetupAction = item(fileMenu, "&Save Setup ...", "MenuSave", this, [this] { saveSetup(); });
    recallSetupAction =
        item(fileMenu, "&Recall Setup ...", "MenuRecall", this, [this] { recallSetupFile(); });
    compareSetupAction = item(fileMenu, "&Compare Setup with Sensor ...", "MenuCompare", this,
                              [this] { compareSetup(); });
    reportAction =
        item(fileMenu, "Save Report as P&DF ...", "MenuReport", this, [this] { writeReport(); });
    MenuChangeHistory = item(fileMenu, "Change &History ...", "MenuChangeHistory", this,
                             [this] { showChangeHistory(); });
    fileMenu->addSeparator();
    printSetupAction = item(fileMenu, "Printer S&election ...", "PrintSetup", this, [] {});
    printAction = item(fileMenu, "&Print ...", "MenuPrint", this, [this] { printSetup(); });
    fileMenu->addSeparator();
    exitAction = item(fileMenu, "E&xit", "MenuExit", this, [this] { ExitProgram(m_); });

    unitsMenu = menu(bar, "&Units", "menuUnits");
    distanceUnitsMenu = unitsMenu->addMenu("&Distance");
    distanceUnitsMenu->setObjectName("menuDistUnits");
    centimetresAction =
        item(distanceUnitsMenu, "&Centimeters", "menuCm", this, [this] { setDistanceUnit(kCm); });
    inchesAction =
        item(distanceUnitsMenu, "&Inches", "menuIn", this, [this] { setDistanceUnit(kIn); });
    feetAction = item(distanceUnitsMenu, "&Feet", "menuFt", this, [this] { setDistanceUnit(kFt); });
    metresAction =
        item(distanceUnitsMenu, "&Meters", "menuM", this, [this] { setDistanceUnit(kM); });
    temperatureUnitsMenu = unitsMenu->addMenu("&Temperature");
    temperatureUnitsMenu->setObjectName("menuTempUnits");
    celsiusAction = item(temperatureUnitsMenu, "&Celsius", "menuCelsius", this,
                         [this] { setTemperatureUnit(kCelsius); });
    fahrenheitAction = item(temperatureUnitsMenu, "&Fahrenheit", "menuFahrenheit", this,
                            [this] { setTemperatureUnit(kFahrenheit); });
    for (QAction* a : {centimetresAction, inchesAction, feetAction, metresAction, celsiusAction,
                       fahrenheitAction}) {
        a->setCheckable(true);
    }

    temperatureCompensationMenu = menu(bar, "T&emperature Compensation", "menuTempComp");
    automaticTemperatureAction = item(temperatureCompensationMenu, "&Automatic", "menuAutoTemp",
                                      this, [this] { useAutomaticTemperature(); });
    presetTemperatureAction = item(temperatureCompensationMenu, "&Preset", "menuPresetTemp", this,
                                   [this] { usePresetTemperature(); });
    automaticTemperatureAction->setCheckable(true);
    presetTemperatureAction->setCheckable(true);

    buildViewMenu();

    diagnosticsMenu = menu(bar, "&Diagnostics", "mnuDiagnostics");
    acousticDisplayAction = item(diagnosticsMenu, "&Display Acoustic Signal...", "ScopeMode", this,
                                 [this] { openAcousticDisplay(); });
    diagnosticsMenu->menuAction()->setVisible(false);

    toolsMenu = menu(bar, "&Advanced Settings", "MenuTools");
    resetErrorAction =
        item(toolsMenu, "Reset &Error", "ResetError", this, [this] { resetSensorError(); });
    calibrateCurrentAction = item(toolsMenu, "&Calibrate Current...", "CalCurrentMenu", this,
                                  [this] { calibrateCurrent(); });
    sensitivityAction = item(toolsMenu, "&Adjust Sensitivity", "mnuAdjustSenitivity", this,
                             [this] { adjustSensitivity(); });
    ringTimesAction =
        item(toolsMenu, "G615 &Ring Times", "menuRingTimes", this, [this] { showRingTimes(); });
    ringTimesAction->setVisible(false);
    commPortAction =
        item(toolsMenu, "&Comm Port", "menuCommPort", this, [this] { changeCommPort(); });
    commHistoryAction = item(toolsMenu, "Comm &History and Line Health ...", "menuCommHistory",
                             this, [this] { showCommHistory(); });

    helpMenu = menu(bar, "&Help", "MenuHelp");
    helpAction = item(helpMenu, "&Help system", "HelpSystem", this, [this] { showHelp(this); });
    helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    firmwareVersionAction =
        item(helpMenu, "&K7700 version", "k7v", this, [this] { showFirmwareVersion(); });
    aboutAction = item(helpMenu, "&About This Program", "MenuAbout", this, [this] {
        AboutWindow about(this);
        about.exec();
        raise();
        activateWindow();
    });

    internalMenu = menu(bar, " ", "InternalMenu");
    factoryAction = item(internalMenu, "&Factory Control", "FactoryMenu", this,
                         [this] { openFactoryControl(); });
    lowEepromAction =
        item(internalMenu, "Low EEPROM", "mnuLowEEPROM", this, [this] { openLowEeprom(); });
    commToFileAction = item(internalMenu, "&Comm History to K7KCOMM.TXT file", "CommToFile", this,
                            [this] { saveCommHistoryToFile(); });
    ramToFileAction = item(internalMenu, "PIC &RAM to PICRAM.txt file", "MenuPicRamToFile", this,
                           [this] { saveRamToFile(); });
    commBeepAction = item(internalMenu, "Comm &beep", "menuCommBeep", this, [] {});
    commBeepAction->setCheckable(true);
    colorsAction = item(internalMenu, "Co&lors", "HalvoColors", this, [] {});
    internalMenu->menuAction()->setVisible(false);

    connect(postLoadTimer, &QTimer::timeout, this, [this] {
        diagnosticsAllowed_ = m_.discovery.acousticCapable;
        showDiagnosticsMenu();
        postLoadTimer->stop();
    });
}

void MainWindow::showDiagnosticsMenu() {
    // A menu with nothing in it for the sensor shown (a G-615 has no acoustic display) is not
    // offered at all.
    const QList<QAction*> items = diagnosticsMenu->actions();
    const bool any = std::any_of(items.begin(), items.end(), [](const QAction* a) {
        return a->isVisible() && !a->isSeparator();
    });
    diagnosticsMenu->menuAction()->setVisible(diagnosticsAllowed_ && any);
}

void MainWindow::setDistanceUnit(int unit) {
    // Every changed field is committed first; a field that is not a number keeps the unit.
    bool parseError = false;
    for (int i = 0; i < kDistFieldCount; ++i) {
        if (!commitDistance(static_cast<DistField>(i))) parseError = true;
    }
    auto showChecks = [this] {
        centimetresAction->setChecked(m_.distanceUnit == kCm);
        inchesAction->setChecked(m_.distanceUnit == kIn);
        feetAction->setChecked(m_.distanceUnit == kFt);
        metresAction->setChecked(m_.distanceUnit == kM);
    };
    if (parseError) {
        showChecks();
        return;
    }
    clearErrorMarks();
    if (unit == m_.distanceUnit) {
        showChecks();
        return;
    }
    m_.distanceUnit = unit;
    showChecks();
    updateUnits();
    m_.saveIni(SingleSensorID->text().toStdString());
}

void MainWindow::setTemperatureUnit(int unit) {
    if (unit != m_.temperatureUnit) {
        m_.temperatureUnit = unit;
        m_.changeTracking = false;
        updateTemperatureUnits();
        m_.changeTracking = true;
        m_.saveIni(SingleSensorID->text().toStdString());
    }
    celsiusAction->setChecked(m_.temperatureUnit == kCelsius);
    fahrenheitAction->setChecked(m_.temperatureUnit == kFahrenheit);
}

void MainWindow::useAutomaticTemperature() {
    if (m_.temperatureCompensation != 0) {
        m_.temperatureCompensation = 0;
        applyModelVisibility();
        setEditMode(true);
    }
    automaticTemperatureAction->setChecked(true);
    presetTemperatureAction->setChecked(false);
    if (m_.temperatureHidden && m_.temperatureReceived) flashMeasuredTemperature();
}

void MainWindow::flashMeasuredTemperature() {
    // The temperature row is hidden: the measured temperature shows on the message band for a
    // moment, as plain text; then the band shows again what it showed (a validation message
    // stays with its marks), unless something else has been shown meanwhile.
    const QString before = Message->text();
    const bool red = Message->autoFillBackground();
    const bool f = m_.temperatureUnit == kFahrenheit;
    const QString flash = QString::fromStdString(
        formatNumber(f ? m_.measuredTemperatureF : m_.measuredTemperatureC, "##0.0") +
        (f ? " deg. F" : " deg. C"));
    setMessageBand(false);
    Message->setText(flash);
    messageFlash_->disconnect();
    connect(messageFlash_, &QTimer::timeout, this, [this, before, red, flash] {
        if (Message->text() != flash) return;
        setMessageBand(red);
        Message->setText(before);
    });
    messageFlash_->start();
}

void MainWindow::usePresetTemperature() {
    if (m_.temperatureCompensation != 1) {
        m_.temperatureCompensation = 1;
        applyModelVisibility();
        setEditMode(true);
    }
    automaticTemperatureAction->setChecked(false);
    presetTemperatureAction->setChecked(true);
}

void MainWindow::saveCommHistoryToFile() {
    // The file goes into the current folder; the messages name it in full.
    const std::string path = QDir::current().absoluteFilePath("K7KCOMM.txt").toStdString();
    std::string error;
    if (!writeTextFile(path, m_.link.history.fileText(), &error)) {
        showErrorBox(this, m_.link.errorBeep, "Mainform.CommToFile_Click", kErrPathNotFound,
                     error + ": " + path);
        return;
    }
    showDoneMessage(QString::fromStdString("Comm history written to " + path));
}

}  // namespace k7
