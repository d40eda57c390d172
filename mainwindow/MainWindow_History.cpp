// The change history in the main window: the recorder learns who the sensor on screen is and
// what it held as read; its problems go to the message band; File -> "Change History ..."
// lists the sensor's changes and recalls a setup from one.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "history/ChangeHistory.h"
#include "history/ChangeHistoryWindow.h"
#include "history/HistoryRecorder.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "setupfile/SetupScreen.h"

namespace k7 {
namespace {

// A problem waits for the line to be free, so the re-read after a programming does not clear
// it from the band at once.
constexpr int kProblemRetryMs = 50;

std::optional<long> serialOf(const ScreenValues& sv) {
    bool ok = false;
    const long serial = QString::fromStdString(sv.SerialNumber).trimmed().toLong(&ok);
    return ok ? std::optional(serial) : std::nullopt;
}

}  // namespace

void MainWindow::attachHistory(HistoryRecorder& recorder) {
    history_ = &recorder;
    // Told on the writer's thread; shown on this one, if the window is still there.
    recorder.onProblem([self = QPointer<MainWindow>(this)](const std::string& text) {
        QMetaObject::invokeMethod(
            qApp,
            [self, t = QString::fromStdString(text)] {
                if (self) self->showHistoryProblem(t);
            },
            Qt::QueuedConnection);
    });
    connect(this, &MainWindow::sensorShown, this, [this] {
        const ScreenValues sv = screenValues();
        setupAsRead_ = setupRecordText(setupValuesFrom(m_, sv));
        history_->sensorRead(m_.discovery.currentIdTag, sv.SerialNumber, m_.sensorType);
    });
}

void MainWindow::showHistoryProblem(const QString& text) {
    if (m_.link.busy() || m_.link.programEnding) {
        if (!m_.link.programEnding) {
            QTimer::singleShot(kProblemRetryMs, this, [this, text] { showHistoryProblem(text); });
        }
        return;
    }
    // Beside what the band says already (a programming's outcome), not over it.
    const QString sentence = text.left(1).toUpper() + text.mid(1) + ".";
    const QString shown = Message->text();
    setMessageBand(true);
    Message->setText(shown.isEmpty() ? sentence : shown + " " + sentence);
}

void MainWindow::showChangeHistory() {
    const std::string path = history_ ? history_->path() : historyPath({});
    const ScreenValues sv = screenValues();
    ChangeFilter filter;
    QString heading;
    const QString model = QString::fromStdString(modelName(m_.sensorType));
    if (const auto serial = serialOf(sv)) {
        // By serial number, so the list follows a sensor whose ID tag changed.
        filter.serial = serial;
        heading = QString(
                      "Changes of the sensor with serial number %1 (ID tag %2, %3), newest "
                      "first.")
                      .arg(*serial)
                      .arg(m_.discovery.currentIdTag)
                      .arg(model);
    } else {
        filter.tag = m_.discovery.currentIdTag;
        heading = QString("Changes of ID tag %1, newest first.").arg(m_.discovery.currentIdTag);
    }
    std::vector<ChangeRecord> records;
    ChangeHistory history(path, ChangeHistory::Mode::Read, {.busyTimeoutMs = 100});
    if (const auto problem = history.find(filter, records)) {
        heading = QString::fromStdString(problem->text);
        heading = heading.left(1).toUpper() + heading.mid(1) + ".";
    }
    ChangeHistoryWindow dlg(
        std::move(records), heading,
        {m_.distanceUnit, m_.temperatureUnit, m_.sensorType, !m_.editModeActive}, this);
    dlg.exec();
    if (dlg.recalled()) recallSetup(*dlg.recalled());
}

}  // namespace k7
