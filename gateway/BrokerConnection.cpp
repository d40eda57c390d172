#include "gateway/BrokerConnection.h"

#include <mosquitto.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <random>

#include "gateway/LatestMessages.h"

namespace k7 {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr int kKeepAliveSeconds = 30;
// Messages handed to the library and not yet acknowledged: what a slow broker can hold back.
constexpr int kMaxInFlight = 100;
constexpr auto kFirstBackOff = seconds(1);
constexpr auto kLongestBackOff = seconds(30);

// MQTT 3.1.1 CONNACK codes, and whether trying again can help.
struct Refused {
    const char* reason;
    bool final;
};
Refused connackReason(int code) {
    switch (code) {
        case 1: return {"it does not speak MQTT 3.1.1", true};
        case 2: return {"it rejected the client id", true};
        case 3: return {"the broker is unavailable", false};
        case 4: return {"bad user name or password", true};
        case 5: return {"not authorised", true};
        default: return {"refused", false};
    }
}

}  // namespace

struct BrokerConnection::Shared {
    PublishSettings settings;
    std::string statusTopic;
    mutable std::mutex mutex;
    std::condition_variable changed;  // finishing asked, thread done
    LatestMessages outbox;
    std::vector<std::string> news;
    std::optional<std::string> refusal;
    std::optional<SteadyClock::time_point> outageSince;
    std::uint64_t outages = 0;
    bool connected = false;
    bool finishing = false;
    SteadyClock::time_point finishBy;
    bool done = false;
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);

    ~Shared() {
        if (wakeFd >= 0) close(wakeFd);
    }
    void wake() const {
        const std::uint64_t one = 1;
        if (write(wakeFd, &one, sizeof one) < 0) {
            // Already woken (the counter is full): nothing more to do.
        }
    }
    void say(const std::string& text) { news.push_back("broker " + settings.broker.url + ": " + text); }
};

namespace {

using Shared = BrokerConnection::Shared;

// One connection, from the connect to its end; a new one is made for every attempt, so
// nothing of a lost connection is sent again behind the gateway's back.
struct Session {
    explicit Session(Shared& shared) : s(shared) {}
    Shared& s;
    mosquitto* mosq = nullptr;
    int connack = -1;
    bool connected = false;
    int inFlight = 0;
    std::optional<int> offlineMid;
    bool offlineTaken = false;
    std::string tlsError;
    int savedErrno = 0;
};

void onConnect(mosquitto* mosq, void* obj, int code) {
    Session& c = *static_cast<Session*>(obj);
    c.connack = code;
    if (code != 0) return;
    c.connected = true;
    if (mosquitto_publish(mosq, nullptr, c.s.statusTopic.c_str(), 6, "online", 1, true) ==
        MOSQ_ERR_SUCCESS)
        ++c.inFlight;
    std::lock_guard lock(c.s.mutex);
    c.s.connected = true;
    c.s.outbox.resendRetained();
    if (c.s.outageSince) {
        const auto away = std::chrono::duration_cast<seconds>(SteadyClock::now() - *c.s.outageSince);
        c.s.say("connected again after " + std::to_string(away.count()) + " s; " +
                std::to_string(c.s.outbox.skipped()) +
                " messages so far were replaced by newer ones before they could go");
        c.s.outageSince.reset();
    }
}

void onPublish(mosquitto*, void* obj, int mid) {
    Session& c = *static_cast<Session*>(obj);
    --c.inFlight;
    if (c.offlineMid == mid) c.offlineTaken = true;
}

void onLog(mosquitto*, void* obj, int level, const char* text) {
    Session& c = *static_cast<Session*>(obj);
    const char* ssl = std::strstr(text, "OpenSSL Error");
    if (level != MOSQ_LOG_ERR || !ssl || !c.tlsError.empty()) return;
    const char* reason = std::strstr(ssl, "]: ");
    c.tlsError = reason ? reason + 3 : ssl;
}

std::string reasonOf(int rc, const Session& c) {
    switch (rc) {
        case MOSQ_ERR_ERRNO: return std::strerror(c.savedErrno);
        case MOSQ_ERR_EAI: return "cannot find the host " + c.s.settings.broker.host;
        case MOSQ_ERR_TLS:
        case MOSQ_ERR_TLS_HANDSHAKE:
            return "TLS failed: " + (c.tlsError.empty() ? mosquitto_strerror(rc) : c.tlsError);
        case MOSQ_ERR_CONN_REFUSED: return std::string("refused: ") + connackReason(c.connack).reason;
        case MOSQ_ERR_KEEPALIVE: return "the broker stopped answering";
        case MOSQ_ERR_NO_CONN:
        case MOSQ_ERR_CONN_LOST: return "the connection was lost";
        default: return mosquitto_strerror(rc);
    }
}

// Why the broker can never be used as configured, or nullopt when trying again may help.
std::optional<std::string> finalRefusal(const Session& c) {
    const BrokerAddress& b = c.s.settings.broker;
    if (c.connack > 0 && connackReason(c.connack).final)
        return "the broker " + b.url + " refused the login: " + connackReason(c.connack).reason;
    if (c.tlsError.find("certificate verify failed") != std::string::npos) {
        const std::string& ca = c.s.settings.caFile;
        return "the broker " + b.url + " cannot be verified: its certificate is not signed by " +
               (ca.empty() ? "a certificate authority this system trusts (name one with --tls-ca)"
                           : "the certificate authority in " + ca) +
               ", or does not name " + b.host + " (" + c.tlsError + "); not connected";
    }
    return std::nullopt;
}

// A client configured for one connection; an error says what could not be set.
std::optional<std::string> configure(Session& c) {
    const PublishSettings& p = c.s.settings;
    mosquitto* m = c.mosq;
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(m, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_max_inflight_messages_set(m, kMaxInFlight);
    mosquitto_connect_callback_set(m, onConnect);
    mosquitto_publish_callback_set(m, onPublish);
    mosquitto_log_callback_set(m, onLog);
    if (mosquitto_will_set(m, c.s.statusTopic.c_str(), 7, "offline", 1, true) != MOSQ_ERR_SUCCESS)
        return "cannot set the last will on " + c.s.statusTopic;
    if (!p.username.empty() &&
        mosquitto_username_pw_set(m, p.username.c_str(),
                                  p.password ? p.password->c_str() : nullptr) != MOSQ_ERR_SUCCESS)
        return "cannot use the user name";
    if (p.broker.tls) {
        const int rc = p.caFile.empty()
                           ? mosquitto_int_option(m, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                           : mosquitto_tls_set(m, p.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) return "cannot use the certificate authority " + p.caFile;
        // The broker's certificate and host name are checked; nothing unverified is spoken to.
        mosquitto_tls_opts_set(m, 1, nullptr, nullptr);
        mosquitto_tls_insecure_set(m, false);
    }
    return std::nullopt;
}

// Serves a connection until it ends; the reason, or empty when finish() ended it.
std::string serve(Session& c) {
    Shared& s = c.s;
    mosquitto* m = c.mosq;
    for (;;) {
        bool finishing = false;
        SteadyClock::time_point by;
        {
            std::lock_guard lock(s.mutex);
            finishing = s.finishing;
            by = s.finishBy;
        }
        while (c.connected && c.inFlight < kMaxInFlight && !c.offlineMid) {
            std::optional<MqttMessage> msg;
            {
                std::lock_guard lock(s.mutex);
                msg = s.outbox.take();
            }
            if (!msg) break;
            const int rc = mosquitto_publish(m, nullptr, msg->topic.c_str(),
                                             static_cast<int>(msg->payload.size()),
                                             msg->payload.data(), 1, msg->retain);
            if (rc != MOSQ_ERR_SUCCESS) return reasonOf(rc, c);
            ++c.inFlight;
        }
        if (finishing) {
            if (!c.connected) return "";
            if (!c.offlineMid) {
                int mid = 0;
                if (mosquitto_publish(m, &mid, s.statusTopic.c_str(), 7, "offline", 1, true) ==
                    MOSQ_ERR_SUCCESS)
                    c.offlineMid = mid;
            }
            if (c.offlineTaken || !c.offlineMid || SteadyClock::now() >= by) {
                mosquitto_disconnect(m);
                mosquitto_loop_write(m, 1);
                return "";
            }
        }
        const int fd = mosquitto_socket(m);
        if (fd < 0) return "the connection was closed";
        pollfd fds[2] = {
            {fd, static_cast<short>(POLLIN | (mosquitto_want_write(m) ? POLLOUT : 0)), 0},
            {s.wakeFd, POLLIN, 0}};
        int timeoutMs = 1000;
        if (finishing) {
            const auto left = std::chrono::duration_cast<milliseconds>(by - SteadyClock::now());
            timeoutMs = static_cast<int>(std::clamp<long long>(left.count(), 1, 1000));
        }
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) return std::strerror(errno);
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            if (read(s.wakeFd, &count, sizeof count) < 0) count = 0;
        }
        int rc = MOSQ_ERR_SUCCESS;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(m, 1);
        if (rc == MOSQ_ERR_SUCCESS && (fds[0].revents & POLLOUT)) rc = mosquitto_loop_write(m, 1);
        if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_misc(m);
        if (rc != MOSQ_ERR_SUCCESS) {
            c.savedErrno = errno;
            return reasonOf(rc, c);
        }
    }
}

void run(std::shared_ptr<Shared> shared) {
    Shared& s = *shared;
    // Signals are the main thread's; a write to a closed socket must not end the program.
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&blocked, sig);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    std::minstd_rand jitter(static_cast<unsigned>(SteadyClock::now().time_since_epoch().count()));
    auto backOff = kFirstBackOff;
    for (;;) {
        {
            std::lock_guard lock(s.mutex);
            if (s.finishing) break;
        }
        Session c(s);
        c.mosq = mosquitto_new(s.settings.clientId.c_str(), true, &c);
        std::string why;
        std::optional<std::string> refusal;
        if (!c.mosq) {
            why = "cannot make an MQTT client";
        } else if (auto e = configure(c)) {
            refusal = "broker " + s.settings.broker.url + ": " + *e;
        } else {
            const int rc = mosquitto_connect(c.mosq, s.settings.broker.host.c_str(),
                                             s.settings.broker.port, kKeepAliveSeconds);
            c.savedErrno = errno;
            why = rc == MOSQ_ERR_SUCCESS ? serve(c) : reasonOf(rc, c);
            if (!refusal) refusal = finalRefusal(c);
        }
        if (c.mosq) mosquitto_destroy(c.mosq);
        std::unique_lock lock(s.mutex);
        s.connected = false;
        if (refusal) {
            s.refusal = refusal;
            break;
        }
        if (s.finishing) break;
        if (c.connected) backOff = kFirstBackOff;
        if (!s.outageSince) {
            s.outageSince = SteadyClock::now();
            ++s.outages;
            s.say(why + "; the poll goes on, and the gateway connects again when it can");
        }
        // Gateways that lost the same broker do not all come back in the same instant.
        const auto wait = backOff + milliseconds(jitter() % 1000);
        s.changed.wait_for(lock, wait, [&s] { return s.finishing; });
        backOff = std::min(backOff * 2, kLongestBackOff);
    }
    std::lock_guard lock(s.mutex);
    s.done = true;
    s.changed.notify_all();
}

}  // namespace

BrokerConnection::BrokerConnection(const PublishSettings& settings, const std::string& statusTopic)
    : shared_(std::make_shared<Shared>()) {
    static std::once_flag init;
    std::call_once(init, [] { mosquitto_lib_init(); });
    shared_->settings = settings;
    shared_->statusTopic = statusTopic;
    thread_ = std::thread(run, shared_);
}

BrokerConnection::~BrokerConnection() {
    finish(milliseconds(500));
}

void BrokerConnection::publish(const std::string& topic, const std::string& payload, bool retain) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->outbox.put({topic, payload, retain});
    }
    shared_->wake();
}

std::uint64_t BrokerConnection::messagesSkipped() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->outbox.skipped();
}

std::uint64_t BrokerConnection::brokerOutages() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->outages;
}

std::vector<std::string> BrokerConnection::takeNews() {
    std::lock_guard lock(shared_->mutex);
    return std::exchange(shared_->news, {});
}

std::optional<std::string> BrokerConnection::refusal() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->refusal;
}

bool BrokerConnection::connected() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->connected;
}

void BrokerConnection::finish(milliseconds limit) {
    if (!thread_.joinable()) return;
    std::unique_lock lock(shared_->mutex);
    shared_->finishing = true;
    shared_->finishBy = SteadyClock::now() + limit;
    shared_->changed.notify_all();
    shared_->wake();
    const bool done = shared_->changed.wait_for(lock, limit + milliseconds(500),
                                                [this] { return shared_->done; });
    lock.unlock();
    if (done) {
        thread_.join();
    } else {
        thread_.detach();  // stuck in a connect: it ends with the program
    }
}

}  // namespace k7
