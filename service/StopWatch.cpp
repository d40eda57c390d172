#include "service/StopWatch.h"

namespace k7 {

std::int64_t StopWatch::ElapsedTime() const {
    return startUs_ ? (clock_.nowUs() - *startUs_) / 1000 : 0;
}

std::int64_t StopWatch::StopTimer() {
    const std::int64_t elapsed = ElapsedTime();
    startUs_.reset();
    return elapsed;
}

}  // namespace k7
