// The commissioning report of the sensor shown or of every sensor found, as a PDF (File menu),
// and the comm history with the line's health (Advanced Settings menu).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "common/RegularFile.h"
#include "mainwindow/Fields.h"
#include "mainwindow/MainWindow.h"
#include "report/ReportModel.h"
#include "report/ReportPdf.h"
#include "settings/ProgramState.h"
#include "windows/CommHistoryWindow.h"

namespace k7 {
namespace {

constexpr const char* kReportCaption = "Save Report as PDF";

// Which sensors: the one shown, or (when the search found more) every one of them. Empty on
// cancel.
std::vector<int> chooseSensors(QWidget* parent, const std::vector<int>& found, int shown) {
    if (found.size() < 2) return {shown};
    QMessageBox box(QMessageBox::Question, kReportCaption,
                    QString("The search found %1 sensors. Report all of them (one page each), "
                            "or only ID tag %2?")
                        .arg(found.size())
                        .arg(shown),
                    QMessageBox::NoButton, parent);
    box.setObjectName("ReportSensors");
    QPushButton* all =
        box.addButton(QString("&All %1 Sensors").arg(found.size()), QMessageBox::AcceptRole);
    all->setObjectName("cmdAllSensors");
    QPushButton* one =
        box.addButton(QString("&ID Tag %1 Only").arg(shown), QMessageBox::AcceptRole);
    one->setObjectName("cmdShownSensor");
    box.addButton(QMessageBox::Cancel)->setObjectName("cmdCancel");
    box.setDefaultButton(all);
    box.exec();
    if (box.clickedButton() == all) return found;
    if (box.clickedButton() == one) return {shown};
    return {};
}

// Qt's own save dialog, in the setup files' folder, for a .pdf file.
std::optional<QString> choosePdf(QWidget* parent, const ProgramState& m) {
    QFileDialog dlg(parent, kReportCaption);
    dlg.setObjectName("ReportDialog");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter("PDF files (*.pdf)");
    dlg.setDefaultSuffix("pdf");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDirectory(m.setupDialogFolder.empty() ? QDir::currentPath()
                                                 : QString::fromStdString(m.setupDialogFolder));
    dlg.selectFile("K7700-report.pdf");
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().constFirst();
}

}  // namespace

void MainWindow::writeReport() {
    if (m_.editModeActive) {
        // The report says what the sensor holds; edits on screen would be lost by its reads.
        showErrorMessage("Program the changes or cancel editing before saving a report.");
        return;
    }
    const int shown = m_.discovery.currentIdTag;
    std::vector<int> listed;
    for (int i = 0; i < SensorID->count(); ++i) listed.push_back(SensorID->itemText(i).toInt());
    const std::vector<int> tags = chooseSensors(this, listed, shown);
    if (tags.empty()) return;
    const std::optional<QString> path = choosePdf(this, m_);
    if (!path) return;

    const Link::Hold held = lineForUser();
    if (!held) return;
    std::vector<ReportPage> pages;
    {
        const PollPause pause(*this);
        // Several sensors: a window of its own counts them, above the settings read's.
        QProgressDialog progress("", "Cancel", 0, static_cast<int>(tags.size()), this);
        progress.setObjectName("ReportProgress");
        progress.setWindowTitle(kReportCaption);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        if (tags.size() > 1) progress.show();
        const std::string made = localDateTimeText();
        // The ID field names each sensor in turn as it is read: not an edit.
        m_.changeTracking = false;
        for (std::size_t i = 0; i < tags.size() && !progress.wasCanceled(); ++i) {
            progress.setLabelText(QString("Reading ID tag %1 (sensor %2 of %3) ...")
                                      .arg(tags[i])
                                      .arg(i + 1)
                                      .arg(tags.size()));
            progress.setValue(static_cast<int>(i));
            pages.push_back(reportSensor(m_, tags[i], made));
            if (m_.link.programEnding) return;
            m_.link.processEvents();
        }
        const bool canceled = progress.wasCanceled();
        progress.close();
        // Back to the sensor on screen, read afresh: the reads of the others changed the
        // program's idea of the sensor type and limits.
        if (tags != std::vector<int>{shown}) {
            setSingleSensorIdText(QString::number(shown));
            m_.discovery.currentIdTag = shown;
            showUnitSelections();
            if (m_.link.programEnding) return;
        }
        m_.changeTracking = true;
        if (canceled) return;
    }
    const std::string error = writeReportPdf(path->toStdString(), pages);
    if (!error.empty()) {
        QMessageBox::warning(this, kReportCaption,
                             QString::fromStdString("The report could not be saved: " +
                                                    namingFile(path->toStdString(), error)));
        return;
    }
    const auto silent =
        std::count_if(pages.begin(), pages.end(), [](const ReportPage& p) { return !p.answered; });
    if (silent > 0) {
        showErrorMessage(QString("Report saved to %1, but %2 of its sensors did not answer.")
                             .arg(*path)
                             .arg(silent));
    } else {
        showDoneMessage(QString("Report saved to %1").arg(*path));
    }
}

void MainWindow::showCommHistory() {
    // One window, left open beside the main window while the poll runs.
    auto* w = findChild<CommHistoryWindow*>();
    if (!w) {
        w = new CommHistoryWindow(m_.link, this);
        w->setAttribute(Qt::WA_DeleteOnClose);
    }
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace k7
