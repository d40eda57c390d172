#pragma once
// The gateway's work on the line: the round-robin poll of the line overview, and what each of
// its steps leads to on the broker. A sensor's state goes out when it changes and at least
// every 10 s (never faster than the poll), its info on first contact and whenever it changes
// (its settings are read again every 10 minutes and after it was silent), the line's health
// every 10 s. Nothing that arrives from the broker reaches the line: the gateway only reads
// the sensors. Toolkit-free, on the link's clock (tests run it on a virtual one).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gateway/Payloads.h"
#include "link/Link.h"
#include "status/ReadingLog.h"
#include "status/RoundRobinPoll.h"

namespace k7 {

// Where the messages go: the broker connection, or a test's record.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void publish(const std::string& topic, const std::string& payload, bool retain) = 0;
    virtual std::uint64_t messagesSkipped() const = 0;
    virtual std::uint64_t brokerOutages() const = 0;
};

struct LineConfig {
    std::string prefix = "k7700";
    std::string line;
    int distanceUnit = kIn;
    bool homeAssistant = false;
    std::int64_t periodUs = RoundRobinPoll::kDefaultPeriodUs;
};

class LinePublisher {
public:
    static constexpr std::int64_t kHeartbeatUs = 10'000'000;
    static constexpr std::int64_t kHealthUs = 10'000'000;
    static constexpr std::int64_t kInfoRefreshUs = 600'000'000;
    // Between two settings reads (half a second of line time each) the poll goes on.
    static constexpr std::int64_t kInfoGapUs = 1'000'000;

    LinePublisher(Link& link, const LineConfig& config, MessageSink& sink);

    void setTags(const std::vector<int>& tags);
    // One poll step, settings read or health message, whichever is due; false when nothing
    // was (wait until nextDueUs()).
    bool step();
    std::int64_t nextDueUs() const;

    const RoundRobinPoll& poll() const { return poll_; }
    const LineTopics& topics() const { return topics_; }
    std::uint64_t readingsPublished() const { return readingsPublished_; }

private:
    struct Published {
        std::uint64_t readings = 0;  // the row's count when its state last went out
        bool silent = false;
        std::string values;  // the state last published, without its time
        std::optional<std::int64_t> stateAtUs;
        bool infoWanted = true;               // as soon as the sensor is identified
        std::optional<std::int64_t> infoDueUs;
        std::string info;
    };

    void afterPoll(std::size_t i, std::int64_t nowUs);
    std::optional<std::size_t> infoDue(std::int64_t nowUs) const;
    void readInfo(std::size_t i);
    void publishHealth();

    Link& link_;
    LineConfig config_;
    MessageSink& sink_;
    RoundRobinPoll poll_;
    ReadingTimes times_;
    LineTopics topics_;
    std::vector<Published> published_;  // by row
    std::int64_t nextHealthUs_;
    std::int64_t nextInfoReadUs_;
    std::uint64_t readingsPublished_ = 0;
};

}  // namespace k7
