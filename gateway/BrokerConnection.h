#pragma once
// The gateway's connection to the MQTT broker, on libmosquitto (the Mosquitto project's own
// client library). A thread of its own connects, keeps the connection alive, sends what waits
// and reconnects with back-off, so nothing the broker does (a restart, a dead network) ever
// holds up the poll: publish() only hands a message over. What waits is bounded
// (LatestMessages: the latest message of each topic), and every new connection first says
// `online` on the line's status topic, whose last will is `offline`, then sends the retained
// messages again. Nothing is subscribed: nothing from the broker reaches the gateway.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gateway/LinePublisher.h"
#include "gateway/PublishSettings.h"

namespace k7 {

class BrokerConnection final : public MessageSink {
public:
    // Starts connecting at once. `statusTopic` carries `online` and the last will `offline`.
    BrokerConnection(const PublishSettings& settings, const std::string& statusTopic);
    // finish() with a short limit when it was not called.
    ~BrokerConnection() override;
    BrokerConnection(const BrokerConnection&) = delete;
    BrokerConnection& operator=(const BrokerConnection&) = delete;

    void publish(const std::string& topic, const std::string& payload, bool retain) override;
    std::uint64_t messagesSkipped() const override;
    std::uint64_t brokerOutages() const override;

    // What happened to the connection since the last call, in words for standard error: an
    // outage (said once, with its cause) and the connection made again.
    std::vector<std::string> takeNews();
    // Set when the broker cannot be used at all (a refused login, a certificate that cannot
    // be verified): the reason, naming the broker. The connection has given up.
    std::optional<std::string> refusal() const;
    bool connected() const;

    // Sends what waits, says `offline`, and disconnects, within `limit`; then the connection
    // is closed for good.
    void finish(std::chrono::milliseconds limit);

    struct Shared;

private:
    // The thread owns a share of the state: one stuck in a connect to a dead host can be left
    // behind when the program ends.
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace k7
