#include "service/ServiceWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/AboutWindow.h"
#include "windows/ScreenFit.h"

namespace k7 {

ServiceWindow::ServiceWindow(QWidget* mainWindow, double acrossPercent, double downPercent)
    : QDialog(mainWindow), across_(acrossPercent), down_(downPercent) {}

void ServiceWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!fitted_) {
        fitted_ = true;
        fitWindowToScreen(this);
    }
    placeRelativeTo(this, placeOver_ ? placeOver_.data() : parentWidget(), across_, down_);
}

WarningWindow::WarningWindow(const Texts& t, QWidget* mainWindow) : ServiceWindow(mainWindow) {
    setObjectName(t.windowName);
    setWindowTitle("Warning!!!");
    setModal(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    auto* message = new QLabel(t.message, this);
    message->setObjectName(t.messageName);
    message->setWordWrap(true);
    message->setMinimumWidth(460);
    QFont f = message->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.1);
    message->setFont(f);

    auto* proceed = new QPushButton(t.proceedCaption, this);
    proceed->setObjectName(t.proceedName);
    auto* abort = new QPushButton(t.abortCaption, this);
    abort->setObjectName(t.abortName);
    // Buttons keep the normal palette so they read as buttons on the yellow window.
    proceed->setPalette(QPalette());
    abort->setPalette(QPalette());
    abort->setDefault(true);  // Enter does the harmless thing
    connect(proceed, &QPushButton::clicked, this, [this] {
        proceed_ = true;
        accept();
    });
    connect(abort, &QPushButton::clicked, this, &QDialog::reject);

    lines_ = new QVBoxLayout;
    lines_->setSpacing(12);
    lines_->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(proceed);
    buttons->addWidget(abort);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 18);
    layout->setSpacing(20);
    layout->addLayout(lines_);
    layout->addLayout(buttons);
}

QLabel* WarningWindow::addLine(const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    lines_->addWidget(l);
    return l;
}

}  // namespace k7
