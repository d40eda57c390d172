#include "history/ChangeText.h"

#include <QDateTime>

#include "common/TextFile.h"
#include "settings/SensorTypes.h"

namespace k7 {
namespace {

QDateTime utcTime(const std::string& timeUtc) {
    return QDateTime::fromString(QString::fromStdString(timeUtc), Qt::ISODateWithMs);
}

std::string cellText(const CellChange& c) {
    return std::to_string(c.value) + " (" + outcomeText(c.outcome) + ")";
}

}  // namespace

std::string localTimeText(const std::string& timeUtc) {
    const QDateTime t = utcTime(timeUtc);
    if (!t.isValid()) return timeUtc;
    return t.toLocalTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

std::optional<std::string> utcFromLocal(const std::string& text) {
    QString s = QString::fromStdString(text).trimmed();
    if (s.size() > 10 && s[10] == ' ') s[10] = 'T';
    QDateTime t = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!t.isValid()) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (!d.isValid()) return std::nullopt;
        t = d.startOfDay();
    }
    return t.toUTC().toString(Qt::ISODateWithMs).toStdString();
}

std::optional<SetupValues> recordedSetup(const ChangeRecord& r, bool after) {
    const std::string& text = after ? r.change.setupAfter : r.change.setupBefore;
    if (text.empty() || !r.change.sensor.type) return std::nullopt;
    return setupFromRecordText(text, *r.change.sensor.type);
}

std::vector<CompareRow> changedRows(const ChangeRecord& r, int distanceUnit, int temperatureUnit) {
    std::vector<CompareRow> rows;
    const auto before = recordedSetup(r, false);
    const auto after = recordedSetup(r, true);
    if (before && after) {
        const CompareUnits units =
            compareUnitsFor(*r.change.sensor.type, distanceUnit, temperatureUnit);
        for (CompareRow& row : compareSetups(*before, *after, units)) {
            if (row.differs) rows.push_back(std::move(row));
        }
        if (rows.empty()) rows.push_back({"No setting changed", "", "", false, {}});
        for (const CellChange& c : r.change.cells) {
            if (c.outcome == CellChange::Outcome::Verified) continue;
            rows.push_back({"EEPROM cell " + std::to_string(c.address), "", cellText(c), true, {}});
        }
        return rows;
    }
    for (const CellChange& c : r.change.cells) {
        rows.push_back({"EEPROM cell " + std::to_string(c.address), "", cellText(c),
                        c.outcome != CellChange::Outcome::Verified, {}});
    }
    return rows;
}

std::string outcomeText(CellChange::Outcome o) {
    switch (o) {
        case CellChange::Outcome::Verified:
            return "verified";
        case CellChange::Outcome::Failed:
            return "failed";
        case CellChange::Outcome::Unchecked:
            return "not read back";
        case CellChange::Outcome::Unanswered:
            return "no answer";
    }
    return {};
}

std::string resultText(const ChangeRecord& r) {
    return r.done() ? "done" : "failed: " + r.change.failure;
}

std::string tagText(const ChangeRecord& r) {
    std::string t = "ID tag ";
    if (r.change.tag != r.change.finalTag && r.change.tag != 0) {
        t += std::to_string(r.change.tag) + " -> ";
    }
    return t + std::to_string(r.change.finalTag);
}

std::string sensorText(const ChangeRecord& r) {
    const SensorIdentity& s = r.change.sensor;
    std::string t = s.serial ? "serial " + std::to_string(*s.serial) : "serial unknown";
    if (s.type) t += ", " + modelName(*s.type);
    if (s.firmware) t += ", firmware " + std::to_string(*s.firmware);
    return t;
}

std::string cellsSummary(const ChangeRecord& r) {
    std::size_t verified = 0;
    for (const CellChange& c : r.change.cells) {
        verified += c.outcome == CellChange::Outcome::Verified ? 1 : 0;
    }
    const std::size_t n = r.change.cells.size();
    std::string s = std::to_string(n) + (n == 1 ? " cell written" : " cells written");
    if (verified == n) return s + (n == 0 ? "" : " and verified");
    return s + ", " + std::to_string(verified) + " verified";
}

std::string whoText(const ChangeRecord& r) {
    return "by " + r.user + " on " + r.host + " with " + r.program + ", port " + r.port;
}

std::string changesReport(const std::vector<ChangeRecord>& records, int distanceUnit,
                          int temperatureUnit) {
    if (records.empty()) return "No changes recorded.\n";
    std::string out;
    for (const ChangeRecord& r : records) {
        out += localTimeText(r.timeUtc) + "  " + r.change.action + "  " + tagText(r) + "  " +
               sensorText(r) + "  " + resultText(r) + "\n";
        out += "    " + whoText(r) + "; " + cellsSummary(r) + "\n";
        if (!r.change.note.empty()) out += "    " + r.change.note + "\n";
        for (const CompareRow& row : changedRows(r, distanceUnit, temperatureUnit)) {
            out += "    " + row.setting;
            if (!row.file.empty() || !row.sensor.empty()) {
                out += ": " + (row.file.empty() ? "" : row.file + " -> ") + row.sensor;
            }
            out += "\n";
        }
    }
    return out;
}

std::string changesCsv(const std::vector<ChangeRecord>& records, int distanceUnit,
                       int temperatureUnit) {
    std::vector<std::string> lines = {
        "time,time_utc,user,host,program,port,id_tag,id_tag_before,serial,model,firmware,change,"
        "result,reason,note,settings_changed,cells,setup_before,setup_after"};
    for (const ChangeRecord& r : records) {
        const SensorChange& c = r.change;
        const QDateTime t = utcTime(r.timeUtc);
        std::string settings, cells;
        for (const CompareRow& row : changedRows(r, distanceUnit, temperatureUnit)) {
            if (row.file.empty()) continue;  // a cell's row, or "No setting changed"
            settings += (settings.empty() ? "" : "; ") + row.setting + ": " + row.file + " -> " +
                        row.sensor;
        }
        for (const CellChange& cell : c.cells) {
            cells += (cells.empty() ? "" : "; ") + std::to_string(cell.address) + "=" +
                     std::to_string(cell.value) + " " + outcomeText(cell.outcome);
        }
        const std::vector<std::string> fields = {
            t.isValid() ? t.toLocalTime().toOffsetFromUtc(t.toLocalTime().offsetFromUtc())
                              .toString(Qt::ISODate)
                              .toStdString()
                        : r.timeUtc,
            r.timeUtc,
            r.user,
            r.host,
            r.program,
            r.port,
            std::to_string(c.finalTag),
            std::to_string(c.tag),
            c.sensor.serial ? std::to_string(*c.sensor.serial) : "",
            c.sensor.type ? modelName(*c.sensor.type) : "",
            c.sensor.firmware ? std::to_string(*c.sensor.firmware) : "",
            c.action,
            r.done() ? "done" : "failed",
            c.failure,
            c.note,
            settings,
            cells,
            c.setupBefore,
            c.setupAfter};
        std::string line;
        for (const std::string& f : fields) line += (line.empty() ? "" : ",") + csvField(f);
        lines.push_back(line);
    }
    return joinCrLf(lines);
}

}  // namespace k7
