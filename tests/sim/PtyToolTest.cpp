// The k7700-sim tool end to end, in real time: it prints its pseudo-terminal, serves frames on
// it at 19200-baud pace, stops cleanly on SIGTERM and refuses bad options.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/Commands.h"
#include "link/Frame.h"

extern char** environ;

namespace k7::sim {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Reads from `fd` until `want` bytes or the time limit; returns what came.
Bytes readFor(int fd, std::size_t want, std::chrono::milliseconds limit) {
    Bytes got;
    const auto end = Clock::now() + limit;
    while (got.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        std::uint8_t buffer[2048];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, want - got.size()));
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

std::string readLine(int fd, std::chrono::milliseconds limit) {
    std::string line;
    for (;;) {
        const Bytes b = readFor(fd, 1, limit);
        if (b.empty() || b[0] == '\n') return line;
        line += static_cast<char>(b[0]);
    }
}

// The simulator as a child process with its output on pipes.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2], err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        args.insert(args.begin(), K7700_SIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, K7700_SIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }
    int out() const { return out_; }
    int err() const { return err_; }
    // Stops it with `sig` and returns its wait status.
    int stop(int sig) {
        if (sig) kill(pid_, sig);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

int openRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B19200);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

TEST(SimTool, ServesFramesOnItsPseudoTerminalAtLinePace) {
    SimProcess sim({"--sensor", "1,3:4:31"});
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
    const Bytes r = exchange(type, 6, std::chrono::milliseconds(50));
    const auto took = Clock::now() - start;
    const Frame expected = makeReply(3, 0, 4, 0, 0);
    EXPECT_EQ(r, Bytes(expected.begin(), expected.end()));
    EXPECT_GE(took, std::chrono::microseconds(7'000));  // 12 byte times and the turnaround

    EXPECT_EQ(exchange(makeRequest(1, cmd::FirmwareVersion), 6, std::chrono::milliseconds(50)),
              (Bytes{1, 0, 25, 0, 0, 26}));
    EXPECT_TRUE(
        exchange(makeRequest(9, cmd::SensorType), 6, std::chrono::milliseconds(30)).empty());

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
    EXPECT_EQ(readFor(again, 6, std::chrono::milliseconds(50)),
              Bytes(expected.begin(), expected.end()));
    close(again);

    const int status = sim.stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SimTool, BadOptionsGiveOneLineOnStderrAndStatusTwo) {
    SimProcess sim({"--sensor", "40"});
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
