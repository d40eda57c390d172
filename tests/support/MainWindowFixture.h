#pragma once
// The main window on simulated sensors with a virtual clock, started as the program starts
// it. The poll and the list watcher are driven by calling their ticks, not by waiting.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "link/Clock.h"
#include "mainwindow/Fields.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "sim/SimBus.h"
#include "sim/SimulatedLine.h"

namespace k7::test {

class MainWindowFixture : public ::testing::Test {
protected:
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    GuiLinkUi ui;
    ProgramState m{line, clock, ui};
    std::unique_ptr<MainWindow> form;
    QTemporaryDir dir;

    void SetUp() override {
        m.iniPath = (dir.path() + "/K7700.ini").toStdString();
        bus.setEcho(std::getenv("K7_LINE_ECHO") != nullptr);  // see LinkFixture
    }
    void TearDown() override {
        if (form) form->hide();
        form.reset();
        if (m.exiting) {
            // The program ended: its exit left every event loop; run the application loop
            // once so the next test's windows can run their own loops again.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
    }

    sim::SimSensor& addSensor(int tag, int type = 0, int firmware = 25) {
        sim::SensorConfig c;
        c.tag = tag;
        c.type = type;
        c.firmware = firmware;
        return bus.addSensor(c);
    }
    // Starts the program on the simulated line (no port window).
    void start(const std::vector<std::string>& arguments = {}) {
        m.portOverridden = true;
        m.discovery.port = {0, "SIM"};
        startWithIniPort(arguments);
    }
    // start(), then the window shown and active, as a user sees it.
    void startShown(const std::vector<std::string>& arguments = {}) {
        start(arguments);
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    void startWithIniPort(const std::vector<std::string>& arguments = {}) {
        form = std::make_unique<MainWindow>(m, ui, arguments);
        ui.attach(form.get(), &m);
        form->load();
    }
    void poll() { form->pollStatus(); }

    template <typename T = QWidget>
    T* w(const char* name) {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) {
        if (auto* l = form->findChild<QLabel*>(name)) return l->text();
        if (auto* e = form->findChild<QLineEdit*>(name)) return e->text();
        if (auto* c = form->findChild<QComboBox*>(name)) return c->currentText();
        ADD_FAILURE() << "no field " << name;
        return {};
    }
    bool shown(const char* name) { return w(name)->isVisibleTo(form.get()); }
    // Types into a field as a user does: focus, select all, type, leave.
    void type(QLineEdit* e, const QString& s);
    void leave(QWidget* e);
};

}  // namespace k7::test
