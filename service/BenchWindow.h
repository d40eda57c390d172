#pragma once
// A factory window that stays open beside the others (not modal) and deletes itself once
// closed. Its handlers run exchanges, and an exchange may let window events run (a lost
// reply, the no-communication window, a long sequence's waits) in which the window can be
// closed: it then goes only after the handler has returned, and `closing` runs at once, so
// what it holds (the status poll, a loop) is given back at the moment the user closes it.
#include <functional>
#include <vector>

#include "service/ServiceWindow.h"

class QAbstractButton;

namespace k7 {

class BenchWindow : public ServiceWindow {
    Q_OBJECT
public:
    explicit BenchWindow(QWidget* parent);
    bool isClosed() const { return closed_; }
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* e) override;
    // Runs `f` as a handler of the window (see above).
    void handle(const std::function<void()>& f);
    // A button's click runs `f` through handle().
    void onClick(QAbstractButton* button, std::function<void()> f);
    // A handler of this window is running (a long sequence waits and lets events run).
    bool handling() const { return running_ > 0; }
    // The controls that start sequences: disabled while a handler runs. What stops a sequence
    // (Exit, a "Continuously" box) stays live.
    void disableWhileHandling(std::vector<QWidget*> controls) {
        busyControls_ = std::move(controls);
    }
    const std::vector<QWidget*>& busyControls() const { return busyControls_; }
    // Once, when the window closes in any way (Exit, Esc, the title bar, the program's end).
    virtual void closing() {}

private:
    void gone();

    int running_ = 0;
    bool closed_ = false;
    std::vector<QWidget*> busyControls_;
};

}  // namespace k7
