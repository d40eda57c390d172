#pragma once
// The change history in words: what a record changed (the compare table's rows, before ->
// after, in the display units), its outcome, the listing of `k7700-cli changes` and its CSV.
#include <optional>
#include <string>
#include <vector>

#include "history/ChangeRecord.h"
#include "setupfile/SetupCompare.h"
#include "setupfile/SetupFormat.h"

namespace k7 {

// Local date and time of a stored UTC time, "2026-12-06 16:56:07".
std::string localTimeText(const std::string& timeUtc);

// A local date or date and time ("2026-12-06", "2026-12-06 16:00", ISO 8601 also with an
// offset) as the stored UTC form; nothing when it is no date.
std::optional<std::string> utcFromLocal(const std::string& text);

// The setup before (as read) or after (as asked) of a settings programming; nothing for a
// change that programmed no setup, or one recorded for a sensor type the program does not know.
std::optional<SetupValues> recordedSetup(const ChangeRecord& r, bool after);

// The settings a programming changed, before -> after, in the units; then every cell that did
// not take its value. A change that programmed no setup: each cell written, its value and how
// it went. A programming that changed nothing says so in one row.
std::vector<CompareRow> changedRows(const ChangeRecord& r, int distanceUnit, int temperatureUnit);

std::string outcomeText(CellChange::Outcome o);
std::string resultText(const ChangeRecord& r);  // "done", "failed: <why>"
// "ID tag 7", "ID tag 3 -> 7" after a tag change.
std::string tagText(const ChangeRecord& r);
// "serial 1193046, K-7700, firmware 25", as far as known.
std::string sensorText(const ChangeRecord& r);
// "by alice on bench3 with k7700 3.10, port /dev/ttyUSB0".
std::string whoText(const ChangeRecord& r);
// "56 cells written and verified", "56 cells written, 55 verified".
std::string cellsSummary(const ChangeRecord& r);

// The listing of `k7700-cli changes`: each record's line, who and where, what changed.
std::string changesReport(const std::vector<ChangeRecord>& records, int distanceUnit,
                          int temperatureUnit);
// Every record as one CSV row, with a header row: everything the history holds.
std::string changesCsv(const std::vector<ChangeRecord>& records, int distanceUnit,
                       int temperatureUnit);

}  // namespace k7
