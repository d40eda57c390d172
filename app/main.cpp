// k7700: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <memory>

#include "app/AppOptions.h"
#include "common/RegularFile.h"
#include "common/Version.h"
#include "history/ChangeHistory.h"
#include "history/HistoryRecorder.h"
#include "link/Clock.h"
#include "link/QtSerialLine.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "sim/SimulatedLine.h"

int main(int argc, char** argv) {
    k7::failWritesPastFileSizeLimit();
    // The command line is read before any window system starts, so --help, --version and a
    // usage error work without a display. Qt's own settings come from its environment
    // variables (QT_QPA_PLATFORM, QT_SCALE_FACTOR, ...), not from the arguments.
    const std::vector<std::string> args(argv + 1, argv + argc);
    k7::AppOptions opts;
    if (auto err = k7::parseAppOptions(args, opts)) {
        std::cerr << "k7700: " << *err << "\n";
        return 2;
    }
    if (opts.help) {
        std::cout << k7::appUsage();
        return 0;
    }
    if (opts.version) {
        std::cout << "k7700 " << k7::versionText() << "\n";
        return 0;
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("k7700");
    QApplication::setWindowIcon(QIcon(":/k7700.png"));
    QGuiApplication::setDesktopFileName("k7700");

    k7::SystemClock clock;
    k7::sim::SimBus bus;
    std::unique_ptr<k7::SerialLine> line;
    if (opts.simulate) {
        line = k7::sim::buildSimulatedLine(opts.sim, bus, clock);
    } else {
        line = std::make_unique<k7::QtSerialLine>(clock);
    }

    k7::GuiLinkUi ui;
    k7::ProgramState m(*line, clock, ui);
    if (opts.simulate) {
        m.simulated = true;
        m.portOverridden = true;
        m.discovery.port = {0, k7::kSimulatedPortName};
    } else if (!opts.port.empty()) {
        m.portOverridden = true;
        m.discovery.port = {0, opts.port};
    }
    // Every change made to a sensor goes into the change history, written on a thread of its
    // own; the recorder outlives the window, which the link reports to.
    k7::HistoryRecorder history({k7::historyPath(opts.history), "k7700 " + k7::versionText(),
                                 [&m] { return m.discovery.port.displayName(); }});
    m.link.changeSink = &history;
    k7::MainWindow form(m, ui, opts.arguments);
    ui.attach(&form, &m);
    form.attachHistory(history);
    QTimer::singleShot(0, &form, &k7::MainWindow::load);
    return app.exec();
}
