#include "history/ChangeHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <atomic>

namespace k7 {
namespace {

// SQLite's primary result codes.
constexpr int kBusy = 5, kLocked = 6, kReadOnly = 8, kCorrupt = 11, kFull = 13, kCantOpen = 14,
              kNotADatabase = 26;

constexpr const char* kOutcomeNames[] = {"verified", "failed", "unchecked", "unanswered"};

constexpr const char* kSchema[] = {
    "CREATE TABLE changes ("
    " id INTEGER PRIMARY KEY,"
    " time_utc TEXT NOT NULL,"
    " user TEXT NOT NULL, host TEXT NOT NULL, program TEXT NOT NULL, port TEXT NOT NULL,"
    " tag INTEGER NOT NULL, tag_before INTEGER NOT NULL,"
    " serial INTEGER, sensor_type INTEGER, firmware INTEGER,"
    " action TEXT NOT NULL,"
    " result TEXT NOT NULL CHECK (result IN ('done', 'failed')),"
    " reason TEXT NOT NULL, note TEXT NOT NULL,"
    " setup_before TEXT NOT NULL, setup_after TEXT NOT NULL,"
    " cells TEXT NOT NULL)",
    "CREATE INDEX changes_by_serial ON changes (serial, time_utc)",
    "CREATE INDEX changes_by_tag ON changes (tag, time_utc)",
};

constexpr const char* kColumns =
    "id, time_utc, user, host, program, port, tag, tag_before, serial, sensor_type, firmware, "
    "action, result, reason, note, setup_before, setup_after, cells";

std::atomic<int> connectionCount{0};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename T>
QVariant optional(const std::optional<T>& v) {
    return v ? QVariant::fromValue(*v) : QVariant();
}

QString cellsJson(const std::vector<CellChange>& cells) {
    QJsonArray a;
    for (const CellChange& c : cells) {
        a.append(QJsonArray{c.address, c.value, kOutcomeNames[static_cast<int>(c.outcome)]});
    }
    return QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact));
}

std::vector<CellChange> cellsFromJson(const QString& text) {
    std::vector<CellChange> cells;
    for (const QJsonValue& v : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonArray c = v.toArray();
        CellChange cell{c.at(0).toInt(), c.at(1).toInt(), CellChange::Outcome::Verified};
        for (int i = 0; i < 4; ++i) {
            if (c.at(2).toString() == kOutcomeNames[i]) {
                cell.outcome = static_cast<CellChange::Outcome>(i);
            }
        }
        cells.push_back(cell);
    }
    return cells;
}

HistoryProblem problemFrom(const QSqlError& e, const std::string& path) {
    bool numeric = false;
    const int code = e.nativeErrorCode().toInt(&numeric) & 0xff;
    const std::string said = (e.databaseText().isEmpty() ? e.driverText() : e.databaseText())
                                 .toStdString();
    using Kind = HistoryProblem::Kind;
    switch (numeric ? code : -1) {
        case kReadOnly:
            return {Kind::ReadOnly, "the change history " + path + " is read-only"};
        case kFull:
            return {Kind::Full, "the disk that holds the change history " + path + " is full"};
        case kBusy:
        case kLocked:
            return {Kind::Locked, "the change history " + path +
                                      " was locked by another program for more than a second"};
        case kCorrupt:
        case kNotADatabase:
            return {Kind::Damaged, "the change history " + path + " is damaged (" + said + ")"};
        case kCantOpen:
            return {Kind::CannotOpen, "the change history " + path + " cannot be opened (" + said +
                                          ")"};
        default:
            return {Kind::Other, "the change history " + path + ": " + said};
    }
}

ChangeRecord recordFrom(const QSqlQuery& r) {
    ChangeRecord c;
    auto text = [&r](int i) { return r.value(i).toString().toStdString(); };
    auto maybe = [&r](int i) { return r.value(i).isNull() ? std::nullopt : std::optional(r.value(i)); };
    c.id = r.value(0).toLongLong();
    c.timeUtc = text(1);
    c.user = text(2);
    c.host = text(3);
    c.program = text(4);
    c.port = text(5);
    c.change.finalTag = r.value(6).toInt();
    c.change.tag = r.value(7).toInt();
    if (auto v = maybe(8)) c.change.sensor.serial = v->toLongLong();
    if (auto v = maybe(9)) c.change.sensor.type = v->toInt();
    if (auto v = maybe(10)) c.change.sensor.firmware = v->toInt();
    c.change.action = text(11);
    c.change.failure = text(13);
    c.change.note = text(14);
    c.change.setupBefore = text(15);
    c.change.setupAfter = text(16);
    c.change.cells = cellsFromJson(r.value(17).toString());
    return c;
}

}  // namespace

ChangeHistory::ChangeHistory(std::string path, Mode mode, Limits limits)
    : path_(std::move(path)),
      connection_("k7history-" + std::to_string(++connectionCount)),
      mode_(mode),
      limits_(limits) {}

ChangeHistory::~ChangeHistory() {
    close();
}

void ChangeHistory::close() {
    if (!QSqlDatabase::contains(q(connection_))) return;
    QSqlDatabase::database(q(connection_), false).close();
    QSqlDatabase::removeDatabase(q(connection_));
    open_ = false;
    hasSchema_ = false;
}

std::optional<HistoryProblem> ChangeHistory::open() {
    if (open_) return std::nullopt;
    auto problem = tryOpen();
    if (problem && problem->kind == HistoryProblem::Kind::Damaged && mode_ == Mode::Write) {
        close();
        if (auto failed = moveAside(*problem)) return failed;
        problem = tryOpen();
    }
    if (problem) {
        close();
        return problem;
    }
    open_ = true;
    return std::nullopt;
}

std::optional<HistoryProblem> ChangeHistory::tryOpen() {
    using Kind = HistoryProblem::Kind;
    if (mode_ == Mode::Write && !QDir().mkpath(QFileInfo(q(path_)).absolutePath())) {
        return HistoryProblem{Kind::CannotOpen, "the folder of the change history " + path_ +
                                                    " cannot be made"};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", q(connection_));
    if (!db.isValid()) {
        return HistoryProblem{Kind::CannotOpen,
                              "Qt's SQLite driver is not installed (Debian package "
                              "libqt6sql6-sqlite), so the change history cannot be kept"};
    }
    db.setDatabaseName(q(path_));
    db.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1%2")
                             .arg(limits_.busyTimeoutMs)
                             .arg(mode_ == Mode::Read ? ";QSQLITE_OPEN_READONLY" : ""));
    if (!db.open()) return problemFrom(db.lastError(), path_);
    QSqlQuery query(db);
    if (mode_ == Mode::Write) {
        // The journal mode is kept in the file; a second writer finds it set.
        if (!query.exec("PRAGMA journal_mode=WAL")) return problemFrom(query.lastError(), path_);
        // Every committed record is on the disk before the write counts as done.
        if (!query.exec("PRAGMA synchronous=FULL")) return problemFrom(query.lastError(), path_);
        if (limits_.maxPageCount > 0 &&
            !query.exec(QString("PRAGMA max_page_count=%1").arg(limits_.maxPageCount))) {
            return problemFrom(query.lastError(), path_);
        }
    }
    if (!query.exec("SELECT count(*) FROM sqlite_schema WHERE name = 'schema_version'") ||
        !query.next()) {
        return problemFrom(query.lastError(), path_);
    }
    const bool hasVersionTable = query.value(0).toInt() != 0;
    // A statement left open keeps a read transaction, which no write can follow.
    query.finish();
    if (!hasVersionTable) return mode_ == Mode::Write ? createSchema() : std::nullopt;
    if (!query.exec("SELECT max(version) FROM schema_version") || !query.next()) {
        return problemFrom(query.lastError(), path_);
    }
    const int version = query.value(0).toInt();
    query.finish();
    if (version > kHistorySchemaVersion) {
        return HistoryProblem{Kind::Newer, "the change history " + path_ +
                                               " was made by a newer version of this program "
                                               "(schema " +
                                               std::to_string(version) + ")"};
    }
    hasSchema_ = true;
    return std::nullopt;
}

std::optional<HistoryProblem> ChangeHistory::createSchema() {
    QSqlQuery query(QSqlDatabase::database(q(connection_), false));
    // Another program may be creating it at the same moment: the write lock decides, and the
    // loser finds the tables there.
    if (!query.exec("BEGIN IMMEDIATE")) return problemFrom(query.lastError(), path_);
    auto failed = [&]() {
        const HistoryProblem p = problemFrom(query.lastError(), path_);
        QSqlQuery(QSqlDatabase::database(q(connection_), false)).exec("ROLLBACK");
        return p;
    };
    if (!query.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))
        return failed();
    if (!query.exec("SELECT count(*) FROM schema_version") || !query.next()) return failed();
    const bool empty = query.value(0).toInt() == 0;
    query.finish();
    if (empty) {
        for (const char* statement : kSchema) {
            if (!query.exec(statement)) return failed();
        }
        if (!query.exec(QString("INSERT INTO schema_version VALUES (%1)")
                            .arg(kHistorySchemaVersion))) {
            return failed();
        }
    }
    if (!query.exec("COMMIT")) return failed();
    hasSchema_ = true;
    return std::nullopt;
}

std::optional<HistoryProblem> ChangeHistory::moveAside(const HistoryProblem& why) {
    const QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    QString target = q(path_) + ".damaged-" + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = q(path_) + ".damaged-" + stamp + "-" + QString::number(n);
    }
    if (!QFile::rename(q(path_), target)) {
        return HistoryProblem{HistoryProblem::Kind::Damaged,
                              why.text + " and could not be moved aside"};
    }
    // Its journal goes with it: it belongs to the old file, never to the new one.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (QFileInfo::exists(q(path_) + suffix)) QFile::rename(q(path_) + suffix, target + suffix);
    }
    movedAside_ = target.toStdString();
    return std::nullopt;
}

std::string ChangeHistory::takeMovedAside() {
    return std::exchange(movedAside_, {});
}

std::optional<HistoryProblem> ChangeHistory::add(const ChangeRecord& record) {
    return add(std::vector<ChangeRecord>{record});
}

std::optional<HistoryProblem> ChangeHistory::add(const std::vector<ChangeRecord>& records) {
    if (auto p = open()) return p;
    auto problem = insert(records);
    if (problem && problem->kind == HistoryProblem::Kind::Damaged) {
        // Damage found while writing: the file goes aside, the record into a new history.
        close();
        if (auto failed = moveAside(*problem)) return failed;
        if (auto p = open()) return p;
        problem = insert(records);
    }
    return problem;
}

std::optional<HistoryProblem> ChangeHistory::insert(const std::vector<ChangeRecord>& records) {
    QSqlDatabase db = QSqlDatabase::database(q(connection_), false);
    QSqlQuery query(db);
    if (!query.exec("BEGIN IMMEDIATE")) return problemFrom(query.lastError(), path_);
    query.prepare(QString("INSERT INTO changes (%1) VALUES (NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                          "?, ?, ?, ?, ?, ?, ?)")
                      .arg(kColumns));
    for (const ChangeRecord& r : records) {
        const SensorChange& c = r.change;
        for (const QVariant& v :
             {QVariant(q(r.timeUtc)), QVariant(q(r.user)), QVariant(q(r.host)),
              QVariant(q(r.program)), QVariant(q(r.port)), QVariant(c.finalTag), QVariant(c.tag),
              optional(c.sensor.serial), optional(c.sensor.type), optional(c.sensor.firmware),
              QVariant(q(c.action)), QVariant(r.done() ? "done" : "failed"), QVariant(q(c.failure)),
              QVariant(q(c.note)), QVariant(q(c.setupBefore)), QVariant(q(c.setupAfter)),
              QVariant(cellsJson(c.cells))}) {
            query.addBindValue(v);
        }
        if (!query.exec()) {
            const HistoryProblem p = problemFrom(query.lastError(), path_);
            QSqlQuery(db).exec("ROLLBACK");
            return p;
        }
    }
    if (!query.exec("COMMIT")) {
        const HistoryProblem p = problemFrom(query.lastError(), path_);
        QSqlQuery(db).exec("ROLLBACK");
        return p;
    }
    return std::nullopt;
}

std::optional<HistoryProblem> ChangeHistory::find(const ChangeFilter& filter,
                                                  std::vector<ChangeRecord>& out) {
    out.clear();
    if (mode_ == Mode::Read && !QFileInfo::exists(q(path_))) return std::nullopt;
    if (auto p = open()) return p;
    if (!hasSchema_) return std::nullopt;
    QString sql = QString("SELECT %1 FROM changes WHERE 1").arg(kColumns);
    if (filter.serial) sql += " AND serial = :serial";
    if (filter.tag) sql += " AND tag = :tag";
    if (!filter.sinceUtc.empty()) sql += " AND time_utc >= :since";
    sql += " ORDER BY time_utc DESC, id DESC";
    QSqlQuery query(QSqlDatabase::database(q(connection_), false));
    query.setForwardOnly(true);
    query.prepare(sql);
    if (filter.serial) query.bindValue(":serial", QVariant::fromValue(*filter.serial));
    if (filter.tag) query.bindValue(":tag", *filter.tag);
    if (!filter.sinceUtc.empty()) query.bindValue(":since", q(filter.sinceUtc));
    if (!query.exec()) return problemFrom(query.lastError(), path_);
    while (query.next()) out.push_back(recordFrom(query));
    if (query.lastError().isValid()) return problemFrom(query.lastError(), path_);
    return std::nullopt;
}

std::string ChangeHistory::journalMode() {
    if (open()) return {};
    QSqlQuery query(QSqlDatabase::database(q(connection_), false));
    if (!query.exec("PRAGMA journal_mode") || !query.next()) return {};
    return query.value(0).toString().toStdString();
}

std::string historyPath(const std::string& option) {
    if (!option.empty()) return option;
    const QString env = qEnvironmentVariable("K7700_HISTORY");
    if (!env.isEmpty()) return env.toStdString();
    // The generic location (XDG_DATA_HOME or ~/.local/share), so the desktop program and the
    // command-line tool share one file whatever their own names.
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            "/k7700/history.sqlite")
        .toStdString();
}

}  // namespace k7
