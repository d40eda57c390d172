// The status poll: one status exchange every 220 ms after the previous one ended, the live
// readings, and the fault report with its reset.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "link/Commands.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "status/StatusDecode.h"
#include "windows/DisabledWhileBusy.h"

namespace k7 {

namespace {
// A tick that falls inside another exchange comes back this soon after, not lost.
constexpr int kDeferredPollMs = 50;
}  // namespace

void MainWindow::pollStatus() {
    Link::Hold held = m_.link.holdInBackground();
    if (!held) {
        statusTimer->start(kDeferredPollMs);
        return;
    }
    if (commBeepAction->isChecked()) QApplication::beep();
    statusTimer->stop();
    statusTimer->setInterval(220);
    statusExchange(std::move(held));
    if (m_.link.programEnding) return;
    // Edit mode may have started while the read let events run; it keeps the poll off.
    if (!m_.editModeActive) statusTimer->start();
}

bool MainWindow::statusExchange(Link::Hold held) {
    m_.link.statusPollBusy = true;
    m_.link.sendRequest(cmd::Status);
    const bool answered = m_.link.readReply();
    m_.link.statusPollBusy = false;
    held.release();
    if (m_.link.programEnding) return false;
    updateStatusData();
    return answered;
}

void MainWindow::updateStatusData() {
    if (!m_.link.replyOk) return;
    const StatusView v = decodeStatus(m_, screenValues());
    if (v.kind != StatusView::Kind::Ignored) emit statusRead(v.reading);
    switch (v.kind) {
        case StatusView::Kind::Ignored:
            return;
        case StatusView::Kind::Normal:
            setCaption(AvgDist, QString::fromStdString(v.AvgDist));
            if (v.CurrentOut) setCaption(CurrentOut, QString::fromStdString(*v.CurrentOut));
            showTemperature();
            if (v.TargetStrength)
                setCaption(TargetStrength, QString::fromStdString(*v.TargetStrength));
            setCaption(TargOut, QString::fromStdString(v.TargOut));
            setCaption(MinOut, QString::fromStdString(v.MinOut));
            setCaption(MaxOut, QString::fromStdString(v.MaxOut));
            return;
        case StatusView::Kind::Fault:
            setMessageBand(true);
            setStatusInfoVisible(false);
            setCaption(Message, QString::fromStdString(v.faultText));
            ResetErr->show();
            if (m_.autoResetError) {
                m_.link.processEvents();
                resetSensorError();
            }
            return;
    }
}

void MainWindow::clearErrorMessage() {
    setStatusInfoVisible(true);
    setMessageBand(false);
    Message->clear();
    ResetErr->hide();
}

void MainWindow::setStatusInfoVisible(bool visible) {
    // In edit mode the readings stay hidden whatever the poll says.
    const bool v = visible && !m_.editModeActive;
    for (QWidget* w : std::initializer_list<QWidget*>{
             AvgDist, MinOut, MaxOut, TargOut, TargetStrength, SerialNumber, FactoryDescription}) {
        w->setVisible(v);
    }
    const ModelScreen shown = modelScreen(m_.sensorType);
    if (!m_.temperatureHidden && shown.temperature) Temperature->setVisible(v);
    if (shown.outputCurrent) CurrentOut->setVisible(v);
}

void MainWindow::resetSensorError() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    const PollPause pause(*this);
    const auto busy = DisabledWhileBusy::contentsOf(this);
    ChangeScope change(m_.link, "Reset Error");
    for (int cell : {124, 125}) m_.link.writeCell(cell, 0);
    m_.link.sendRequest(cmd::ResetFaults);
    clearErrorMessage();
    m_.link.sendRequest(cmd::Restart);
    showUnitSelections();
}

void MainWindow::showRestarting(bool restarting) {
    // On the quiet band, unless it says something that matters more (a fault, a failed write).
    if (restarting && (Message->text().isEmpty() || Message->text() == doneText_)) {
        setMessageBand(false);
        Message->setText(kRestartingText);
        Message->repaint();
    } else if (!restarting && Message->text() == kRestartingText) {
        Message->clear();
    }
}

bool MainWindow::pollRunning() const {
    return statusTimer->isActive();
}

void MainWindow::resumePoll() {
    if (!m_.link.programEnding && !m_.editModeActive) statusTimer->start();
}

Link::Hold MainWindow::lineForUser() {
    Link::Hold held = m_.link.hold();
    if (!held) QApplication::beep();
    return held;
}

}  // namespace k7
