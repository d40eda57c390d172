// What programming leaves in the change history, against the simulated sensors: the command
// line's program and poke, a programming that changes the ID tag, two programs at once, and a
// history that cannot be written, which never fails the programming.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/TextFile.h"
#include "history/ChangeHistory.h"
#include "history/ChangeText.h"
#include "history/HistoryRecorder.h"
#include "link/Clock.h"
#include "settings/ProgramState.h"
#include "settings/Programming.h"
#include "settings/SettingsRead.h"
#include "sim/SimulatedLine.h"
#include "support/CliRun.h"
#include "support/FakeLinkUi.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

std::vector<ChangeRecord> recorded(const std::string& path, ChangeFilter f = {}) {
    std::vector<ChangeRecord> out;
    const auto p = ChangeHistory(path, ChangeHistory::Mode::Read).find(f, out);
    EXPECT_FALSE(p) << p->text;
    return out;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A setup file of sensor 1 with the hysteresis (lines 16 and 18) set to `percent`.
std::string setupWithHysteresis(const test::TempDir& dir, int percent) {
    const std::string file = dir.file("setup.txt");
    EXPECT_EQ(cli({"save", file, "--simulate", "--id", "1"}).status, 0);
    auto lines = *readTextLines(file);
    lines[15] = lines[17] = "hysteresis=" + std::to_string(percent);
    writeTextFile(file, joinCrLf(lines));
    return file;
}

TEST(HistoryRecording, ProgramLeavesOneRecordBeforeAndAfterInDisplayUnits) {
    test::TempDir dir;
    const std::string db = dir.file("history.sqlite");
    const std::string file = setupWithHysteresis(dir, 9);
    const CliRun r = cli({"program", file, "--simulate", "--id", "1", "--history", db});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto records = recorded(db);
    ASSERT_EQ(records.size(), 1u);
    const ChangeRecord& c = records[0];
    EXPECT_EQ(c.change.action, "Program");
    EXPECT_EQ(c.change.finalTag, 1);
    EXPECT_EQ(c.change.sensor.serial, 100001);
    EXPECT_EQ(c.change.sensor.type, 0);
    EXPECT_EQ(c.change.sensor.firmware, 25);
    EXPECT_EQ(c.port, "simulated sensors");
    EXPECT_TRUE(has(c.program, "k7700-cli"));
    EXPECT_TRUE(c.done());
    EXPECT_EQ(c.change.cells.size(), 56u);
    for (const CellChange& cell : c.change.cells) {
        EXPECT_EQ(cell.outcome, CellChange::Outcome::Verified) << cell.address;
        if (cell.address == 90) {
            EXPECT_EQ(cell.value, 9);
        }
    }
    const auto rows = changedRows(c, 2, 0);  // feet
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].setting, "Hysteresis");
    EXPECT_EQ(rows[0].sensor, "9 %");
    EXPECT_NE(rows[0].file, "9 %");

    // The same from the command line, as text, CSV and an export.
    CliRun listed = cli({"changes", "--serial", "100001", "--history", db});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(has(listed.out, "Program  ID tag 1  serial 100001")) << listed.out;
    EXPECT_TRUE(has(listed.out, "    Hysteresis: " + rows[0].file + " -> 9 %")) << listed.out;
    EXPECT_EQ(cli({"changes", "--serial", "100002", "--history", db}).out, "No changes recorded.\n");
    listed = cli({"changes", "--id", "1", "--csv", "--history", db});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 2 + 2 * 28) << listed.out;
    EXPECT_TRUE(has(listed.out, "Hysteresis: " + rows[0].file + " -> 9 %"));
    listed = cli({"changes", "--since", "2000-01-01", "--export", dir.file("all.csv"), "--history", db});
    EXPECT_EQ(listed.out, "1 change exported to " + dir.file("all.csv") + "\n");
    EXPECT_EQ(cli({"changes", "--since", "tomorrow", "--history", db}).status, 2);
    EXPECT_EQ(cli({"changes", "--simulate", "--history", db}).status, 2);
}

TEST(HistoryRecording, ARefusedCellIsRecordedAsFailedAndAPokeSaysWhoItWas) {
    test::TempDir dir;
    const std::string db = dir.file("history.sqlite");
    const std::string file = setupWithHysteresis(dir, 9);
    EXPECT_EQ(cli({"program", file, "--simulate", "--id", "1", "--fault", "refuse=90",
                   "--history", db})
                  .status,
              1);
    EXPECT_EQ(cli({"poke", "95", "4", "--simulate", "--sensors", "2", "--id", "2", "--history", db})
                  .status,
              0);
    const auto records = recorded(db);
    ASSERT_EQ(records.size(), 2u);
    const ChangeRecord& poke = records[0];
    EXPECT_EQ(poke.change.action, "Poke");
    EXPECT_EQ(poke.change.sensor.serial, 100002);  // asked, since a poke reads nothing
    EXPECT_EQ(poke.change.sensor.firmware, 25);
    EXPECT_EQ(poke.change.cells, (std::vector<CellChange>{{95, 4, CellChange::Outcome::Verified}}));
    const ChangeRecord& program = records[1];
    EXPECT_FALSE(program.done());
    EXPECT_EQ(program.change.failure, "cell 90 did not take the value written");
    int failed = 0;
    for (const CellChange& c : program.change.cells) {
        failed += c.outcome == CellChange::Outcome::Failed ? 1 : 0;
        if (c.address == 90) {
            EXPECT_EQ(c.outcome, CellChange::Outcome::Failed);
        }
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(changedRows(program, 1, 0).back().setting, "EEPROM cell 90");
}

// The program-wide state on a simulated line, read as the main window reads it.
class RecordedSensor : public ::testing::Test {
protected:
    RecordedSensor() {
        line.open("sim", kLineSettings);
        bus.addSensor({.tag = 3});
        ui.tag = screen.SingleSensorID = "3";
        m.discovery.currentIdTag = 3;
    }
    void read(HistoryRecorder& recorder) {
        readSensorSettings(m, screen);
        recorder.sensorRead(m.discovery.currentIdTag, screen.SerialNumber, m.sensorType);
    }
    HistoryRecorder::Setup setup(const std::string& path, ChangeHistory::Limits limits = {}) {
        return {path, "test", [] { return "sim"; }, limits};
    }
    VirtualClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    test::FakeLinkUi ui;
    ProgramState m{line, clock, ui};
    ScreenValues screen;
};

TEST_F(RecordedSensor, ASensorWhoseTagChangedKeepsItsHistory) {
    test::TempDir dir;
    const std::string db = dir.file("history.sqlite");
    HistoryRecorder recorder(setup(db));
    m.link.changeSink = &recorder;
    read(recorder);
    ASSERT_TRUE(writeAllUserEeprom(m, screen).ok());
    screen.SingleSensorID = "9";
    ASSERT_TRUE(writeAllUserEeprom(m, screen).ok());
    ASSERT_EQ(m.discovery.currentIdTag, 9);
    read(recorder);
    ASSERT_TRUE(writeAllUserEeprom(m, screen).ok());
    EXPECT_TRUE(recorder.flush().empty());

    const auto all = recorded(db, {.serial = 100003});
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].change.tag, 3);
    EXPECT_EQ(all[1].change.finalTag, 9);
    EXPECT_EQ(tagText(all[1]), "ID tag 3 -> 9");
    EXPECT_EQ(all[1].change.cells.front(), (CellChange{45, 9, CellChange::Outcome::Unchecked}));
    EXPECT_EQ(recorded(db, {.tag = 9}).size(), 2u);
    // Identity was asked once (the firmware), never again for the same sensor.
    EXPECT_EQ(bus.countReceived(122), 1);
}

TEST_F(RecordedSensor, AHistoryThatCannotBeWrittenIsToldOnceAndTheProgrammingGoesOn) {
    test::TempDir dir;
    const std::string db = dir.file("history.sqlite");
    {
        HistoryRecorder first(setup(db));
        m.link.changeSink = &first;
        read(first);
        ASSERT_TRUE(writeAllUserEeprom(m, screen).ok());
    }
    struct Case {
        const char* what;
        std::function<void()> before, after;
        ChangeHistory::Limits limits;
    };
    std::optional<QSqlDatabase> blocker;
    const std::vector<Case> cases = {
        {"is full", [] {}, [] {}, {.maxPageCount = 1}},
        {"was locked by another program",
         [&] {
             blocker = QSqlDatabase::addDatabase("QSQLITE", "blocker");
             blocker->setDatabaseName(QString::fromStdString(db));
             blocker->open();
             QSqlQuery(*blocker).exec("BEGIN IMMEDIATE");
         },
         [&] {
             QSqlQuery(*blocker).exec("ROLLBACK");
             blocker->close();
             blocker.reset();
             QSqlDatabase::removeDatabase("blocker");
         },
         {}},
    };
    for (const Case& c : cases) {
        c.before();
        {
            HistoryRecorder recorder(setup(db, c.limits));
            m.link.changeSink = &recorder;
            read(recorder);
            for (int i = 0; i < 3; ++i) {
                screen.UserDescription = std::string(32, static_cast<char>('a' + i));
                EXPECT_TRUE(writeAllUserEeprom(m, screen).ok()) << c.what;
            }
            const auto told = recorder.flush();
            if (std::string(c.what) == "is full") {
                ASSERT_FALSE(told.empty());
            } else {
                ASSERT_EQ(told.size(), 1u) << c.what;  // three changes, one message
                EXPECT_TRUE(has(told[0], "Program of ID tag 3 (serial 100003), Program of ID tag 3"))
                    << told[0];
            }
            EXPECT_TRUE(has(told.back(), c.what)) << told.back();
        }
        m.link.changeSink = nullptr;
        c.after();
        EXPECT_GE(recorded(db).size(), 1u) << c.what;  // what was there stays
    }
}

TEST(HistoryRecording, AGarbageFileIsMovedAsideAndAReadOnlyOneIsLeftAsItIs) {
    test::TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string db = dir.file("history.sqlite");
    const std::string file = setupWithHysteresis(dir, 9);
    std::filesystem::permissions(file, std::filesystem::perms::all);
    std::ofstream(db) << std::string(3000, 'x');
    CliRun r = cli({"program", file, "--simulate", "--id", "1", "--history", db});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "tag 1: programmed and verified\n");
    EXPECT_TRUE(has(r.err, "could not be read and was moved aside to " + db + ".damaged-")) << r.err;
    EXPECT_EQ(recorded(db).size(), 1u);

    // Read-only: for root, whom permissions do not stop, the tool runs as nobody.
    std::filesystem::permissions(db, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
    std::vector<std::string> args = {"program", file, "--simulate", "--id", "1", "--history", db};
    std::string program = K7700_CLI_PATH;
    if (geteuid() == 0) {
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program});
        program = "/usr/bin/setpriv";
    }
    test::SimProcess tool(program, args);
    const std::string out = test::readLine(tool.out(), std::chrono::seconds(30));
    const std::string err = test::readLine(tool.err(), std::chrono::seconds(30));
    EXPECT_EQ(WEXITSTATUS(tool.stop(0)), 0) << err;
    EXPECT_EQ(out, "tag 1: programmed and verified");
    EXPECT_TRUE(has(err, "not recorded in the change history: Program of ID tag 1 (serial "
                         "100001): the change history " + db + " is read-only"))
        << err;
    EXPECT_EQ(recorded(db).size(), 1u);
}

TEST(HistoryRecording, TwoProgramsWritingAtOnceBothRecord) {
    test::TempDir dir;
    const std::string db = dir.file("history.sqlite");
    const std::string file = setupWithHysteresis(dir, 9);
    const std::vector<std::string> args = {"program", file, "--simulate", "--sensors",
                                           "1,2,3,4,5,6,7,8", "--id", "1,2,3,4,5,6,7,8",
                                           "--history", db};
    test::SimProcess a(K7700_CLI_PATH, args), b(K7700_CLI_PATH, args);
    EXPECT_EQ(WEXITSTATUS(a.stop(0)), 0);
    EXPECT_EQ(WEXITSTATUS(b.stop(0)), 0);
    EXPECT_EQ(recorded(db).size(), 16u);
}

}  // namespace
}  // namespace k7
