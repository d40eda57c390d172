#include "app/CliChanges.h"

#include <ostream>

#include "common/TextFile.h"
#include "history/ChangeHistory.h"
#include "history/ChangeText.h"
#include "settings/Units.h"

namespace k7 {

int runChanges(const ChangesCommand& c, std::ostream& out, std::ostream& err) {
    ChangeHistory history(c.history, ChangeHistory::Mode::Read);
    std::vector<ChangeRecord> records;
    if (const auto problem = history.find({c.serial, c.tag, c.sinceUtc}, records)) {
        err << "k7700-cli: " << problem->text << "\n";
        return 1;
    }
    if (!c.exportFile.empty()) {
        std::string error;
        if (!writeTextFile(c.exportFile, changesCsv(records, c.distanceUnit, kCelsius), &error)) {
            err << "k7700-cli: " << c.exportFile << ": " << error << "\n";
            return 1;
        }
        out << records.size() << (records.size() == 1 ? " change" : " changes") << " exported to "
            << c.exportFile << "\n";
        return 0;
    }
    out << (c.csv ? changesCsv(records, c.distanceUnit, kCelsius)
                  : changesReport(records, c.distanceUnit, kCelsius));
    return 0;
}

}  // namespace k7
