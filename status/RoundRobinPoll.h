#pragma once
// Status reads of several sensors on one line, one exchange at a time, each sensor in turn:
// the line overview's rows and the command-line data log. Each step is one exchange (or, for a
// sensor not yet known, the few reads that say what it is); a sensor that stops answering is
// kept, marked silent and asked again now and then, so it never slows the others much.
// Toolkit-free; requests go to each sensor's tag without touching the ID field.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/Link.h"
#include "settings/Units.h"
#include "status/Reading.h"

namespace k7 {

struct SensorRow {
    int tag = 0;
    // What the sensor is, read once.
    bool identified = false;
    int type = -1;
    int firmware = -1;
    std::uint32_t serial = 0;
    bool slow = false;
    CurrentLoop loop;
    DistanceFormats formats;
    // The last status it gave, and when.
    std::optional<StatusReading> reading;
    std::optional<double> lastSeen;  // time of day of the last answer
    bool silent = false;             // several exchanges in a row went unanswered
    int missedExchanges = 0;         // exchanges in a row without an answer
    int missedRequests = 0;          // request copies in a row without an answer
    std::uint64_t readings = 0;      // status replies taken
    std::int64_t dueUs = 0;          // when it is asked next, on the link's clock
};

class RoundRobinPoll {
public:
    // The status poll's pace: no sensor is asked oftener than this.
    static constexpr std::int64_t kDefaultPeriodUs = 220'000;
    // A sensor is asked with the status poll's own rule (ten attempts), and called silent
    // only after this many such exchanges in a row went unanswered: a lossy line is no reason.
    static constexpr int kAttempts = 10;
    static constexpr int kMissesBeforeSilent = 2;
    // A silent sensor is asked again this often (two attempts), not at every turn.
    static constexpr std::int64_t kSilentRetryUs = 2'000'000;
    static constexpr int kSilentAttempts = 2;

    // What made a row silent, in words: "no reply to 20 requests in a row".
    static std::string silence(const SensorRow& r);

    // `formats` are the program's distance formats; each row adapts them to its model.
    RoundRobinPoll(Link& link, const DistanceFormats& formats,
                   std::int64_t periodUs = kDefaultPeriodUs);

    // Rows for these tags, in order; rows already known keep what they know.
    void setTags(const std::vector<int>& tags);
    const std::vector<SensorRow>& rows() const { return rows_; }
    const SensorRow* row(int tag) const;
    // The sensor is identified again at its next turn: its current loop was reprogrammed, or
    // another sensor took its place.
    void reidentify(int tag);

    // When the next step has something to do, on the link's clock.
    std::int64_t nextDueUs() const;
    // One step: the most overdue sensor is identified or asked for its status. The index of
    // the row that changed, or nullopt when nothing was due or the line is held elsewhere
    // (the step is then simply tried again later).
    std::optional<std::size_t> step();

    // Tags 1..32 probed quietly, events let through after each; the tags that answered.
    // Rows are set to those tags and to the silent ones known before (which stay, greyed).
    std::vector<int> search();

private:
    bool identify(SensorRow& r);
    void readStatus(SensorRow& r);
    // Counts an unanswered exchange; the row turns silent after kMissesBeforeSilent of them.
    void missed(SensorRow& r, std::int64_t nowUs);

    Link& link_;
    DistanceFormats formats_;
    std::int64_t periodUs_;
    std::vector<SensorRow> rows_;
};

}  // namespace k7
