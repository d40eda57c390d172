// The acoustic display's File menu: acoustic data files, and the plot and samples exported.
#include <QAction>
#include <QBuffer>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

#include "acoustic/AcousticFile.h"
#include "acoustic/AcousticWindow.h"
#include "acoustic/EchoCsv.h"
#include "acoustic/ScopePlot.h"
#include "common/RegularFile.h"
#include "common/RuntimeError.h"
#include "service/ThresholdChange.h"
#include "settings/ProgramState.h"
#include "windows/FileErrorWindow.h"

namespace k7 {
namespace {

constexpr const char* kAllFiles = "all files (*)";

// A data file keeps no date of its own: the time it was last written stands for it.
std::string fileDate(const QString& path) {
    return QFileInfo(path).lastModified().toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

}  // namespace

QString AcousticWindow::chooseFile(bool save, const QString& title, const QString& filter,
                                   const QString& suffix) {
    // The display's dialog keeps its own folder; the setup files keep theirs.
    QFileDialog dlg(this, title, QString::fromStdString(m_.acousticDialogFolder));
    dlg.setObjectName("AcousticFileDialog");
    dlg.setOption(QFileDialog::DontUseNativeDialog);  // Qt's own, as for the setup files
    dlg.setNameFilter(filter);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!suffix.isEmpty()) dlg.setDefaultSuffix(suffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    const QString path = dlg.selectedFiles().constFirst();
    m_.acousticDialogFolder = QFileInfo(path).absolutePath().toStdString();
    return path;
}

void AcousticWindow::showFileError(const std::string& message) {
    FileErrorWindow box(QString::fromStdString(message), this);
    box.exec();
    if (box.exitChosen()) m_.link.ui().exitProgram();
}

void AcousticWindow::saveRecord() {
    if (capturing_ || leaving_ || !hasRecord_) return;
    Running running(this);
    const QString path = chooseFile(true, "Save Acoustic Data", kAllFiles, {});
    if (path.isEmpty()) return;
    m_.saveIni(m_.link.ui().addressedTagText());
    record_.comments = txtUserComments->toPlainText().toStdString();
    const std::string error = saveAcousticFile(path.toStdString(), record_);
    if (!error.empty()) showFileError(error);
}

void AcousticWindow::recallRecord() {
    if (capturing_ || leaving_) return;
    Running running(this);
    const QString path = chooseFile(false, "Recall Acoustic Data", kAllFiles, {});
    if (path.isEmpty()) return;
    m_.saveIni(m_.link.ui().addressedTagText());
    // Read whole and checked before anything on screen changes.
    RecalledFile file = recallAcousticFile(path.toStdString());
    if (!file.record) {
        showFileError(file.error);
        return;
    }
    // The line is drawn at the threshold of the sensor on the line, as for a capture.
    {
        const Link::Hold held = m_.link.hold();
        if (const std::optional<int> code = held ? readThresholdCode(m_.link) : std::nullopt) {
            thresholdCode_ = *code;
        }
    }
    if (m_.link.programEnding || leaving_) return;
    record_ = std::move(*file.record);
    record_.date = fileDate(path);
    hasRecord_ = true;
    kelvin_ = recallKelvin(record_.temperatureC);
    txtUserComments->setPlainText(QString::fromStdString(record_.comments));
    lblFileName->setText("File: " + path);
    lblSerialNumberData->setText(QString::fromStdString(serialNumberLabel(record_.serialNumber)));
    lblTemperatureData->setText(
        QString::fromStdString(temperatureLabel(record_.temperatureC, m_.temperatureUnit)));
    lblCurrentPlot->setText(QString::fromStdString(record_.gainCaption));
    checkGainOf(record_);
    drawPlot();
    Plot->show();
    setInfoLabelsVisible(true);
    setCaptureControls(false);
}

void AcousticWindow::chooseBaseline() {
    if (capturing_ || leaving_ || !hasRecord_) return;
    Running running(this);
    const QString path = chooseFile(false, "Compare with Acoustic Data", kAllFiles, {});
    if (!path.isEmpty()) compareWith(path);
}

void AcousticWindow::compareWith(const QString& path) {
    RecalledFile file = recallAcousticFile(path.toStdString());
    if (!file.record) {
        showFileError(file.error);
        return;
    }
    if (leaving_) return;
    baseline_ = std::move(file.record);
    baseline_->date = fileDate(path);
    // A long name is cut in its middle: the panel keeps its width.
    const QFontMetrics fm = BaselineFrame->fontMetrics();
    BaselineFrame->setTitle(fm.elidedText("Compared with " + QFileInfo(path).fileName(),
                                          Qt::ElideMiddle,
                                          BaselineFrame->parentWidget()->width() - fm.height()));
    BaselineFrame->setToolTip(path);
    drawPlot();
    setCaptureControls(false);
}

void AcousticWindow::clearBaseline() {
    if (capturing_ || leaving_) return;
    baseline_.reset();
    drawPlot();
    setCaptureControls(false);
}

void AcousticWindow::exportPlot() {
    if (capturing_ || leaving_ || !hasRecord_) return;
    Running running(this);
    const QString path = chooseFile(true, "Export Plot as PNG", "PNG images (*.png)", "png");
    if (path.isEmpty()) return;
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    plotPanel->grab().save(&png, "PNG");
    FileRefusal failure;
    const QByteArray& bytes = png.data();
    if (!replaceFileContents(path.toStdString(),
                             {bytes.constData(), static_cast<std::size_t>(bytes.size())},
                             &failure)) {
        showFileError(
            FileError{fileErrorNumber(failure.systemError, false), failure.message}.text());
    }
}

void AcousticWindow::exportSamples() {
    if (capturing_ || leaving_ || !hasRecord_) return;
    Running running(this);
    const QString path = chooseFile(true, "Export Samples as CSV", "CSV files (*.csv)", "csv");
    if (path.isEmpty()) return;
    const std::string error =
        writeDisplayFile(path.toStdString(), echoCsvText(record_, kelvin_, m_.distanceUnit));
    if (!error.empty()) showFileError(error);
}

}  // namespace k7
