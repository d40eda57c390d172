#include "service/BenchWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "windows/DisabledWhileBusy.h"

namespace k7 {

BenchWindow::BenchWindow(QWidget* parent) : ServiceWindow(parent) {
    setModal(false);
}

void BenchWindow::done(int result) {
    QDialog::done(result);
    gone();
}

void BenchWindow::closeEvent(QCloseEvent* e) {
    // A visible window closes through done(); one already hidden (the program's end hides
    // every window before closing it) closes here.
    QDialog::closeEvent(e);
    if (e->isAccepted()) gone();
}

void BenchWindow::gone() {
    if (closed_) return;
    closed_ = true;
    closing();
    if (running_ == 0) deleteLater();
}

void BenchWindow::handle(const std::function<void()>& f) {
    if (closed_) return;  // a click or tick queued before the window closed
    ++running_;
    {
        const DisabledWhileBusy busy(busyControls_);
        f();
    }
    if (--running_ == 0 && closed_) deleteLater();
}

void BenchWindow::onClick(QAbstractButton* button, std::function<void()> f) {
    connect(button, &QAbstractButton::clicked, this, [this, f = std::move(f)] { handle(f); });
}

}  // namespace k7
