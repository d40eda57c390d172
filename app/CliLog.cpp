#include "app/CliLog.h"

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <ctime>
#include <ostream>


namespace k7 {
namespace {

volatile sig_atomic_t g_stopRequested = 0;

void onStopSignal(int) {
    g_stopRequested = 1;
}

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

struct SavedSignals {
    struct sigaction interrupt {};
    struct sigaction terminate {};
    sigset_t mask{};  // the mask before: the one the waits run with
} g_saved;

}  // namespace

SignalStop::SignalStop() {
    g_stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_saved.interrupt);
    sigaction(SIGTERM, &action, &g_saved.terminate);
    const sigset_t stop = stopSignals();
    sigprocmask(SIG_BLOCK, &stop, &g_saved.mask);
    sigdelset(&g_saved.mask, SIGINT);
    sigdelset(&g_saved.mask, SIGTERM);
}

SignalStop::~SignalStop() {
    sigaction(SIGINT, &g_saved.interrupt, nullptr);
    sigaction(SIGTERM, &g_saved.terminate, nullptr);
    const sigset_t stop = stopSignals();
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
}

bool SignalStop::requested() {
    // A signal that came during an exchange is pending: let it in now.
    sigset_t held;
    sigprocmask(SIG_SETMASK, &g_saved.mask, &held);
    sigprocmask(SIG_SETMASK, &held, nullptr);
    return g_stopRequested != 0;
}

void SignalStop::waitUntil(Clock& clock, std::int64_t us) {
    // The signals are let in only inside ppoll, so one cannot slip in between the check and
    // the sleep: it ends the sleep at once.
    while (!g_stopRequested) {
        const std::int64_t left = us - clock.nowUs();
        if (left <= 0) return;
        const timespec ts{static_cast<time_t>(left / 1'000'000),
                          static_cast<long>(left % 1'000'000 * 1000)};
        ppoll(nullptr, 0, &ts, &g_saved.mask);
    }
}

void reportSilence(const SensorRow& r, bool& reported, std::ostream& err) {
    if (r.silent == reported) return;
    reported = r.silent;
    if (r.silent) {
        err << "k7700-cli: sensor " << r.tag << " does not answer (" << RoundRobinPoll::silence(r)
            << "); asking again every 2 s\n";
    } else {
        err << "k7700-cli: sensor " << r.tag << " answers again\n";
    }
}

int runLog(Link& link, const LogCommand& c, LogStop& stop, std::ostream& out, std::ostream& err) {
    Clock& clock = link.clock();
    ReadingLog log;
    if (auto e = log.open(c.file, c.units, clock)) {
        err << "k7700-cli: " << *e << "\n";
        return 1;
    }
    RoundRobinPoll poll(link, DistanceFormats{}, std::int64_t{c.intervalMs} * 1000);
    poll.setTags(c.tags);
    std::vector<std::uint64_t> taken(c.tags.size(), 0);
    std::vector<bool> reported(c.tags.size(), false);
    const std::int64_t end =
        c.seconds ? clock.nowUs() + static_cast<std::int64_t>(*c.seconds * 1e6) : INT64_MAX;

    bool lost = false;
    while (!stop.requested() && clock.nowUs() < end && !link.programEnding) {
        if (link.line().deviceLost()) {
            lost = true;
            err << "k7700-cli: the serial device went away: " << link.line().lossReason() << "\n";
            break;
        }
        const std::optional<std::size_t> i = poll.step();
        if (!i) {
            stop.waitUntil(clock, std::min(poll.nextDueUs(), end));
            continue;
        }
        const SensorRow& r = poll.rows()[*i];
        bool said = reported[*i];
        reportSilence(r, said, err);
        reported[*i] = said;
        if (r.readings == taken[*i]) continue;
        taken[*i] = r.readings;
        if (auto e = log.write(*r.reading, r.formats)) {
            err << "k7700-cli: " << *e << "\n";
            return 1;
        }
    }
    log.close();
    out << log.rows() << " readings written to " << c.file << "\n";
    if (log.rows() == 0) {
        err << "k7700-cli: no sensor gave a reading\n";
        return 1;
    }
    return lost ? 1 : 0;
}

}  // namespace k7
