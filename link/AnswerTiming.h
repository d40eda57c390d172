#pragma once
// When each ID tag answers, and which request copies it may still answer.
//
// A reply does not say which request it answers, so the link tells by time. Every copy of a
// request that goes out is kept here until it is answered or can no longer be: a sensor may
// answer each copy on its own, or take one request at a time, so that a copy queued behind
// another is answered a full answer time after the one before it. An answer is matched with
// the earliest copy it can belong to; the copies after it stay open until their answers have
// come or cannot come any more, and the next request to that tag waits for that (answers to
// copies of one request are all answers to that request; an answer to an earlier request must
// never be taken for a later one).
//
// Each tag's answer time is learned from answers that can belong to one copy only. Until it is
// known well, the link assumes the slowest sensor it serves (kLatestAnswerUs); once known, the
// latest a tag may answer is taken from its slowest answer and the spread of its answers. A
// copy is re-sent only when the one before can no longer be answered, so a slow tag is not
// sent copies it would answer anyway, and a fast tag keeps the documented window and costs
// nothing more than before. A tag never heard from keeps the documented window (the search
// asks 32 tags, most of them absent). Toolkit-free.
#include <array>
#include <cstdint>
#include <deque>

namespace k7 {

class AnswerTiming {
public:
    // The documented attempt window, kept for every tag that answers within it.
    static constexpr std::int64_t kWindowUs = 75'000;
    // The latest any sensor the link serves answers a request (300 ms, plus its reply, an
    // adapter's latency timer and jitter).
    static constexpr std::int64_t kLatestAnswerUs = 400'000;
    // No answer is complete sooner than its six bytes take on the line.
    static constexpr std::int64_t kSoonestAnswerUs = 3'000;
    // Answers that can belong to one copy only, before a tag's timing is trusted.
    static constexpr int kSamplesToTrust = 6;

    // A copy of a request went out to `tag`.
    void sent(int tag, std::int64_t atUs);

    enum class Match {
        Answer,    // an answer to one of the tag's open copies
        Leftover,  // no open copy of the tag can have given it: an answer to an earlier request
    };
    // A good reply carrying `tag` was complete at atUs.
    Match answered(int tag, std::int64_t atUs);
    // A stream (not a frame) answered the tag's oldest open copy.
    void streamAnswered(int tag);

    // Whether `tag` has answered at least once. A tag never heard from is taken to be absent:
    // nothing waits for its copies (a late answer from it is still known for what it is).
    bool heard(int tag) const { return this->tag(tag).heard; }
    // Whether an answer from `tag` may still come for a copy sent earlier.
    bool expecting(int tag, std::int64_t nowUs) const { return settledAtUs(tag, nowUs) > nowUs; }
    // When every open copy of `tag` will have been answered or lost; nowUs when none is open.
    std::int64_t settledAtUs(int tag, std::int64_t nowUs) const;

    // The same for every tag that has answered at least once (a tag never heard from is
    // taken to be absent).
    std::int64_t settledAtUs(std::int64_t nowUs) const;

    // How long an attempt waits for an answer from `tag`.
    std::int64_t windowUs(int tag) const;

    // What is known of one tag, for tests and the line's health.
    struct Learned {
        int samples = 0;
        bool trusted = false;
        std::int64_t fastestUs = 0;
        std::int64_t slowestUs = 0;
    };
    Learned learned(int tag) const;

private:
    struct Copy {
        std::int64_t sentUs;
        std::int64_t dueUs;  // its answer comes no later than this
    };
    struct Tag {
        std::deque<Copy> open;
        bool heard = false;
        int samples = 0;  // answers that could belong to one copy only
        int trustFrom = kSamplesToTrust;  // the timing is trusted once samples reach this
        std::int64_t fastestUs = INT64_MAX;
        std::int64_t slowestUs = 0;
    };

    Tag& tag(int t) { return tags_[static_cast<std::size_t>(t) & 0xFF]; }
    const Tag& tag(int t) const { return tags_[static_cast<std::size_t>(t) & 0xFF]; }
    static bool trusted(const Tag& t) { return t.samples >= t.trustFrom; }
    // The latest an open copy of this tag is answered after it was sent (or after the answer
    // before it, for a sensor that takes one request at a time).
    static std::int64_t boundUs(const Tag& t);
    // The latest answer to expect from a tag whose timing is trusted.
    static std::int64_t latestExpectedUs(const Tag& t);
    static void reschedule(Tag& t, std::int64_t fromUs);

    std::array<Tag, 256> tags_{};
};

}  // namespace k7
