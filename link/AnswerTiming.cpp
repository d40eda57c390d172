#include "link/AnswerTiming.h"

#include <algorithm>

namespace k7 {
namespace {

constexpr std::int64_t kMarginUs = 30'000;

// A queue of copies is never followed further than this many answer times after a copy.
constexpr std::int64_t kLongestQueue = 4;
// Copies older than this cannot be answered by any sensor the link serves.
constexpr std::int64_t kForgetAfterUs = kLongestQueue * AnswerTiming::kLatestAnswerUs;
// More open copies than this are only seen from a tool that sends frames back to back.
constexpr std::size_t kMostOpenCopies = 256;

}  // namespace

std::int64_t AnswerTiming::latestExpectedUs(const Tag& t) {
    // Half as late again as the slowest answer seen, or six times the spread of the answers
    // beyond it, and a margin: room for jitter the samples have not shown yet.
    const std::int64_t spread = t.slowestUs - t.fastestUs;
    return std::max(t.slowestUs + t.slowestUs / 2, t.slowestUs + 6 * spread) + kMarginUs;
}

std::int64_t AnswerTiming::boundUs(const Tag& t) {
    return trusted(t) ? std::min(kLatestAnswerUs, latestExpectedUs(t)) : kLatestAnswerUs;
}

void AnswerTiming::reschedule(Tag& t, std::int64_t fromUs) {
    const std::int64_t bound = boundUs(t);
    std::int64_t previous = fromUs;
    for (Copy& c : t.open) {
        // A sensor that takes one request at a time starts on this copy once it has answered
        // the one before; one that answers each copy on its own is no later than that.
        c.dueUs = std::min(std::max(c.sentUs, previous) + bound, c.sentUs + kLongestQueue * bound);
        previous = c.dueUs;
    }
}

void AnswerTiming::sent(int tagNumber, std::int64_t atUs) {
    Tag& t = tag(tagNumber);
    while (!t.open.empty() &&
           (atUs - t.open.front().sentUs > kForgetAfterUs || t.open.size() >= kMostOpenCopies)) {
        t.open.pop_front();
    }
    const std::int64_t bound = boundUs(t);
    const std::int64_t previous = t.open.empty() ? atUs : std::max(atUs, t.open.back().dueUs);
    t.open.push_back({atUs, std::min(previous + bound, atUs + kLongestQueue * bound)});
}

AnswerTiming::Match AnswerTiming::answered(int tagNumber, std::int64_t atUs) {
    Tag& t = tag(tagNumber);
    // Sooner than the tag has ever answered (by half) is not an answer to that copy.
    const std::int64_t soonest =
        std::max(kSoonestAnswerUs, trusted(t) ? t.fastestUs / 2 : std::int64_t{0});
    auto canAnswer = [&](const Copy& c) { return c.dueUs >= atUs && atUs - c.sentUs >= soonest; };
    const auto match = std::find_if(t.open.begin(), t.open.end(), canAnswer);
    if (match == t.open.end()) {
        // Something came that the tag's timing says cannot: stop trusting what was learned until
        // it is learned again, so that its open copies are waited for as for the slowest sensor.
        t.trustFrom = t.samples + kSamplesToTrust;
        return Match::Leftover;
    }
    t.heard = true;
    const std::int64_t latency = atUs - match->sentUs;
    if (std::count_if(t.open.begin(), t.open.end(), canAnswer) == 1) {
        t.fastestUs = std::min(t.fastestUs, latency);
        t.slowestUs = std::max(t.slowestUs, latency);
        ++t.samples;
    }
    // Copies before the one answered were lost; those after it are still to be answered.
    t.open.erase(t.open.begin(), match + 1);
    reschedule(t, atUs);
    return Match::Answer;
}

void AnswerTiming::streamAnswered(int tagNumber) {
    Tag& t = tag(tagNumber);
    if (!t.open.empty()) t.open.pop_front();
}

std::int64_t AnswerTiming::settledAtUs(int tagNumber, std::int64_t nowUs) const {
    std::int64_t settled = nowUs;
    for (const Copy& c : tag(tagNumber).open) settled = std::max(settled, c.dueUs);
    return settled;
}

std::int64_t AnswerTiming::settledAtUs(std::int64_t nowUs) const {
    std::int64_t settled = nowUs;
    for (int t = 0; t < static_cast<int>(tags_.size()); ++t) {
        if (tag(t).heard) settled = std::max(settled, settledAtUs(t, nowUs));
    }
    return settled;
}

std::int64_t AnswerTiming::windowUs(int tagNumber) const {
    const Tag& t = tag(tagNumber);
    if (!t.heard) return kWindowUs;
    return std::max(kWindowUs, boundUs(t));
}

AnswerTiming::Learned AnswerTiming::learned(int tagNumber) const {
    const Tag& t = tag(tagNumber);
    return {t.samples, trusted(t), t.samples ? t.fastestUs : 0, t.slowestUs};
}

}  // namespace k7
