// Writes change records into the history named on the command line, one transaction each,
// printing how many are committed after each, until it is killed.
#include <QCoreApplication>
#include <iostream>

#include "history/ChangeHistory.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    k7::ChangeHistory history(argv[1], k7::ChangeHistory::Mode::Write);
    k7::ChangeRecord r;
    r.user = "writer";
    r.program = "history_writer";
    r.change.action = "Program";
    r.change.sensor.serial = 4242;
    r.change.setupAfter = std::string(2000, 'x');  // a record that spans WAL frames
    for (int i = 0; i < 64; ++i) r.change.cells.push_back({46 + (i % 32), i, {}});
    for (long n = 1;; ++n) {
        r.timeUtc = "2026-01-01T00:00:00.000Z";
        if (const auto p = history.add(r)) {
            std::cerr << p->text << "\n";
            return 1;
        }
        std::cout << n << std::endl;
    }
}
