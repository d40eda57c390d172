#include "service/StopWatch.h"

namespace k7 {

std::int64_t StopWatch::elapsedMs() const {
    return startUs_ ? (clock_.nowUs() - *startUs_) / 1000 : 0;
}

std::int64_t StopWatch::stop() {
    const std::int64_t elapsed = elapsedMs();
    startUs_.reset();
    return elapsed;
}

}  // namespace k7
