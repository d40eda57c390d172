// The factory tools of the internal menu: the factory window, the low EEPROM editor and the
// RAM dump, and what they need of the main window.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>

#include "common/RuntimeError.h"
#include "mainwindow/MainForm.h"
#include "service/FactoryHost.h"
#include "service/RamDump.h"
#include "service/RepeatedTest.h"
#include "service/frmFactory.h"
#include "service/frmLowEEPROM.h"
#include "settings/Module2.h"
#include "settings/Programming.h"
#include "settings/Validation.h"
#include "setupfile/SetupScreen.h"
#include "windows/ErrorBox.h"

namespace k7 {
namespace {

class MainFormFactoryHost final : public FactoryHost {
public:
    MainFormFactoryHost(MainForm& form, Module2& m) : form_(form), m_(m) {}

    int sensorCount() override { return form_.SensorID->count(); }

    std::string selectSensor(int index) override {
        if (index < 0 || index >= form_.SensorID->count() || m_.link.busy()) return {};
        form_.SensorID->setCurrentIndex(index);
        form_.SensorID_Click();
        const QString tag = form_.SensorID->itemText(index);
        if (m_.link.ProgramEnding || tag.toInt() != m_.discovery.CurrentIDTag) return {};
        return tag.toStdString();
    }

    bool updateStatus() override {
        Link::Hold held = m_.link.hold();
        return held && form_.StatusExchange(std::move(held));
    }

    std::string programSensor() override {
        // The settings just read from the sensor, back into it under its own tag.
        ScreenValues sv = form_.screenValues();
        sv.SingleSensorID = std::to_string(m_.discovery.CurrentIDTag);
        if (const auto failure = CheckValues(m_, sv)) return "not programmed: " + failure->message;
        const std::string setup = setupRecordText(setupValuesFrom(m_, sv));
        ChangeScope change(m_.link, kProgramChange, {setup, setup});
        return programFailureText(WriteAllUserEEPROM(m_, sv));
    }

    bool editing() override { return m_.EditModeActive; }

    void showSensorAgain() override { form_.ShowUnitSelections(); }

    void displayOptionsChanged() override {
        if (!m_.EditModeActive) {
            // Typed distances are the user's until committed; the others follow the format.
            for (DistanceFieldState& d : m_.dist) MakeDistArrayFromK7K(d, m_.formats);
            form_.UpdateUnits();
        }
        form_.ShowTemperatureRow();
        form_.ShowTemperature();
    }

    void dumpRam() override { form_.MenuPicRamToFile_Click(); }

private:
    MainForm& form_;
    Module2& m_;
};

}  // namespace

void MainForm::FactoryMenu_Click() {
    // One at a time: choosing the item again brings it to the front.
    if (auto* open = findChild<frmFactory*>()) {
        if (!open->isClosed()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    if (!lineForUser()) return;
    auto* window =
        new frmFactory(m_, *this, std::make_shared<MainFormFactoryHost>(*this, m_), this);
    window->show();
}

void MainForm::mnuLowEEPROM_Click() {
    if (auto* open = findChild<frmLowEEPROM*>()) {
        if (!open->isClosed()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    if (!lineForUser()) return;
    auto* window = new frmLowEEPROM(m_.link, this);
    connect(this, &MainForm::sensorShown, window, &frmLowEEPROM::sensorShown);
    window->show();
    window->ReadAll();
}

void MainForm::MenuPicRamToFile_Click() {
    // The file goes into the current folder; the messages name it in full.
    const std::string path = QDir::current().absoluteFilePath(kRamDumpFile).toStdString();
    const RamDumpResult r = dumpRamToFile(m_.link, *this, path);
    using Outcome = RamDumpResult::Outcome;
    if (r.outcome == Outcome::Saved) {
        showDoneMessage(QString::fromStdString("RAM dump written to " + path));
    } else if (r.outcome == Outcome::WriteFailed) {
        ReportError(this, m_.link.ErrorBeep, "Mainform.MenuPicRamToFile_Click", kErrPathNotFound,
                    r.error + ": " + path);
    } else if (r.outcome == Outcome::Short) {
        QMessageBox box(QMessageBox::Warning, "PIC RAM",
                        QString::fromStdString(ramDumpShortMessage(r.received, path)),
                        QMessageBox::Ok, QApplication::activeWindow());
        box.setObjectName("RamDumpShort");
        box.exec();
    }
}

}  // namespace k7
