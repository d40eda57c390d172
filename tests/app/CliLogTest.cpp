// The data log of k7700-cli: one whole CSV row per reading, values as the sensors measured
// them in the chosen unit, refused files named; and a logger stopped with Ctrl-C leaves a
// complete file.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/CliLog.h"
#include "common/TextFile.h"
#include "link/Commands.h"
#include "support/CliProcess.h"
#include "support/LinkFixture.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

class NeverStop final : public LogStop {
public:
    bool requested() override { return false; }
    void waitUntil(Clock& clock, std::int64_t us) override { clock.sleepUntil(us); }
};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::stringstream s(text);
    for (std::string p; std::getline(s, p, sep);) parts.push_back(p);
    if (!text.empty() && text.back() == sep) parts.emplace_back();
    return parts;
}

// Every line ends in CR LF and has the header's 11 fields; returns the rows without the header.
std::vector<std::vector<std::string>> wholeRows(const std::string& text) {
    EXPECT_TRUE(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") << "cut last line";
    std::vector<std::vector<std::string>> rows;
    std::stringstream s(text);
    std::string line;
    bool header = true;
    while (std::getline(s, line)) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << line;
        if (!line.empty()) line.pop_back();
        const auto fields = split(line, ',');
        EXPECT_EQ(fields.size(), 11u) << line;
        if (!header) rows.push_back(fields);
        header = false;
    }
    return rows;
}

class CliLogTest : public test::LinkFixture {
protected:
    test::TempDir dir;
};

TEST_F(CliLogTest, RowsCarryEachReadingInTheChosenUnitInTimeOrder) {
    addSensor(1).setTargetInches(20);
    sim::SimSensor& second = addSensor(2);
    second.setTargetInches(10.5);
    second.setTemperatureC(20);
    const std::string file = dir.file("log.csv");
    NeverStop stop;
    std::ostringstream out, err;
    ASSERT_EQ(runLog(link, {file, {1, 2}, 3.0, 220, {kCm, kFahrenheit}}, stop, out, err), 0)
        << err.str();

    const std::string text = fileText(file);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "time,tag,distance (cm),distance (in x 128),current (mA),output A,output B,"
              "echo output,target strength (%),temperature (Deg. F),faults\r\n");
    const auto rows = wholeRows(text);
    // One row per status reply, each sensor every 220 ms for 3 s.
    EXPECT_EQ(static_cast<int>(rows.size()), bus.countReceived(cmd::Status));
    EXPECT_GE(rows.size(), 24u);
    EXPECT_EQ(out.str(), std::to_string(rows.size()) + " readings written to " + file + "\n");
    std::string lastTime;
    for (const auto& r : rows) {
        EXPECT_EQ(r[0].size(), std::string("2024-05-01T14:03:07.123+02:00").size()) << r[0];
        EXPECT_GT(r[0], lastTime);  // same date and offset: text order is time order
        lastTime = r[0];
        if (r[1] == "1") {
            EXPECT_EQ(r[2], "50.8");
            EXPECT_EQ(r[3], "2560");
        } else {
            EXPECT_EQ(r[1], "2");
            EXPECT_EQ(r[2], "26.7");
            EXPECT_EQ(r[3], "1344");
            EXPECT_EQ(r[9], "68.0");
        }
        EXPECT_EQ(r[10], "");
    }
}

TEST_F(CliLogTest, ASensorOnALossyLineKeepsBeingLoggedAndALostDeviceEndsTheLog) {
    addSensor(1);
    setFaults(0, "drop=0.3");
    line.setUnplugAfter(6'000'000);
    const std::string file = dir.file("lossy.csv");
    NeverStop stop;
    std::ostringstream out, err;
    EXPECT_EQ(runLog(link, {file, {1}, 60.0, 220, {}}, stop, out, err), 1);
    EXPECT_EQ(err.str(), "k7700-cli: the serial device went away: No such device: SIM\n");
    EXPECT_GE(wholeRows(fileText(file)).size(), 15u);  // 27 on a clean line
}

TEST_F(CliLogTest, FileThatCannotBeWrittenIsNamedAndLeftAsItWas) {
    addSensor(1);
    NeverStop stop;
    const std::string locked = dir.file("locked.csv");
    writeTextFile(locked, "keep me\r\n");
    chmod(locked.c_str(), 0444);
    const struct {
        std::string file, said;
    } cases[] = {
        {locked, locked + " is read-only"},  // for root too
        {dir.path().string(), "cannot write " + dir.path().string() + ": "},
        {dir.file("no/such/folder/log.csv"), "cannot write " + dir.file("no/such/folder/log.csv")},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runLog(link, {c.file, {1}, 1.0, 220, {}}, stop, out, err), 1);
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    }
    EXPECT_EQ(bus.countReceived(cmd::Status), 0);
    EXPECT_EQ(fileText(locked), "keep me\r\n");
}

TEST(CliLogProcess, InterruptedLoggerLeavesEveryLineWhole) {
    test::TempDir dir;
    const std::string file = dir.file("log.csv");
    test::SimProcess cli(K7700_CLI_PATH,
                         {"log", file, "--simulate", "--sensors", "1,2", "--id", "1,2"});
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (split(fileText(file), '\n').size() < 6 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const int status = cli.stop(SIGINT);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of closing the file";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto rows = wholeRows(fileText(file));
    EXPECT_GE(rows.size(), 4u);
    const std::string said = test::readLine(cli.out(), std::chrono::milliseconds(1000));
    EXPECT_EQ(said, std::to_string(rows.size()) + " readings written to " + file);
}

// A log that fills its disk (or meets a file-size limit) ends on its last whole row, says how
// many readings it holds, and fails.
void expectEndsOnAWholeRow(const test::CliOutcome& r, const std::string& file) {
    ASSERT_TRUE(r.finished) << "the log did not end when its disk filled";
    EXPECT_EQ(r.status, 1) << r.err;
    const auto rows = wholeRows(fileText(file));
    EXPECT_GE(rows.size(), 2u);
    EXPECT_NE(r.err.find("the log ends after " + std::to_string(rows.size()) +
                         " readings, every row whole"),
              std::string::npos)
        << r.err;
}

TEST(CliLogProcess, AFileSizeLimitEndsTheLogOnAWholeRow) {
    test::TempDir dir;
    const std::string file = dir.file("l.csv");
    expectEndsOnAWholeRow(
        test::runCliProcess({"log", QString::fromStdString(file), "--simulate", "--sensors", "5,6",
                             "--id", "5,6", "--interval", "0", "--seconds", "30"},
                            "ulimit -f 1"),
        file);
}

TEST(CliLogProcess, AFullDiskEndsTheLogOnAWholeRow) {
    test::TempDir dir;
    const std::string disk = dir.file("disk");
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=12k") != 0) {
        GTEST_SKIP() << "cannot mount a 12 kB tmpfs to fill (" << std::strerror(errno)
                     << "; needs root): the file-size limit test stands in for it";
    }
    struct Unmount {
        std::string at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const std::string file = disk + "/l.csv";
    const test::CliOutcome r =
        test::runCliProcess({"log", QString::fromStdString(file), "--simulate", "--sensors", "5,6",
                             "--id", "5,6", "--interval", "0", "--seconds", "30"});
    expectEndsOnAWholeRow(r, file);
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
}

TEST(CliHealthProcess, StoppedHealthStillPrintsItsTable) {
    test::SimProcess sim(K7700_SIM_PATH, {"--sensors", "1"});
    const std::string pty = test::readLine(sim.out(), std::chrono::milliseconds(5000));
    test::SimProcess cli(K7700_CLI_PATH, {"health", "--port", pty, "--id", "1", "--seconds", "60"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const int status = cli.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of printing the table";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readLine(cli.out(), std::chrono::milliseconds(1000)).rfind("ID tag\t", 0), 0u);
    EXPECT_EQ(test::readLine(cli.out(), std::chrono::milliseconds(1000)).rfind("1\t", 0), 0u);
}

}  // namespace
}  // namespace k7
