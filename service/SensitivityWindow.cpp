#include "service/SensitivityWindow.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "service/ThresholdChange.h"
#include "settings/Threshold.h"
#include "windows/DisabledWhileBusy.h"

namespace k7 {

SensitivityWindow::SensitivityWindow(Link& link, StatusPoll& poll, QWidget* mainWindow)
    : ServiceWindow(mainWindow), link_(link), poll_(poll), watch_(link.clock()) {
    setObjectName("frmAdjustThreshold");
    setWindowTitle("Sensitivity Adjustment");
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* options = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < opThresh.size(); ++i) {
        auto* b =
            new QRadioButton(QString::fromStdString(thresholdCaption(static_cast<int>(i))), frame);
        b->setObjectName(QString("opThresh(%1)").arg(i));
        group->addButton(b, static_cast<int>(i));
        options->addWidget(b);
        opThresh[i] = b;
    }
    lblChangingThreshold = new QLabel("Changing Threshold ...", this);
    lblChangingThreshold->setObjectName("lblChangingThreshold");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setMinimumWidth(320);
    for (QWidget* w :
         {static_cast<QWidget*>(lblChangingThreshold), static_cast<QWidget*>(ProgressBar1)}) {
        // Hidden except during a change, without the window changing size.
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
        w->hide();
    }
    cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(frame);
    layout->addWidget(lblChangingThreshold);
    layout->addWidget(ProgressBar1);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);

    connect(group, &QButtonGroup::idClicked, this, &SensitivityWindow::thresholdChosen);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

bool SensitivityWindow::load() {
    ready_ = false;
    code_ = readThresholdCode(link_);
    if (!code_) return false;
    showCode(code_);
    ready_ = true;
    return true;
}

void SensitivityWindow::showCode(std::optional<int> code) {
    const auto index = code ? thresholdIndexOfCode(*code) : std::nullopt;
    // A button group keeps one option checked; an unknown code must show none.
    QButtonGroup* group = opThresh[0]->group();
    group->setExclusive(false);
    for (std::size_t i = 0; i < opThresh.size(); ++i) {
        opThresh[i]->setChecked(index && static_cast<std::size_t>(*index) == i);
    }
    group->setExclusive(true);
}

void SensitivityWindow::thresholdChosen(int index) {
    if (!ready_) return;
    const int code = kThresholds[static_cast<std::size_t>(index)].code;
    // The option already in the sensor: nothing to write, no restart.
    if (code_ == code) return;
    if (link_.busy()) {
        link_.ui().beep();
        showCode(code_);
        return;
    }
    ready_ = false;
    changing_ = true;
    // The options and OK wait for the change; the bar and its caption go on showing.
    const DisabledWhileBusy busy({opThresh[0]->parentWidget(), cmdOK});
    watch_.start();
    lblChangingThreshold->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    repaint();
    const ThresholdChangeResult r =
        changeThreshold(link_, poll_, watch_, code, [this] { updateProgress(); });
    if (r == ThresholdChangeResult::Written) code_ = code;
    // Otherwise the sensor keeps what it had: show that, not the option that did not take.
    showCode(code_);
    watch_.stop();
    ProgressBar1->hide();
    lblChangingThreshold->hide();
    changing_ = false;
    ready_ = true;
}

void SensitivityWindow::done(int result) {
    // A change runs to its end (Esc pressed while a lost reply lets events run waits for it),
    // unless the program itself is ending.
    if (changing_ && !link_.programEnding) return;
    QDialog::done(result);
}

void SensitivityWindow::updateProgress() {
    ProgressBar1->setValue(thresholdProgressPercent(watch_.elapsedMs()));
    ProgressBar1->repaint();
}

}  // namespace k7
