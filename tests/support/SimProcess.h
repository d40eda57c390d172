#pragma once
// Starting a program (the simulator tool) as a child process with its output on pipes, and
// reading a pseudo-terminal with a time limit. Used by the end-to-end tests and the benchmarks.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

extern char** environ;

namespace k7::test {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// Reads from `fd` until `want` bytes or the time limit; returns what came.
inline Bytes readFor(int fd, std::size_t want, std::chrono::milliseconds limit) {
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

inline std::string readLine(int fd, std::chrono::milliseconds limit) {
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
    SimProcess(const std::string& program, std::vector<std::string> args) {
        int out[2], err[2];
        if (pipe(out) != 0 || pipe(err) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
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
    pid_t pid() const { return pid_; }
    // Waits up to `limit` for it to end by itself: its wait status, or -1 while it runs on.
    int waitExit(std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        do {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            usleep(20'000);
        } while (Clock::now() < end);
        return -1;
    }
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

inline int openRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B19200);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

}  // namespace k7::test
