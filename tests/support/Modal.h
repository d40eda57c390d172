#pragma once
// Answering modal windows the way a user would: when the next modal window (or message box)
// opens, run `act` on it. Runs from a timer, since exec() blocks the test.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace k7::test {

inline void whenModalOpens(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto elapsed = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act), elapsed, timeoutMs] {
        *elapsed += 10;
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        } else if (*elapsed > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

}  // namespace k7::test
