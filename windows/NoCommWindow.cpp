#include "windows/NoCommWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace k7 {

NoCommWindow::NoCommWindow(bool statusPollBusy, const QString& deviceGone, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmNoComm");
    setWindowTitle("K-7700 - No Communication");
    setModal(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 0));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    auto* Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(420);
    QFont f = Label1->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    Label1->setFont(f);
    QString text = kNoCommText;
    if (!deviceGone.isEmpty()) {
        text += "\n\n" + QString(kDeviceGoneText).arg(deviceGone);
        statusPollBusy = true;  // Retry opens the device again
    } else if (!statusPollBusy) {
        text += kRestartNeededText;
    }
    Label1->setText(text);

    auto* RetryComm = new QPushButton("&Re-establish communications", this);
    RetryComm->setObjectName("RetryComm");
    RetryComm->setVisible(statusPollBusy);
    auto* Exit = new QPushButton("E&xit Program", this);
    Exit->setObjectName("Exit");
    // Buttons keep the normal palette so they read as buttons on the red window.
    RetryComm->setPalette(QPalette());
    Exit->setPalette(QPalette());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RetryComm);
    buttons->addWidget(Exit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 18);
    layout->setSpacing(18);
    layout->addWidget(Label1);
    layout->addLayout(buttons);

    connect(RetryComm, &QPushButton::clicked, this, [this] {
        retryRequested_ = true;
        done(QDialog::Accepted);
    });
    connect(Exit, &QPushButton::clicked, this, [this] {
        retryRequested_ = false;
        done(QDialog::Rejected);
    });
    (statusPollBusy ? RetryComm : Exit)->setDefault(true);
}

void NoCommWindow::closeEvent(QCloseEvent* e) {
    if (e->spontaneous()) {
        e->ignore();  // the window manager's close: only the buttons leave this window
        return;
    }
    retryRequested_ = false;
    e->accept();
    done(QDialog::Rejected);
}

}  // namespace k7
