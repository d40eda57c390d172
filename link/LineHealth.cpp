#include "link/LineHealth.h"

#include "link/CommHistory.h"

namespace k7 {

const std::vector<std::string>& lineHealthHeader() {
    static const std::vector<std::string> header{"ID tag",    "Exchanges",    "Bad replies",
                                                 "Time-outs", "Re-sends",     "Write retries",
                                                 "Failures",  "Last answered"};
    return header;
}

std::vector<std::string> lineHealthRow(int tag, const TagHealth& h) {
    return {std::to_string(tag),
            std::to_string(h.exchanges),
            std::to_string(h.badReplies),
            std::to_string(h.timeouts),
            std::to_string(h.resends),
            std::to_string(h.verifyRetries),
            std::to_string(h.failures),
            h.lastAnswered ? isoTimeOfDay(*h.lastAnswered) : std::string("never")};
}

std::vector<int> tagsSeen(const LineStats& stats) {
    std::vector<int> tags;
    for (int t = 1; t <= 32; ++t)
        if (stats.tags[static_cast<std::size_t>(t)].exchanges > 0) tags.push_back(t);
    return tags;
}

}  // namespace k7
