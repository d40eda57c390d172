// The status poll: one status exchange every 220 ms after the previous one ended, the live
// readings, and the fault report with its reset.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "link/Commands.h"
#include "mainwindow/MainForm.h"
#include "settings/Module2.h"
#include "settings/SensorTypes.h"
#include "status/StatusDecode.h"
#include "windows/DisabledWhileBusy.h"

namespace k7 {

namespace {
// A tick that falls inside another exchange comes back this soon after, not lost.
constexpr int kDeferredPollMs = 50;
}  // namespace

void MainForm::Timer3_Timer() {
    Link::Hold held = m_.link.holdInBackground();
    if (!held) {
        Timer3->start(kDeferredPollMs);
        return;
    }
    if (menuCommBeep->isChecked()) QApplication::beep();
    Timer3->stop();
    Timer3->setInterval(220);
    StatusExchange(std::move(held));
    if (m_.link.ProgramEnding) return;
    // Edit mode may have started while the read let events run; it keeps the poll off.
    if (!m_.EditModeActive) Timer3->start();
}

bool MainForm::StatusExchange(Link::Hold held) {
    m_.link.StatusPollBusy = true;
    m_.link.SendRequest(cmd::Status);
    const bool answered = m_.link.ReadCommBlock();
    m_.link.StatusPollBusy = false;
    held.release();
    if (m_.link.ProgramEnding) return false;
    UpdateStatusData();
    return answered;
}

void MainForm::UpdateStatusData() {
    if (!m_.link.CommOK) return;
    const StatusView v = decodeStatus(m_, screenValues());
    if (v.kind != StatusView::Kind::Ignored) emit statusRead(v.reading);
    switch (v.kind) {
        case StatusView::Kind::Ignored:
            return;
        case StatusView::Kind::Normal:
            setCaption(AvgDist, QString::fromStdString(v.AvgDist));
            if (v.CurrentOut) setCaption(CurrentOut, QString::fromStdString(*v.CurrentOut));
            ShowTemperature();
            if (v.TargetStrength)
                setCaption(TargetStrength, QString::fromStdString(*v.TargetStrength));
            setCaption(TargOut, QString::fromStdString(v.TargOut));
            setCaption(MinOut, QString::fromStdString(v.MinOut));
            setCaption(MaxOut, QString::fromStdString(v.MaxOut));
            return;
        case StatusView::Kind::Fault:
            setMessageBand(true);
            StatusInfoVisibility(false);
            setCaption(Message, QString::fromStdString(v.faultText));
            ResetErr->show();
            if (m_.AutoResetError) {
                m_.link.processEvents();
                ResetError_Click();
            }
            return;
    }
}

void MainForm::ClearErrorMessage() {
    StatusInfoVisibility(true);
    setMessageBand(false);
    Message->clear();
    ResetErr->hide();
}

void MainForm::StatusInfoVisibility(bool visible) {
    // In edit mode the readings stay hidden whatever the poll says.
    const bool v = visible && !m_.EditModeActive;
    for (QWidget* w : std::initializer_list<QWidget*>{
             AvgDist, MinOut, MaxOut, TargOut, TargetStrength, SerialNumber, FactoryDescription}) {
        w->setVisible(v);
    }
    const ModelScreen shown = modelScreen(m_.SensorType);
    if (!m_.TemperatureHidden && shown.temperature) Temperature->setVisible(v);
    if (shown.outputCurrent) CurrentOut->setVisible(v);
}

void MainForm::ResetError_Click() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    const PollPause pause(*this);
    const auto busy = DisabledWhileBusy::contentsOf(this);
    ChangeScope change(m_.link, "Reset Error");
    for (int cell : {124, 125}) m_.link.writeCell(cell, 0);
    m_.link.SendRequest(cmd::ResetFaults);
    ClearErrorMessage();
    m_.link.SendRequest(cmd::Restart);
    ShowUnitSelections();
}

void MainForm::showRestarting(bool restarting) {
    // On the quiet band, unless it says something that matters more (a fault, a failed write).
    if (restarting && (Message->text().isEmpty() || Message->text() == doneText_)) {
        setMessageBand(false);
        Message->setText(kRestartingText);
        Message->repaint();
    } else if (!restarting && Message->text() == kRestartingText) {
        Message->clear();
    }
}

bool MainForm::pollRunning() const {
    return Timer3->isActive();
}

void MainForm::resumePoll() {
    if (!m_.link.ProgramEnding && !m_.EditModeActive) Timer3->start();
}

Link::Hold MainForm::lineForUser() {
    Link::Hold held = m_.link.hold();
    if (!held) QApplication::beep();
    return held;
}

}  // namespace k7
