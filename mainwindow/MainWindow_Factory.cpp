// The factory tools of the internal menu: the factory window, the low EEPROM editor and the
// RAM dump, and what they need of the main window.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>

#include "common/RuntimeError.h"
#include "mainwindow/MainWindow.h"
#include "service/FactoryHost.h"
#include "service/FactoryWindow.h"
#include "service/LowEepromWindow.h"
#include "service/RamDump.h"
#include "service/RepeatedTest.h"
#include "settings/ProgramState.h"
#include "settings/Programming.h"
#include "settings/Validation.h"
#include "setupfile/SetupScreen.h"
#include "windows/ErrorBox.h"

namespace k7 {
namespace {

class MainWindowFactoryHost final : public FactoryHost {
public:
    MainWindowFactoryHost(MainWindow& form, ProgramState& m) : form_(form), m_(m) {}

    int sensorCount() override { return form_.SensorID->count(); }

    std::string selectSensor(int index) override {
        if (index < 0 || index >= form_.SensorID->count() || m_.link.busy()) return {};
        form_.SensorID->setCurrentIndex(index);
        form_.showChosenSensor();
        const QString tag = form_.SensorID->itemText(index);
        if (m_.link.programEnding || tag.toInt() != m_.discovery.currentIdTag) return {};
        return tag.toStdString();
    }

    bool updateStatus() override {
        Link::Hold held = m_.link.hold();
        return held && form_.statusExchange(std::move(held));
    }

    std::string programSensor() override {
        // The settings just read from the sensor, back into it under its own tag.
        ScreenValues sv = form_.screenValues();
        sv.SingleSensorID = std::to_string(m_.discovery.currentIdTag);
        if (const auto failure = checkValues(m_, sv)) return "not programmed: " + failure->message;
        const std::string setup = setupRecordText(setupValuesFrom(m_, sv));
        ChangeScope change(m_.link, kProgramChange, {setup, setup});
        return programFailureText(writeAllUserEeprom(m_, sv));
    }

    bool editing() override { return m_.editModeActive; }

    void showSensorAgain() override { form_.showUnitSelections(); }

    void displayOptionsChanged() override {
        if (!m_.editModeActive) {
            // Typed distances are the user's until committed; the others follow the format.
            for (DistanceFieldState& d : m_.dist) makeDistanceFieldFromStored(d, m_.formats);
            form_.updateUnits();
        }
        form_.showTemperatureRow();
        form_.showTemperature();
    }

    void dumpRam() override { form_.saveRamToFile(); }

private:
    MainWindow& form_;
    ProgramState& m_;
};

}  // namespace

void MainWindow::openFactoryControl() {
    // One at a time: choosing the item again brings it to the front.
    if (auto* open = findChild<FactoryWindow*>()) {
        if (!open->isClosed()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    if (!lineForUser()) return;
    auto* window =
        new FactoryWindow(m_, *this, std::make_shared<MainWindowFactoryHost>(*this, m_), this);
    window->show();
}

void MainWindow::openLowEeprom() {
    if (auto* open = findChild<LowEepromWindow*>()) {
        if (!open->isClosed()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    if (!lineForUser()) return;
    auto* window = new LowEepromWindow(m_.link, this);
    connect(this, &MainWindow::sensorShown, window, &LowEepromWindow::sensorShown);
    window->show();
    window->readAll();
}

void MainWindow::saveRamToFile() {
    // The file goes into the current folder; the messages name it in full.
    const std::string path = QDir::current().absoluteFilePath(kRamDumpFile).toStdString();
    const RamDumpResult r = dumpRamToFile(m_.link, *this, path);
    using Outcome = RamDumpResult::Outcome;
    if (r.outcome == Outcome::Saved) {
        showDoneMessage(QString::fromStdString("RAM dump written to " + path));
    } else if (r.outcome == Outcome::WriteFailed) {
        showErrorBox(this, m_.link.errorBeep, "Mainform.MenuPicRamToFile_Click", kErrPathNotFound,
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
