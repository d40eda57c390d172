// k7700: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <memory>

#include "app/AppOptions.h"
#include "link/Clock.h"
#include "link/QtSerialLine.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainForm.h"
#include "settings/Module2.h"
#include "sim/SimulatedLine.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("k7700");
    QApplication::setWindowIcon(QIcon(":/k7700.png"));
    QGuiApplication::setDesktopFileName("k7700");

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    k7::AppOptions opts;
    if (auto err = k7::parseAppOptions(args, opts)) {
        std::cerr << "k7700: " << *err << "\n";
        return 2;
    }
    if (opts.help) {
        std::cout << k7::appUsage();
        return 0;
    }

    k7::SystemClock clock;
    k7::sim::SimBus bus;
    std::unique_ptr<k7::SerialLine> line;
    if (opts.simulate) {
        k7::sim::buildBus(opts.sim, bus);
        line = std::make_unique<k7::sim::SimulatedLine>(bus, clock);
    } else {
        line = std::make_unique<k7::QtSerialLine>(clock);
    }

    k7::GuiLinkUi ui;
    k7::Module2 m(*line, clock, ui);
    if (opts.simulate) {
        m.portOverridden = true;
        m.discovery.port = {0, "simulated sensors"};
    } else if (!opts.port.empty()) {
        m.portOverridden = true;
        m.discovery.port = {0, opts.port};
    }
    k7::MainForm form(m, ui, opts.arguments);
    ui.attach(&form, &m);
    QTimer::singleShot(0, &form, &k7::MainForm::Form_Load);
    return app.exec();
}
