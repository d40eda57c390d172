#pragma once
// How long the window stops answering while something runs: a timer due at every pass of the
// event loop notes the link's clock at each tick (the line's own time: virtual in the tests, so
// a wait that lets no events run shows as the whole wait), and the longest gap between two
// ticks, or from the start to the first and from the last to the end, is the stall.
// K7_STALLS=1 prints each figure.
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

#include "link/Clock.h"

namespace k7::test {

class StallDetector {
public:
    explicit StallDetector(Clock& clock) : clock_(clock) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    // Runs at every tick too: a look at the windows while the action runs.
    std::function<void()> onTick;

    // The longest stall, in milliseconds, while `action` ran.
    std::int64_t worstMs(const std::string& what, const std::function<void()>& action) {
        worstUs_ = 0;
        lastUs_ = clock_.nowUs();
        timer_.start();
        action();
        timer_.stop();
        tick();
        if (std::getenv("K7_STALLS"))
            std::cout << "stall " << what << ": " << worstUs_ / 1000 << " ms\n";
        return worstUs_ / 1000;
    }

private:
    void tick() {
        const std::int64_t now = clock_.nowUs();
        worstUs_ = std::max(worstUs_, now - lastUs_);
        lastUs_ = now;
        if (onTick && timer_.isActive()) onTick();
    }

    Clock& clock_;
    QTimer timer_;
    std::int64_t worstUs_ = 0;
    std::int64_t lastUs_ = 0;
};

// The window never stops answering for longer than this.
inline constexpr std::int64_t kLongestStallMs = 100;

}  // namespace k7::test
