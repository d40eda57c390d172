// The change history's database: what it keeps and finds, and a file that is garbage, newer,
// full, locked, or whose writer is killed in the middle of a write.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <fstream>
#include <sstream>

#include "history/ChangeHistory.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

ChangeRecord record(long serial, int tag, const std::string& time) {
    ChangeRecord r;
    r.timeUtc = time;
    r.user = "tech";
    r.host = "bench";
    r.program = "k7700 3.10";
    r.port = "/dev/ttyUSB0";
    r.change.action = "Program";
    r.change.tag = r.change.finalTag = tag;
    r.change.sensor = {serial, 0, 25};
    r.change.cells = {{90, 7, CellChange::Outcome::Verified}, {91, 1, CellChange::Outcome::Failed}};
    r.change.failure = "cell 91 did not take the value written";
    r.change.note = "a note";
    r.change.setupBefore = "before\r\nlines";
    r.change.setupAfter = "after\r\nlines";
    return r;
}

// Another program's connection to the same file, for what the history itself does not offer.
class OtherConnection {
public:
    explicit OtherConnection(const std::string& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(QString::fromStdString(path));
        db.open();
    }
    ~OtherConnection() {
        QSqlDatabase::database("other", false).close();
        QSqlDatabase::removeDatabase("other");
    }
    QString value(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database("other", false));
        return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
    }
    bool exec(const QString& sql) { return QSqlQuery(QSqlDatabase::database("other", false)).exec(sql); }
};

std::vector<ChangeRecord> all(const std::string& path, ChangeFilter f = {}) {
    ChangeHistory h(path, ChangeHistory::Mode::Read);
    std::vector<ChangeRecord> out;
    EXPECT_FALSE(h.find(f, out));
    return out;
}

TEST(ChangeHistory, KeepsEveryFieldAndFindsBySensorNewestFirst) {
    test::TempDir dir;
    const std::string path = dir.file("data/k7700/history.sqlite");
    EXPECT_TRUE(all(path).empty());  // nothing there: nothing found, nothing made
    EXPECT_FALSE(std::filesystem::exists(path));
    {
        ChangeHistory h(path, ChangeHistory::Mode::Write);
        ASSERT_FALSE(h.add(record(100001, 3, "2026-01-01T10:00:00.000Z")));
        ASSERT_FALSE(h.add(record(100002, 5, "2026-01-02T10:00:00.000Z")));
        ChangeRecord moved = record(100001, 7, "2026-01-03T10:00:00.000Z");
        moved.change.tag = 3;  // the sensor took ID tag 7
        moved.change.failure.clear();
        ASSERT_FALSE(h.add(moved));
        EXPECT_EQ(h.journalMode(), "wal");
    }
    const auto sensor = all(path, {.serial = 100001});
    ASSERT_EQ(sensor.size(), 2u);
    EXPECT_EQ(sensor[0].timeUtc, "2026-01-03T10:00:00.000Z");
    EXPECT_EQ(sensor[0].change.tag, 3);
    EXPECT_EQ(sensor[0].change.finalTag, 7);
    EXPECT_TRUE(sensor[0].done());
    const ChangeRecord& old = sensor[1];
    const ChangeRecord want = record(100001, 3, "2026-01-01T10:00:00.000Z");
    EXPECT_EQ(old.user + old.host + old.program + old.port, want.user + want.host + want.program + want.port);
    EXPECT_EQ(old.change.cells, want.change.cells);
    EXPECT_EQ(old.change.failure, want.change.failure);
    EXPECT_EQ(old.change.note, "a note");
    EXPECT_EQ(old.change.setupBefore, want.change.setupBefore);
    EXPECT_EQ(old.change.setupAfter, want.change.setupAfter);
    EXPECT_EQ(old.change.sensor.firmware, 25);
    EXPECT_EQ(all(path, {.tag = 7}).size(), 1u);
    EXPECT_EQ(all(path, {.sinceUtc = "2026-01-02T00:00:00.000Z"}).size(), 2u);
    EXPECT_EQ(all(path).size(), 3u);

    OtherConnection other(path);
    EXPECT_EQ(other.value("SELECT version FROM schema_version"), "1");
    EXPECT_EQ(other.value("EXPLAIN QUERY PLAN SELECT * FROM changes WHERE serial = 1 AND "
                          "time_utc >= '' ORDER BY time_utc DESC")
                  .isEmpty(),
              false);
}

TEST(ChangeHistory, AFileOfGarbageIsMovedAsideNeverEmptied) {
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    const std::string garbage(5000, 'g');
    std::ofstream(path) << garbage;
    std::vector<ChangeRecord> found;
    const auto readProblem = ChangeHistory(path, ChangeHistory::Mode::Read).find({}, found);
    ASSERT_TRUE(readProblem);  // a reader says so and leaves it
    EXPECT_EQ(readProblem->kind, HistoryProblem::Kind::Damaged);

    ChangeHistory h(path, ChangeHistory::Mode::Write);
    EXPECT_FALSE(h.add(record(1, 1, "2026-01-01T00:00:00.000Z")));
    const std::string moved = h.takeMovedAside();
    ASSERT_FALSE(moved.empty());
    std::ifstream in(moved);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), garbage);
    EXPECT_EQ(all(path).size(), 1u);
}

TEST(ChangeHistory, AHistoryOfANewerProgramIsLeftAlone) {
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    ASSERT_FALSE(ChangeHistory(path, ChangeHistory::Mode::Write).add(record(1, 1, "t1")));
    OtherConnection(path).exec("UPDATE schema_version SET version = 2");
    const auto p = ChangeHistory(path, ChangeHistory::Mode::Write).add(record(1, 1, "t2"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, HistoryProblem::Kind::Newer);
    EXPECT_EQ(OtherConnection(path).value("SELECT count(*) FROM changes"), "1");
}

TEST(ChangeHistory, AFullDiskFailsTheWriteAndKeepsEveryRecord) {
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    ASSERT_FALSE(ChangeHistory(path, ChangeHistory::Mode::Write).add(record(1, 1, "t0")));
    // The file may not grow: SQLite's own stand-in for a full disk.
    ChangeHistory full(path, ChangeHistory::Mode::Write, {.maxPageCount = 1});
    std::optional<HistoryProblem> p;
    int written = 1;
    for (int i = 0; i < 20 && !p; ++i) {
        ChangeRecord r = record(1, 1, "t" + std::to_string(i + 1));
        r.change.setupAfter = std::string(3000, 'a');
        p = full.add(r);
        written += p ? 0 : 1;
    }
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, HistoryProblem::Kind::Full) << p->text;
    EXPECT_EQ(all(path).size(), static_cast<std::size_t>(written));
}

TEST(ChangeHistory, ALockHeldPastASecondFailsOnlyThatWrite) {
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    ChangeHistory h(path, ChangeHistory::Mode::Write);
    ASSERT_FALSE(h.add(record(1, 1, "t1")));
    OtherConnection other(path);
    ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));
    QElapsedTimer t;
    t.start();
    const auto p = h.add(record(1, 1, "t2"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, HistoryProblem::Kind::Locked);
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(all(path).size(), 1u);  // readers are not held up by the writer's lock
    other.exec("ROLLBACK");
    EXPECT_FALSE(h.add(record(1, 1, "t3")));
}

TEST(ChangeHistory, AWriterKilledMidWriteLeavesEveryCommittedRecord) {
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    test::SimProcess writer(HISTORY_WRITER_PATH, {path});
    long committed = 0;
    while (committed < 40) {
        const std::string line = test::readLine(writer.out(), std::chrono::seconds(10));
        ASSERT_FALSE(line.empty()) << "the writer stopped";
        committed = std::stol(line);
    }
    // Most likely in the middle of the next transaction.
    const int status = writer.stop(SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(status));
    ChangeHistory h(path, ChangeHistory::Mode::Write);
    EXPECT_EQ(h.journalMode(), "wal");
    EXPECT_GE(all(path).size(), static_cast<std::size_t>(committed));
    EXPECT_EQ(OtherConnection(path).value("PRAGMA integrity_check"), "ok");
}

}  // namespace
}  // namespace k7
