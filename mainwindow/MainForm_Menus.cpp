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
#include "mainwindow/MainForm.h"
#include "settings/Module2.h"
#include "windows/ErrorBox.h"
#include "windows/FormAbout.h"
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

void MainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    MenuFile = menu(bar, "&File", "MenuFile");
    MenuSave = item(MenuFile, "&Save Setup ...", "MenuSave", this, [this] { MenuSave_Click(); });
    MenuRecall =
        item(MenuFile, "&Recall Setup ...", "MenuRecall", this, [this] { MenuRecall_Click(); });
    MenuCompare = item(MenuFile, "&Compare Setup with Sensor ...", "MenuCompare", this,
                       [this] { MenuCompare_Click(); });
    MenuReport = item(MenuFile, "Save Report as P&DF ...", "MenuReport", this,
                      [this] { MenuReport_Click(); });
    MenuChangeHistory = item(MenuFile, "Change &History ...", "MenuChangeHistory", this,
                             [this] { MenuChangeHistory_Click(); });
    MenuFile->addSeparator();
    PrintSetup = item(MenuFile, "Printer S&election ...", "PrintSetup", this, [] {});
    MenuPrint = item(MenuFile, "&Print ...", "MenuPrint", this, [this] { MenuPrint_Click(); });
    MenuFile->addSeparator();
    MenuExit = item(MenuFile, "E&xit", "MenuExit", this, [this] { ExitProgram(m_); });

    menuUnits = menu(bar, "&Units", "menuUnits");
    menuDistUnits = menuUnits->addMenu("&Distance");
    menuDistUnits->setObjectName("menuDistUnits");
    menuCm = item(menuDistUnits, "&Centimeters", "menuCm", this, [this] { setDistanceUnit(kCm); });
    menuIn = item(menuDistUnits, "&Inches", "menuIn", this, [this] { setDistanceUnit(kIn); });
    menuFt = item(menuDistUnits, "&Feet", "menuFt", this, [this] { setDistanceUnit(kFt); });
    menuM = item(menuDistUnits, "&Meters", "menuM", this, [this] { setDistanceUnit(kM); });
    menuTempUnits = menuUnits->addMenu("&Temperature");
    menuTempUnits->setObjectName("menuTempUnits");
    menuCelsius = item(menuTempUnits, "&Celsius", "menuCelsius", this,
                       [this] { setTemperatureUnit(kCelsius); });
    menuFahrenheit = item(menuTempUnits, "&Fahrenheit", "menuFahrenheit", this,
                          [this] { setTemperatureUnit(kFahrenheit); });
    for (QAction* a : {menuCm, menuIn, menuFt, menuM, menuCelsius, menuFahrenheit}) {
        a->setCheckable(true);
    }

    menuTempComp = menu(bar, "T&emperature Compensation", "menuTempComp");
    menuAutoTemp =
        item(menuTempComp, "&Automatic", "menuAutoTemp", this, [this] { menuAutoTemp_Click(); });
    menuPresetTemp =
        item(menuTempComp, "&Preset", "menuPresetTemp", this, [this] { menuPresetTemp_Click(); });
    menuAutoTemp->setCheckable(true);
    menuPresetTemp->setCheckable(true);

    buildViewMenu();

    mnuDiagnostics = menu(bar, "&Diagnostics", "mnuDiagnostics");
    ScopeMode = item(mnuDiagnostics, "&Display Acoustic Signal...", "ScopeMode", this,
                     [this] { ScopeMode_Click(); });
    mnuDiagnostics->menuAction()->setVisible(false);

    MenuTools = menu(bar, "&Advanced Settings", "MenuTools");
    ResetError =
        item(MenuTools, "Reset &Error", "ResetError", this, [this] { ResetError_Click(); });
    CalCurrentMenu = item(MenuTools, "&Calibrate Current...", "CalCurrentMenu", this,
                          [this] { CalCurrentMenu_Click(); });
    mnuAdjustSenitivity = item(MenuTools, "&Adjust Sensitivity", "mnuAdjustSenitivity", this,
                               [this] { mnuAdjustSenitivity_Click(); });
    menuRingTimes = item(MenuTools, "G615 &Ring Times", "menuRingTimes", this,
                         [this] { menuRingTimes_Click(); });
    menuRingTimes->setVisible(false);
    menuCommPort =
        item(MenuTools, "&Comm Port", "menuCommPort", this, [this] { menuCommPort_Click(); });
    menuCommHistory = item(MenuTools, "Comm &History and Line Health ...", "menuCommHistory", this,
                           [this] { menuCommHistory_Click(); });

    MenuHelp = menu(bar, "&Help", "MenuHelp");
    HelpSystem = item(MenuHelp, "&Help system", "HelpSystem", this, [this] { showHelp(this); });
    HelpSystem->setShortcut(QKeySequence(Qt::Key_F1));
    k7v = item(MenuHelp, "&K7700 version", "k7v", this, [this] { k7v_Click(); });
    MenuAbout = item(MenuHelp, "&About This Program", "MenuAbout", this, [this] {
        FormAbout about(this);
        about.exec();
        raise();
        activateWindow();
    });

    InternalMenu = menu(bar, " ", "InternalMenu");
    FactoryMenu = item(InternalMenu, "&Factory Control", "FactoryMenu", this,
                       [this] { FactoryMenu_Click(); });
    mnuLowEEPROM =
        item(InternalMenu, "Low EEPROM", "mnuLowEEPROM", this, [this] { mnuLowEEPROM_Click(); });
    CommToFile = item(InternalMenu, "&Comm History to K7KCOMM.TXT file", "CommToFile", this,
                      [this] { CommToFile_Click(); });
    MenuPicRamToFile = item(InternalMenu, "PIC &RAM to PICRAM.txt file", "MenuPicRamToFile", this,
                            [this] { MenuPicRamToFile_Click(); });
    menuCommBeep = item(InternalMenu, "Comm &beep", "menuCommBeep", this, [] {});
    menuCommBeep->setCheckable(true);
    HalvoColors = item(InternalMenu, "Co&lors", "HalvoColors", this, [] {});
    InternalMenu->menuAction()->setVisible(false);

    connect(tmrPostLoadCode, &QTimer::timeout, this, [this] {
        diagnosticsAllowed_ = m_.discovery.AcousticCapable;
        showDiagnosticsMenu();
        tmrPostLoadCode->stop();
    });
}

void MainForm::showDiagnosticsMenu() {
    // A menu with nothing in it for the sensor shown (a G-615 has no acoustic display) is not
    // offered at all.
    const QList<QAction*> items = mnuDiagnostics->actions();
    const bool any = std::any_of(items.begin(), items.end(), [](const QAction* a) {
        return a->isVisible() && !a->isSeparator();
    });
    mnuDiagnostics->menuAction()->setVisible(diagnosticsAllowed_ && any);
}

void MainForm::setDistanceUnit(int unit) {
    // Every changed field is committed first; a field that is not a number keeps the unit.
    bool parseError = false;
    for (int i = 0; i < kDistFieldCount; ++i) {
        if (!commitDistance(static_cast<DistField>(i))) parseError = true;
    }
    auto showChecks = [this] {
        menuCm->setChecked(m_.DistanceUnit == kCm);
        menuIn->setChecked(m_.DistanceUnit == kIn);
        menuFt->setChecked(m_.DistanceUnit == kFt);
        menuM->setChecked(m_.DistanceUnit == kM);
    };
    if (parseError) {
        showChecks();
        return;
    }
    RedOut();
    if (unit == m_.DistanceUnit) {
        showChecks();
        return;
    }
    m_.DistanceUnit = unit;
    showChecks();
    UpdateUnits();
    m_.WriteIniFile(SingleSensorID->text().toStdString());
}

void MainForm::setTemperatureUnit(int unit) {
    if (unit != m_.TemperatureUnit) {
        m_.TemperatureUnit = unit;
        m_.ChangeTracking = false;
        UpdateTemperatureUnits();
        m_.ChangeTracking = true;
        m_.WriteIniFile(SingleSensorID->text().toStdString());
    }
    menuCelsius->setChecked(m_.TemperatureUnit == kCelsius);
    menuFahrenheit->setChecked(m_.TemperatureUnit == kFahrenheit);
}

void MainForm::menuAutoTemp_Click() {
    if (m_.TemperatureCompensation != 0) {
        m_.TemperatureCompensation = 0;
        Visibility();
        EditMode(true);
    }
    menuAutoTemp->setChecked(true);
    menuPresetTemp->setChecked(false);
    if (m_.TemperatureHidden && m_.TemperatureReceived) flashMeasuredTemperature();
}

void MainForm::flashMeasuredTemperature() {
    // The temperature row is hidden: the measured temperature shows on the message band for a
    // moment, as plain text; then the band shows again what it showed (a validation message
    // stays with its marks), unless something else has been shown meanwhile.
    const QString before = Message->text();
    const bool red = Message->autoFillBackground();
    const bool f = m_.TemperatureUnit == kFahrenheit;
    const QString flash = QString::fromStdString(
        formatNumber(f ? m_.MeasuredTemperatureF : m_.MeasuredTemperatureC, "##0.0") +
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

void MainForm::menuPresetTemp_Click() {
    if (m_.TemperatureCompensation != 1) {
        m_.TemperatureCompensation = 1;
        Visibility();
        EditMode(true);
    }
    menuAutoTemp->setChecked(false);
    menuPresetTemp->setChecked(true);
}

void MainForm::CommToFile_Click() {
    // The file goes into the current folder; the messages name it in full.
    const std::string path = QDir::current().absoluteFilePath("K7KCOMM.txt").toStdString();
    std::string error;
    if (!writeTextFile(path, m_.link.history.fileText(), &error)) {
        ReportError(this, m_.link.ErrorBeep, "Mainform.CommToFile_Click", kErrPathNotFound,
                    error + ": " + path);
        return;
    }
    showDoneMessage(QString::fromStdString("Comm history written to " + path));
}

}  // namespace k7
