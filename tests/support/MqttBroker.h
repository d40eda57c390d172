#pragma once
// A Mosquitto broker for one test, on 127.0.0.1 and a free port, with a configuration file the
// test writes; and a subscriber on the same client library that keeps what arrives. The
// broker is the one scripts/setup.sh installs; a test skips when it cannot be found.
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/SimProcess.h"

namespace k7::test {

// The mosquitto program, or empty when it is not installed.
inline std::string mosquittoPath() {
    for (const char* p : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto", "/usr/local/sbin/mosquitto"})
        if (access(p, X_OK) == 0) return p;
    return {};
}

// A port nobody listens on now.
inline int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    close(fd);
    return ntohs(a.sin_port);
}

inline bool accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

class MqttBroker {
public:
    // `config` is the configuration without the plain listener, which the broker adds on port().
    MqttBroker(const std::filesystem::path& dir, std::string config = "allow_anonymous true\n")
        : config_(std::move(config)), file_((dir / "mosquitto.conf").string()) {}

    int port() const { return port_; }
    std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

    // Starts it and waits until it takes connections; false when it did not come up.
    bool start() {
        {
            std::ofstream out(file_);
            out << "listener " << port_ << " 127.0.0.1\n"
                << "persistence false\nlog_dest stderr\n"
                // Kept as the test's user, so it reads the files the test made.
                << (geteuid() == 0 ? "user root\n" : "") << config_;
        }
        process_ = std::make_unique<SimProcess>(mosquittoPath(), std::vector<std::string>{"-c", file_});
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < end) {
            if (accepts(port_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void stop() {
        if (process_) process_->stop(SIGTERM);
        process_.reset();
    }
    ~MqttBroker() { stop(); }

private:
    std::string config_;
    std::string file_;
    int port_ = freePort();
    std::unique_ptr<SimProcess> process_;
};

struct Received {
    std::string topic;
    std::string payload;
    bool retained = false;
    Clock::time_point at;
};

// Subscribes to everything under `filter` and keeps what arrives.
class MqttSubscriber {
public:
    MqttSubscriber(int port, const std::string& filter = "#") : filter_(filter) {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0) {
                mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber*>(self)->filter_.c_str(), 1);
            }
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            auto* s = static_cast<MqttSubscriber*>(self);
            std::lock_guard lock(s->mutex_);
            s->subscribed_ = true;
            s->arrived_.notify_all();
        });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* s = static_cast<MqttSubscriber*>(self);
            std::lock_guard lock(s->mutex_);
            s->messages_.push_back({m->topic,
                                    std::string(static_cast<const char*>(m->payload),
                                                static_cast<std::size_t>(m->payloadlen)),
                                    m->retain, Clock::now()});
            s->arrived_.notify_all();
        });
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_async(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
        waitFor([this] { return subscribed_; }, std::chrono::seconds(5));
    }
    ~MqttSubscriber() {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }

    // Waits until `done` holds (called with the lock held) or the time is up.
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, limit, done);
    }
    // The last message on `topic` that arrived after message number `from`, or null.
    const Received* last(const std::string& topic, std::size_t from = 0) const {
        for (std::size_t i = messages_.size(); i-- > from;)
            if (messages_[i].topic == topic) return &messages_[i];
        return nullptr;
    }
    // Waits for a message on `topic` (after message number `from`) that `match` accepts.
    std::optional<Received> waitForMessage(const std::string& topic,
                                           std::chrono::milliseconds limit,
                                           const std::function<bool(const std::string&)>& match = {},
                                           std::size_t from = 0) {
        std::optional<Received> found;
        waitFor(
            [&] {
                for (std::size_t i = from; i < messages_.size(); ++i)
                    if (messages_[i].topic == topic && (!match || match(messages_[i].payload)))
                        found = messages_[i];
                return found.has_value();
            },
            limit);
        return found;
    }
    std::size_t count() {
        std::lock_guard lock(mutex_);
        return messages_.size();
    }
    std::vector<Received> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    std::string filter_;
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Received> messages_;
    bool subscribed_ = false;
};

}  // namespace k7::test
