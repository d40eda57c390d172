#pragma once
// What waits to go to the broker: only the latest message of each topic. A newer message for
// a topic replaces the one still waiting (and is counted as skipped), so a broker that is away
// for a day costs no more memory than one that is away for a second: one message per topic,
// and the topics are a fixed set. The retained messages are kept after they went out, to be
// sent again on every new connection (a restarted broker may have lost them). Toolkit-free;
// not thread-safe (the connection guards it).
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>

namespace k7 {

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
};

class LatestMessages {
public:
    // The latest for its topic, sent after the topics waiting before it.
    void put(MqttMessage m);
    // The next message to send, or nullopt when nothing waits.
    std::optional<MqttMessage> take();
    // Every retained topic's latest message waits again (a new connection).
    void resendRetained();

    std::size_t waiting() const { return order_.size(); }
    std::size_t topics() const { return latest_.size(); }
    // Messages replaced before they could be sent.
    std::uint64_t skipped() const { return skipped_; }

private:
    struct Entry {
        std::string payload;
        bool retain = false;
        bool waiting = false;
    };
    void wait(const std::string& topic, Entry& e);

    std::unordered_map<std::string, Entry> latest_;
    std::deque<std::string> order_;  // topics waiting, each once, oldest first
    std::uint64_t skipped_ = 0;
};

}  // namespace k7
