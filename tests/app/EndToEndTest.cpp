// The real serial code (QtSerialLine) against the simulator tool on a pseudo-terminal, in real
// time: what a technician's USB adapter would carry.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Cli.h"
#include "link/Clock.h"
#include "link/Commands.h"
#include "link/Link.h"
#include "link/QtSerialLine.h"
#include "link/SerialLock.h"
#include "sim/FactoryImage.h"
#include "support/FakeLinkUi.h"
#include "support/SimProcess.h"

namespace k7 {
namespace {

class EndToEnd : public ::testing::Test {
protected:
    std::unique_ptr<test::SimProcess> sim;
    std::string pty;

    void serve(std::vector<std::string> args) {
        sim = std::make_unique<test::SimProcess>(K7700_SIM_PATH, std::move(args));
        pty = test::readLine(sim->out(), std::chrono::milliseconds(5000));
        ASSERT_EQ(pty.rfind("/dev/pts/", 0), 0u) << pty;
    }
    int cli(std::vector<std::string> args, std::string* out = nullptr) {
        args.push_back("--port");
        args.push_back(pty);
        std::ostringstream o, e;
        const int status = runCli(args, o, e);
        if (out) *out = o.str();
        EXPECT_TRUE(status == 0 || !e.str().empty());
        return status;
    }
};

TEST_F(EndToEnd, ScanFindsTheServedSensorsAndPokeChangesTheirEeprom) {
    serve({"--sensor", "2,30:4"});
    std::string out;
    ASSERT_EQ(cli({"scan"}, &out), 0);
    EXPECT_EQ(out,
              "tag 2: type 0 (Sensor: 220 kHz 8 degree beam), firmware 25\n"
              "tag 30: type 4 (Sensor: G615), firmware 25\n");
    ASSERT_EQ(cli({"peek", "90", "--id", "30"}, &out), 0);
    EXPECT_EQ(out, "tag 30\n90: 5\n");
    ASSERT_EQ(cli({"poke", "90", "17", "--id", "30"}, &out), 0);
    ASSERT_EQ(cli({"peek", "90", "--id", "30"}, &out), 0);
    EXPECT_EQ(out, "tag 30\n90: 17\n");
    ASSERT_EQ(cli({"peek", "90", "--id", "2"}, &out), 0);
    EXPECT_EQ(out, "tag 2\n90: 5\n");
}

TEST_F(EndToEnd, AnAdapterThatEchoesAndHoldsBytesBackChangesNothing) {
    serve({"--sensor", "2,30", "--fault", "echo", "--adapter-latency-ms", "4"});
    std::string out;
    ASSERT_EQ(cli({"scan"}, &out), 0);
    EXPECT_EQ(out,
              "tag 2: type 0 (Sensor: 220 kHz 8 degree beam), firmware 25\n"
              "tag 30: type 0 (Sensor: 220 kHz 8 degree beam), firmware 25\n");
    ASSERT_EQ(cli({"peek", "79", "4", "--id", "30"}, &out), 0);
    EXPECT_EQ(out, "tag 30\n79: 3\n80: 0\n81: 18\n82: 0\n");
    ASSERT_EQ(cli({"poke", "80", "17", "--id", "30"}, &out), 0);
    ASSERT_EQ(cli({"peek", "79", "3", "--id", "30"}, &out), 0);
    EXPECT_EQ(out, "tag 30\n79: 3\n80: 17\n81: 18\n");
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

TEST_F(EndToEnd, AnUnpluggedAdapterCostsNoTimeAndComesBackOnRetry) {
    QTemporaryDir dir;
    const std::string device = (dir.path() + "/k7700-line").toStdString();
    serve({"--sensor", "1", "--link", device});
    SystemClock clock;
    QtSerialLine line(clock);
    line.open(device, kLineSettings);
    test::FakeLinkUi ui;
    Link link(line, clock, ui);
    link.statusPollBusy = true;
    ASSERT_TRUE(link.exchange(cmd::Status));

    sim->stop(SIGTERM);  // the far end goes away between two polls
    double cpu = -1;
    ui.noCommAnswers = {NoCommChoice::Retry};
    ui.onNoComm = [&] {
        // The window stays up while the event loop runs, as it does for a user.
        const double before = processCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu = processCpuSeconds() - before;
        serve({"--sensor", "1", "--link", device});  // plugged back in
    };
    EXPECT_TRUE(link.exchange(cmd::Status));
    ASSERT_EQ(ui.noCommDeviceGone.size(), 1u);
    EXPECT_FALSE(ui.noCommDeviceGone[0].empty());
    EXPECT_TRUE(ui.noCommOfferedRetry[0]);
    EXPECT_LT(cpu, 0.15) << "seconds of CPU in 3 s with the device gone";
    EXPECT_TRUE(line.isOpen());
}

TEST_F(EndToEnd, CorruptedRepliesAreRetriedUntilEveryReadIsRight) {
    // One reply in five comes back with a wrong checksum, a wrong tag or cut short.
    serve({"--sensor", "1", "--fault", "checksum=0.1,badtag=0.05,short=0.05", "--seed", "11"});
    SystemClock clock;
    QtSerialLine line(clock);
    line.open(pty, kLineSettings);
    test::FakeLinkUi ui;
    Link link(line, clock, ui);
    const sim::Eeprom expected = sim::factoryImage(0, 1, 100001);
    int retried = 0;
    for (int i = 0; i < 200; ++i) {
        const int cell = 46 + i % 70;
        link.eepromReadAddress = static_cast<std::uint8_t>(cell);
        const std::size_t before = ui.processEventsCalls;
        link.sendRequest(cmd::ReadEeprom);
        link.readReply();
        ASSERT_EQ(link.replyOk, 1) << "read " << i;
        ASSERT_EQ(link.dataByte(1), expected[static_cast<std::size_t>(cell)]) << "cell " << cell;
        ASSERT_EQ(link.dataByte(2), cell < 127 ? expected[static_cast<std::size_t>(cell) + 1] : 0);
        retried += ui.processEventsCalls - static_cast<int>(before);
    }
    EXPECT_TRUE(ui.noCommOfferedRetry.empty());
    EXPECT_GT(retried, 20);  // the faults really were there
}

TEST_F(EndToEnd, ALockFileNamingNoLiveProgramIsTakenOverOneOfALiveProgramIsNot) {
    serve({"--sensor", "1"});
    const std::string lock = serialLockPath(pty);
    // Left empty by a program killed while it took the port, ten seconds ago (the serial port
    // itself would wait for half a minute).
    if (lock.empty() || !std::ofstream(lock)) GTEST_SKIP() << "no lock folder may be written";
    const timespec tenSecondsAgo{std::time(nullptr) - 10, 0};
    const timespec times[2] = {tenSecondsAgo, tenSecondsAgo};
    utimensat(AT_FDCWD, lock.c_str(), times, 0);
    SystemClock clock;
    {
        QtSerialLine line(clock);
        EXPECT_NO_THROW(line.open(pty, kLineSettings));
        test::FakeLinkUi ui;
        Link link(line, clock, ui);
        EXPECT_TRUE(link.exchange(cmd::Status));
    }
    // Held by a live program (this one, as far as the lock says): in use, and kept.
    std::ofstream(lock) << getpid() << "\n"
                        << std::filesystem::read_symlink("/proc/self/exe").filename().string()
                        << "\n\n";
    QtSerialLine line(clock);
    try {
        line.open(pty, kLineSettings);
        ADD_FAILURE() << "opened a port another program holds";
    } catch (const LineError& e) {
        EXPECT_EQ(std::string(e.what()), "In use by another program: " + pty);
    }
    EXPECT_TRUE(std::filesystem::exists(lock));
    std::filesystem::remove(lock);
}

}  // namespace
}  // namespace k7
