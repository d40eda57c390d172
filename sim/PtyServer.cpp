#include "sim/PtyServer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

namespace k7::sim {
namespace {

timespec fromUs(std::int64_t us) {
    us = std::max<std::int64_t>(us, 0);
    return {static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000) * 1000};
}

void writeOut(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // full (nobody reads) or gone: the bytes are lost, as on a real line
        }
    }
}

}  // namespace

void servePty(Pty& pty, SimBus& bus, Clock& clock, const volatile std::sig_atomic_t& stop,
              const sigset_t* waitMask) {
    constexpr std::int64_t kHangupBackoffUs = 20'000;
    std::vector<std::uint8_t> due;
    std::uint8_t buffer[512];
    while (!stop) {
        due.clear();
        const std::int64_t now = clock.nowUs();
        while (auto b = bus.take(now)) due.push_back(*b);
        if (!due.empty()) writeOut(pty.masterFd(), due);

        timespec timeout{};
        const timespec* wait = nullptr;
        if (auto next = bus.nextArrivalUs()) {
            timeout = fromUs(*next - clock.nowUs());
            wait = &timeout;
        }
        pollfd p{pty.masterFd(), POLLIN, 0};
        const int r = ppoll(&p, 1, wait, waitMask);
        if (r < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "ppoll");
        }
        if (r == 0) continue;
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0) {
                bus.receive({buffer, static_cast<std::size_t>(n)}, clock.nowUs());
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        }
        // Hang-up or error without data: wait a little instead of spinning on it.
        timespec pause = fromUs(kHangupBackoffUs);
        ppoll(nullptr, 0, &pause, waitMask);
    }
}

}  // namespace k7::sim
