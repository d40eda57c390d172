#include "mainwindow/GuiLinkUi.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QThread>

#include "mainwindow/ExitProgram.h"
#include "mainwindow/Fields.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "windows/ErrorBox.h"
#include "windows/NoCommWindow.h"
#include "windows/Placement.h"
#include "windows/PortWindow.h"
#include "windows/ProgressWindow.h"

namespace k7 {

GuiLinkUi::~GuiLinkUi() {
    delete gauge_;
}

std::string GuiLinkUi::addressedTagText() {
    return form_->addressedTag();
}

void GuiLinkUi::processEvents() {
    QCoreApplication::processEvents();
}

void GuiLinkUi::processEventsExceptInput() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void GuiLinkUi::beep() {
    QApplication::beep();
}

int GuiLinkUi::eventLoopLevel() {
    return QThread::currentThread()->loopLevel();
}

NoCommChoice GuiLinkUi::showNoCommWindow(bool offerRetry, const std::string& deviceGone) {
    form_->stopStatusPoll();
    NoCommWindow dlg(offerRetry, QString::fromStdString(deviceGone), form_);
    dlg.exec();
    return dlg.choice();
}

void GuiLinkUi::showProgressWindow(const std::string& caption, bool searching) {
    if (!gauge_) {
        gauge_ = new ProgressWindow(form_->isVisible() ? form_ : nullptr);
        QObject::connect(gauge_, &ProgressWindow::exitRequested, gauge_,
                         [this] { ExitProgram(*m_); });
    }
    gauge_->prepare(QString::fromStdString(caption), searching);
    gauge_->placeAtCentre();
    if (intro_) intro_->keepClearOf(gauge_->frameGeometry());
    gauge_->show();
    gauge_->raise();
    if (m_) {
        m_->link.processEvents();
    } else {
        QCoreApplication::processEvents();
    }
}

void GuiLinkUi::closeProgressWindow() {
    if (gauge_) gauge_->hide();
    if (form_->isVisible()) {
        // The keyboard goes back to the main window with it.
        form_->raise();
        form_->activateWindow();
    }
}

void GuiLinkUi::setProgressNote(const std::string& text) {
    if (!gauge_) return;
    gauge_->setNote(QString::fromStdString(text));
    if (intro_) intro_->keepClearOf(gauge_->frameGeometry());
}

bool GuiLinkUi::progressVisible() {
    return gauge_ && gauge_->isVisible();
}

void GuiLinkUi::setProgressBar(int percent) {
    if (gauge_) gauge_->setPercent(percent);
}

bool GuiLinkUi::newPortRequested() {
    return gauge_ && gauge_->newPortRequested();
}

void GuiLinkUi::showRestart(int percent) {
    // In the progress window, a step with a bar of its own, after which the bar it interrupted
    // comes back; otherwise a note in the main window's status bar.
    if (percent == 0 && !restarting_) {
        restarting_ = true;
        restartInGauge_ = progressVisible();
        if (restartInGauge_) {
            keptCaption_ = gauge_->caption();
            keptPercent_ = gauge_->percent();
            gauge_->setCaption(kRestartingText);
        } else {
            form_->showRestarting(true);
        }
    }
    if (!restarting_) return;
    if (restartInGauge_ && gauge_) gauge_->setPercent(percent);
    if (percent < 100) return;
    restarting_ = false;
    if (!restartInGauge_) {
        form_->showRestarting(false);
    } else if (gauge_) {
        gauge_->setCaption(keptCaption_);
        gauge_->setPercent(keptPercent_);
    }
}

void GuiLinkUi::showLinkMessage(const std::string& text) {
    form_->showMessage(QString::fromStdString(text));
}

void GuiLinkUi::reportError(const std::string& where, int number, const std::string& description) {
    showErrorBox(form_, m_->link.errorBeep, where, number, description);
}

void GuiLinkUi::clearSensorList() {
    form_->clearSensorList();
}

void GuiLinkUi::addSensorToList(int tag) {
    form_->addSensorToList(tag);
}

void GuiLinkUi::setAddressedTagText(const std::string& text) {
    form_->setSingleSensorIdText(QString::fromStdString(text));
}

bool GuiLinkUi::choosePort(PortChoice& port, const std::string& message) {
    return askForPort(port, message, false);
}

bool GuiLinkUi::chooseNewPort() {
    PortChoice port = m_->discovery.port;
    return askForPort(port, kSelectPortMessage, true);
}

bool GuiLinkUi::askForPort(PortChoice& port, const std::string& message, bool cancellable) {
    // On simulated sensors the window chooses the port for a later start on real sensors; the
    // run stays on the simulator, which is never stored as a port.
    const bool simulated = m_->simulated;
    QString text = QString::fromStdString(message);
    if (simulated) {
        text +=
            "\n\nRunning on simulated sensors: the port chosen here is kept for the next "
            "start without --simulate.";
    }
    QWidget* parent = form_->isVisible() ? form_ : nullptr;
    PortWindow dlg(simulated ? m_->iniPort : port, text, parent, cancellable);
    dlg.adjustSize();
    centreOn(&dlg, parent ? parent->frameGeometry() : availableArea(&dlg));
    if (intro_) intro_->keepClearOf(dlg.frameGeometry());
    if (dlg.exec() != QDialog::Accepted || dlg.exitChosen()) return false;
    m_->portChosen(dlg.choice());
    port = m_->discovery.port;
    m_->saveIni(addressedTagText());
    return true;
}

void GuiLinkUi::exitProgram() {
    ExitProgram(*m_);
}

}  // namespace k7
