// k7700-cli: the command-line tool.
#include <QCoreApplication>
#include <iostream>

#include "app/Cli.h"

int main(int argc, char** argv) {
    // QSerialPort wants an application object for its notifiers, though the tool only waits in
    // blocking calls.
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return k7::runCli(args, std::cout, std::cerr);
}
