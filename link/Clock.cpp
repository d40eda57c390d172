#include "link/Clock.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace k7 {

std::int64_t SystemClock::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

double SystemClock::secondsSinceMidnight() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    double frac =
        static_cast<double>(duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000) /
        1e6;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + frac;
}

void SystemClock::sleepUntil(std::int64_t us) {
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(microseconds(us)));
}

double VirtualClock::secondsSinceMidnight() {
    return std::fmod(startOfDay_ + static_cast<double>(now_) / 1e6, 86400.0);
}

}  // namespace k7
