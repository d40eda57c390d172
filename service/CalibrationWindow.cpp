#include "service/CalibrationWindow.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "windows/DisabledWhileBusy.h"
#include "windows/Widgets.h"

namespace k7 {
namespace {

QString badReferenceText(int reference) {
    return QString(
               "The factory 20 mA reference (EEPROM cells 8 and 9) reads %1. The defaults "
               "can only be derived from a reference of 1 to 4095; nothing was written.")
        .arg(reference);
}

}  // namespace

CalibrationWindow::CalibrationWindow(Link& link, StatusPoll& poll, QWidget* mainWindow)
    : ServiceWindow(mainWindow), cal_(link, poll) {
    setObjectName("frmICal");
    setWindowTitle("Current Calibration");
    setModal(true);

    auto* output = new QGroupBox("K-7700 Output Current", this);
    auto* outputLayout = new QVBoxLayout(output);
    auto* points = new QButtonGroup(this);
    for (std::size_t i = 0; i < opCalCurrent.size(); ++i) {
        auto* b = new QRadioButton(kCalibrationPoints[i].caption, output);
        b->setObjectName(QString("opCalCurrent(%1)").arg(i));
        points->addButton(b, static_cast<int>(i));
        outputLayout->addWidget(b);
        opCalCurrent[i] = b;
    }
    opCalCurrent[0]->setChecked(true);

    auto* change = new QGroupBox("Current Change", this);
    auto* changeLayout = new QVBoxLayout(change);
    Coarse = new QRadioButton("&Coarse", change);
    Coarse->setObjectName("Coarse");
    Fine = new QRadioButton("&Fine", change);
    Fine->setObjectName("Fine");
    Coarse->setChecked(true);
    changeLayout->addWidget(Coarse);
    changeLayout->addWidget(Fine);

    IncCurrent = commandButton(this, "IncCurrent", "&Increase Current");
    DecCurrent = commandButton(this, "DecCurrent", "&Decrease Current");
    RestoreDefaults = commandButton(this, "RestoreDefaults", "&Restore Defaults");
    ICalExit = commandButton(this, "ICalExit", "E&xit and resume normal K-7700 operation");

    auto* adjust = new QVBoxLayout;
    adjust->addWidget(change);
    adjust->addWidget(IncCurrent);
    adjust->addWidget(DecCurrent);
    adjust->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(output, 1);
    top->addLayout(adjust);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(RestoreDefaults);
    bottom->addStretch();
    bottom->addWidget(ICalExit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(points, &QButtonGroup::idClicked, this, &CalibrationWindow::calibrationPointChosen);
    connect(IncCurrent, &QPushButton::clicked, this, [this] {
        const auto busy = DisabledWhileBusy::contentsOf(this);
        cal_.adjust(true, Fine->isChecked());
    });
    connect(DecCurrent, &QPushButton::clicked, this, [this] {
        const auto busy = DisabledWhileBusy::contentsOf(this);
        cal_.adjust(false, Fine->isChecked());
    });
    connect(RestoreDefaults, &QPushButton::clicked, this,
            &CalibrationWindow::restoreCalibrationDefaults);
    connect(ICalExit, &QPushButton::clicked, this, &QDialog::accept);
}

void CalibrationWindow::showEvent(QShowEvent* e) {
    ServiceWindow::showEvent(e);
    // Once per opening: showing the window again after another window covered it must not
    // send the opening commands again, nor move the selection back to 3.5 mA.
    if (!activated_) {
        activated_ = true;
        startCalibrationOnce();
    }
}

void CalibrationWindow::startCalibrationOnce() {
    if (!cal_.open()) {
        // The line is held by another exchange: nothing was sent, so there is nothing to undo.
        QTimer::singleShot(0, this, [this] { QDialog::done(Rejected); });
        return;
    }
    showPoint();
}

void CalibrationWindow::showPoint() {
    opCalCurrent[static_cast<std::size_t>(cal_.point())]->setChecked(true);
}

void CalibrationWindow::calibrationPointChosen(int index) {
    bool selected = false;
    {
        const auto busy = DisabledWhileBusy::contentsOf(this);
        selected = cal_.selectPoint(index);
    }
    if (!selected) showPoint();
}

void CalibrationWindow::restoreCalibrationDefaults() {
    using Outcome = CurrentCalibration::Restore::Outcome;
    auto busy = DisabledWhileBusy::contentsOf(this);
    const CurrentCalibration::Restore r = cal_.restoreDefaults();
    busy.release();
    if (r.outcome == Outcome::BadReference) {
        QMessageBox box(QMessageBox::NoIcon, "Message", badReferenceText(r.reference),
                        QMessageBox::Ok, this);
        box.setObjectName("RestoreRefused");
        box.exec();
    }
}

void CalibrationWindow::done(int result) {
    // Every way of closing ends calibration mode; while another exchange holds the line the
    // window stays open (cal_.close() has beeped).
    {
        const auto busy = DisabledWhileBusy::contentsOf(this);
        if (!cal_.close()) return;
    }
    QDialog::done(result);
}

}  // namespace k7
