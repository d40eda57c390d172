// The File menu's setup files: save, recall, compare with the sensor, and print.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QTimer>
#include <exception>

#include "mainwindow/ExitProgram.h"
#include "mainwindow/Fields.h"
#include "mainwindow/MainWindow.h"
#include "settings/CommandLine.h"
#include "settings/ProgramState.h"
#include "setupfile/CompareWindow.h"
#include "setupfile/PrintWindow.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupFileDialog.h"
#include "setupfile/SetupFileIo.h"
#include "setupfile/SetupScreen.h"
#include "windows/FileErrorWindow.h"

namespace k7 {
namespace {

constexpr int kErrPrinter = 482;

// The error window for file problems; its "E&xit Program" ends the program.
void showFileError(MainWindow* form, ProgramState& m, const std::string& text) {
    FileErrorWindow dlg(QString::fromStdString(text), form);
    dlg.exec();
    if (dlg.exitChosen()) ExitProgram(m);
}

// The file's values for the sensor shown, checked as a whole; on any failure the error window
// says why and nothing is returned.
std::optional<SetupValues> readForSensor(MainWindow* form, ProgramState& m,
                                         const std::string& path) {
    const SetupRead r = readSetupFile(path, m.sensorType);
    switch (r.status) {
        case SetupRead::Status::Ok:
            return r.values;
        case SetupRead::Status::OpenFailed:
            showFileError(form, m, r.error.text());
            break;
        case SetupRead::Status::NotInterpretable:
            showFileError(form, m, notInterpretableMessage(path));
            break;
    }
    return std::nullopt;
}

// Where a print goes when no printer is installed: a PDF named after the last setup file.
QString pdfFileName(const std::string& lastSetupFile) {
    if (lastSetupFile.empty()) return QDir::current().absoluteFilePath("K7700-setup.pdf");
    const QFileInfo f(QString::fromStdString(lastSetupFile));
    return f.absoluteDir().absoluteFilePath(f.completeBaseName() + ".pdf");
}

}  // namespace

void MainWindow::saveSetup() {
    if (m_.editModeActive) return;
    const auto path = chooseSetupFile(this, m_, "Save Setup", SetupDialogMode::Save,
                                      SingleSensorID->text().toStdString());
    if (!path) return;
    if (const auto error = saveSetupFile(*path, *path, setupValuesFrom(m_, screenValues()))) {
        showFileError(this, m_, error->text());
    }
}

void MainWindow::recallSetupFile() {
    if (m_.editModeActive) return;
    const auto path = chooseSetupFile(this, m_, "Recall Setup", SetupDialogMode::Open,
                                      SingleSensorID->text().toStdString());
    if (!path) return;
    const auto values = readForSensor(this, m_, *path);
    if (values) recallSetup(*values);
}

void MainWindow::recallSetup(const SetupValues& values) {
    try {
        ScreenValues sv = screenValues();
        applySetup(m_, sv, values);
        refillScreen(sv);
        automaticTemperatureAction->setChecked(m_.temperatureCompensation == 0);
        presetTemperatureAction->setChecked(m_.temperatureCompensation == 1);
        if (UserDescription->text() == kFactoryAccessCode) setInternalMenuVisible(true);
        // A recalled setup is there to be programmed: the screen stands in edit mode.
        setEditMode(true);
        showTemperature();
        applyModelVisibility();
        checkListsForEdit();
        listCheckTimer->stop();
    } catch (const std::exception&) {
        showFileError(this, m_, "Error - MainForm MenuRecall");
    }
}

void MainWindow::compareSetup() {
    if (m_.editModeActive) return;
    const auto path = chooseSetupFile(this, m_, "Compare Setup with Sensor", SetupDialogMode::Open,
                                      SingleSensorID->text().toStdString());
    if (!path) return;
    {
        // What the sensor holds now. Nothing is being edited, so the screen may show it too.
        const Link::Hold held = lineForUser();
        if (!held) return;
        showUnitSelections();
        if (m_.link.programEnding) return;
    }
    const auto file = readForSensor(this, m_, *path);
    if (!file) return;
    const std::vector<CompareRow> rows =
        compareSetups(*file, setupValuesFrom(m_, screenValues()), m_);
    QString model = FactoryDescription->text();
    if (model.startsWith("Sensor: ")) model = model.mid(8);
    CompareWindow dlg(rows, QString::fromStdString(*path),
                      QString("ID tag %1 (%2)").arg(m_.discovery.currentIdTag).arg(model), this);
    dlg.exec();
}

QImage MainWindow::pageImage() {
    // The groups whole, however far they are scrolled and without the scroll bars, and the band
    // below them, unless all it says is what an earlier action did.
    const QString said = Message->text();
    const bool earlier = !said.isEmpty() && said == doneText_;
    const QPalette palette = Message->palette();
    const bool opaque = Message->autoFillBackground();
    if (earlier) {
        setMessageBand(false);
        Message->clear();
    }
    const QImage image = windowImage(this, {scroll_->widget(), bottom_});
    if (earlier) {
        Message->setPalette(palette);
        Message->setAutoFillBackground(opaque);
        Message->setText(said);
    }
    return image;
}

void MainWindow::printSetup() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName("K-7700 setup");
    printer.setPageOrientation(QPageLayout::Landscape);  // the window is wider than tall
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFileName(m_.lastSetupFile));
    }
    QPrintDialog dlg(&printer, this);
    dlg.setObjectName("CommonDialogPrint");
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dlg.exec() != QDialog::Accepted) return;
    QString error;
    if (!printImage(pageImage(), printer, &error)) {
        showFileError(this, m_, FileError{kErrPrinter, error.toStdString()}.text());
    }
}

}  // namespace k7
