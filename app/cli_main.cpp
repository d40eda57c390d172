// k7700-cli: the command-line tool.
#include <QGuiApplication>
#include <algorithm>
#include <iostream>
#include <memory>

#include "app/Cli.h"
#include "app/TerminalProgress.h"
#include "common/RegularFile.h"

int main(int argc, char** argv) {
    k7::failWritesPastFileSizeLimit();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // QSerialPort wants an application object for its notifiers, though the tool only waits in
    // blocking calls. The report draws text, which takes a GUI application: on the offscreen
    // platform, so it needs no display.
    std::unique_ptr<QCoreApplication> app;
    if (std::find(args.begin(), args.end(), "report") != args.end()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return k7::runCli(args, std::cout, std::cerr, k7::stderrIsTerminal());
}
