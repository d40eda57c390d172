// k7700: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <memory>

#include "app/AppOptions.h"
#include "common/RegularFile.h"
#include "common/Version.h"
#include "link/Clock.h"
#include "link/QtSerialLine.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainForm.h"
#include "settings/Module2.h"
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
    k7::Module2 m(*line, clock, ui);
    if (opts.simulate) {
        m.Simulated = true;
        m.portOverridden = true;
        m.discovery.port = {0, k7::kSimulatedPortName};
    } else if (!opts.port.empty()) {
        m.portOverridden = true;
        m.discovery.port = {0, opts.port};
    }
    k7::MainForm form(m, ui, opts.arguments);
    ui.attach(&form, &m);
    QTimer::singleShot(0, &form, &k7::MainForm::Form_Load);
    return app.exec();
}
