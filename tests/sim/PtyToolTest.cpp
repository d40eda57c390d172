// The k7700-sim tool end to end, in real time: it prints its pseudo-terminal, serves frames on
// it at 19200-baud pace, stops cleanly on SIGTERM and refuses bad options.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "link/Commands.h"
#include "link/Frame.h"
#include "support/SimProcess.h"

namespace k7::sim {
namespace {

using k7::test::Bytes;
using k7::test::Clock;
using k7::test::openRaw;
using k7::test::readFor;
using k7::test::readLine;
using k7::test::SimProcess;

TEST(SimTool, ServesFramesOnItsPseudoTerminalAtLinePace) {
    SimProcess sim(K7700_SIM_PATH, {"--sensor", "1,3:4:31"});
    const std::string path = readLine(sim.out(), std::chrono::milliseconds(5000));
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    const int fd = openRaw(path);
    ASSERT_GE(fd, 0);

    auto exchange = [fd](const Frame& f, std::size_t want, std::chrono::milliseconds limit) {
        tcflush(fd, TCIFLUSH);
        EXPECT_EQ(write(fd, f.data(), f.size()), 6);
        return readFor(fd, want, limit);
    };
    const Frame type = makeRequest(3, cmd::SensorType);
    const auto start = Clock::now();
    // Limits are generous: a loaded machine (or a sanitizer build) may serve late.
    const Bytes r = exchange(type, 6, std::chrono::milliseconds(500));
    const auto took = Clock::now() - start;
    const Frame expected = makeReply(3, 0, 4, 0, 0);
    EXPECT_EQ(r, Bytes(expected.begin(), expected.end()));
    EXPECT_GE(took, std::chrono::microseconds(7'000));  // 12 byte times and the turnaround

    EXPECT_EQ(exchange(makeRequest(1, cmd::FirmwareVersion), 6, std::chrono::milliseconds(500)),
              (Bytes{1, 0, 25, 0, 0, 26}));
    EXPECT_TRUE(
        exchange(makeRequest(9, cmd::SensorType), 6, std::chrono::milliseconds(200)).empty());

    // A 320-sample record cannot come faster than the line carries it.
    const auto streamStart = Clock::now();
    const Bytes record = exchange(makeRequest(1, cmd::AcousticData), 320, std::chrono::seconds(2));
    EXPECT_EQ(record.size(), 320u);
    EXPECT_GE(Clock::now() - streamStart, std::chrono::milliseconds(165));

    // The client going away and coming back does not upset the server.
    close(fd);
    const int again = openRaw(path);
    ASSERT_GE(again, 0);
    tcflush(again, TCIFLUSH);
    ASSERT_EQ(write(again, type.data(), type.size()), 6);
    EXPECT_EQ(readFor(again, 6, std::chrono::milliseconds(500)),
              Bytes(expected.begin(), expected.end()));
    close(again);

    const int status = sim.stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SimTool, BadOptionsGiveOneLineOnStderrAndStatusTwo) {
    SimProcess sim(K7700_SIM_PATH, {"--sensor", "40"});
    const int status = sim.stop(0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const std::string message = readLine(sim.err(), std::chrono::milliseconds(1000));
    EXPECT_NE(message.find("k7700-sim:"), std::string::npos) << message;
    EXPECT_NE(message.find("tag must be"), std::string::npos) << message;
    EXPECT_TRUE(readFor(sim.err(), 1, std::chrono::milliseconds(100)).empty());
    EXPECT_TRUE(readFor(sim.out(), 1, std::chrono::milliseconds(100)).empty());
}

}  // namespace
}  // namespace k7::sim
