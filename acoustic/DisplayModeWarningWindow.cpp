#include "acoustic/DisplayModeWarningWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "acoustic/AcousticWindow.h"
#include "acoustic/ScopeEntry.h"
#include "settings/ProgramState.h"
#include "status/StatusPoll.h"
#include "windows/AboutWindow.h"

namespace k7 {

void openScopeWarning(const ScopeContext& context) {
    if (context.mainWindow) context.mainWindow->hide();
    auto* warning = new DisplayModeWarningWindow(context);
    warning->show();
    warning->raise();
    warning->activateWindow();
}

DisplayModeWarningWindow::DisplayModeWarningWindow(const ScopeContext& context)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context) {
    setObjectName("FrmScopeWarning");
    setWindowTitle("WARNING!!!");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QLabel(kScopeWarningText, this);
    text->setObjectName("lblWarning");
    text->setWordWrap(true);
    text->setMinimumWidth(420);
    QFont f = text->font();
    f.setBold(true);
    text->setFont(f);
    EnterDisplay = new QPushButton("&Enter Display Mode", this);
    EnterDisplay->setObjectName("EnterDisplay");
    AbortDisplay = new QPushButton("&Abort Display Mode", this);
    AbortDisplay->setObjectName("AbortDisplay");
    AbortDisplay->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(EnterDisplay);
    buttons->addWidget(AbortDisplay);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    connect(EnterDisplay, &QPushButton::clicked, this, &DisplayModeWarningWindow::enterDisplayMode);
    connect(AbortDisplay, &QPushButton::clicked, this, &DisplayModeWarningWindow::abortDisplayMode);
}

void DisplayModeWarningWindow::enterDisplayMode() {
    // Inside another exchange's events the display would start under it: let that end first.
    if (context_.m->link.busy()) {
        QApplication::beep();
        return;
    }
    entered_ = true;
    auto* scope = new AcousticWindow(context_);
    // Where the main window was, as far as the screen allows.
    placeRelativeTo(scope, context_.mainWindow, 50, 50);
    scope->show();
    scope->raise();
    scope->activateWindow();
    close();
}

void DisplayModeWarningWindow::closeEvent(QCloseEvent* e) {
    // Closing it any other way than by entering is Abort.
    e->accept();
    if (entered_ || context_.m->exiting) return;
    if (context_.mainWindow) context_.mainWindow->show();
    context_.poll->resumePoll();
}

}  // namespace k7
