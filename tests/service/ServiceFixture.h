#pragma once
// The main window on one simulated sensor, ready for a service tool: shown, active, the
// start-up frames forgotten.
#include <QAbstractButton>
#include <QTest>
#include <functional>

#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "tests/service/Frames.h"

namespace k7::test {

class ServiceFixture : public MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;

    void startWith(int type = 0, int tag = 1, int firmware = 25,
                   const std::vector<std::string>& arguments = {}) {
        s = &addSensor(tag, type, firmware);
        start(arguments);
        form->show();
        QApplication::setActiveWindow(form.get());
        bus.clearReceived();
    }
    std::vector<Sent> sent() const { return sentFrames(bus); }

    template <typename T = QWidget>
    static T* child(QWidget* window, const char* name) {
        T* c = window->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // On the caption's start: an option is wider than its caption where a layout stretches it.
    static void click(QWidget* window, const char* name) {
        if (auto* b = child<QAbstractButton>(window, name)) {
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, b->height() / 2));
        }
    }

    // `act` on the next modal window called `name`; modal windows already open are passed by.
    static void whenWindowOpens(const char* name, std::function<void(QWidget*)> act) {
        whenModalOpens([name, act](QWidget* w) {
            if (w->objectName() == name) {
                act(w);
            } else {
                whenWindowOpens(name, act);
            }
        });
    }

    // Runs `action` with the status poll falling due at every pass of the event loop (lost
    // replies let events run inside the tool's exchanges); returns the frames it sent.
    std::vector<Sent> withPollDue(const std::function<void()>& action) {
        const std::size_t from = bus.received().size();
        QTimer due;
        due.setInterval(0);
        int ticks = 0;
        QObject::connect(&due, &QTimer::timeout, [&] {
            ++ticks;
            form->pollStatus();
        });
        due.start();
        action();
        due.stop();
        EXPECT_GT(ticks, 0) << "the poll never fell due inside the tool";
        return sentFrames(bus, from);
    }
};

}  // namespace k7::test
