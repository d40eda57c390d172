// The gateway against a real Mosquitto broker on 127.0.0.1: what a subscriber receives is what
// the simulated sensors measure; the last will, a broker that goes away and comes back, a
// refused login and TLS, each as a technician would meet them.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/CliPublish.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedLine.h"
#include "status/ReadingLog.h"
#include "support/FakeLinkUi.h"
#include "support/MqttBroker.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

using namespace std::chrono_literals;
using test::MqttBroker;
using test::MqttSubscriber;

QJsonObject json(const std::string& payload) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

#define REQUIRE_MOSQUITTO()                                                             \
    do {                                                                                \
        if (test::mosquittoPath().empty()) {                                            \
            GTEST_SKIP() << "mosquitto is not installed (scripts/setup.sh installs it): " \
                            "the broker tests need it";                                 \
        }                                                                               \
    } while (false)

// Stops between two waits of the gateway's loop when the test says so.
class TestStop final : public LogStop {
public:
    std::atomic<bool> stop{false};
    bool requested() override { return stop; }
    void waitUntil(Clock& clock, std::int64_t us) override {
        while (!stop && clock.nowUs() < us) clock.sleepUntil(std::min(us, clock.nowUs() + 20'000));
    }
};

// A gateway on a thread, with simulated sensors in real time.
class GatewayThread {
public:
    explicit GatewayThread(const std::string& sensors, const std::string& faults = "") {
        sim::SimSetup setup;
        EXPECT_FALSE(sim::addSensors(sensors, setup));
        if (!faults.empty()) {
            EXPECT_FALSE(sim::addFaults(faults, setup));
        }
        sim::buildBus(setup, bus);
        line.open("SIM", kLineSettings);
    }
    ~GatewayThread() { finish(); }
    sim::SimSensor& sensor(std::size_t i) { return bus.sensor(i); }
    void start(const PublishCommand& c) {
        thread_ = std::thread([this, c] { status_ = runPublish(link, c, stop_, out_, err_); });
    }
    int finish() {
        stop_.stop = true;
        if (thread_.joinable()) thread_.join();
        return status_;
    }

private:
    SystemClock clock;
    sim::SimBus bus;
    sim::SimulatedLine line{bus, clock};
    test::FakeLinkUi ui;
    Link link{line, clock, ui};
    TestStop stop_;
    std::ostringstream out_, err_;
    std::thread thread_;
    int status_ = -1;
};

PublishCommand command(const MqttBroker& broker, const std::string& line, std::vector<int> tags,
                       int unit) {
    PublishCommand c;
    EXPECT_FALSE(parseBrokerUrl(broker.url(), c.settings.broker));
    c.settings.line = line;
    c.settings.clientId = "test-" + line;
    c.tags = std::move(tags);
    c.distanceUnit = unit;
    return c;
}

TEST(GatewayBrokerTest, ThreeSensorsArriveWithTheirValuesInTwoUnitsAndASilentOneKeepsItsReading) {
    REQUIRE_MOSQUITTO();
    test::TempDir dir;
    MqttBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    MqttSubscriber sub(broker.port());
    struct Unit {
        int code;
        double d1, d2, d3, d4;  // 20, 30, 40 and 10 inches
    };
    // Feet take two places for the 95 kHz family (sensor 3), three for the others.
    for (const Unit u : {Unit{kCm, 50.8, 76.2, 101.6, 25.4}, Unit{kFt, 1.667, 2.5, 3.33, 0.833}}) {
        GatewayThread gw("1:0,2:4,3:1,4", "4/silent-after=20");
        const double inches[] = {20, 30, 40, 10};
        for (std::size_t i = 0; i < 4; ++i) {
            gw.sensor(i).setTargetInches(inches[i]);
            gw.sensor(i).setTemperatureC(20);
        }
        const std::string line = std::string("line-") + kUnitName[static_cast<std::size_t>(u.code)];
        gw.start(command(broker, line, {1, 2, 3, 4}, u.code));
        const std::string base = "k7700/" + line + "/";
        const double want[] = {u.d1, u.d2, u.d3};
        for (int tag = 1; tag <= 3; ++tag) {
            const auto info = sub.waitForMessage(base + std::to_string(tag) + "/info", 15s);
            ASSERT_TRUE(info) << tag;
            const QJsonObject i = json(info->payload);
            EXPECT_EQ(i["serial"].toString().toStdString(), std::to_string(100000 + tag));
            const int types[] = {0, 4, 1};
            EXPECT_EQ(i["type"].toInt(), types[tag - 1]);
            EXPECT_EQ(i["distance_unit"].toString(), kUnitName[static_cast<std::size_t>(u.code)]);
            EXPECT_GE(i["settings"].toObject().size(), 3) << info->payload;

            const auto state = sub.waitForMessage(base + std::to_string(tag) + "/state", 5s);
            ASSERT_TRUE(state) << tag;
            const QJsonObject s = json(state->payload);
            EXPECT_TRUE(s["answering"].toBool()) << state->payload;
            EXPECT_DOUBLE_EQ(s["distance"].toDouble(), want[tag - 1]) << state->payload;
            EXPECT_EQ(s["distance_stored"].toInt(), static_cast<int>(inches[tag - 1] * 128));
            EXPECT_EQ(s["temperature_C"].toDouble(), 20);
        }
        const auto silent = sub.waitForMessage(base + "4/state", 15s, [](const std::string& p) {
            return !json(p)["answering"].toBool();
        });
        ASSERT_TRUE(silent);
        const QJsonObject s = json(silent->payload);
        EXPECT_EQ(s["silence"].toString().left(12), "no reply to ");
        EXPECT_DOUBLE_EQ(s["distance"].toDouble(), u.d4);  // the last reading, kept
        EXPECT_EQ(gw.finish(), 0);
        EXPECT_TRUE(sub.waitForMessage(base + "status", 5s,
                                       [](const std::string& p) { return p == "offline"; }));
    }
}

std::string readAll(int fd) {
    const auto bytes = test::readFor(fd, 1 << 16, 200ms);
    return std::string(bytes.begin(), bytes.end());
}

long rssKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

std::vector<std::string> publishArgs(const std::string& url, const std::string& sensors,
                                     std::vector<std::string> more = {}) {
    std::vector<std::string> a{"publish", "--simulate", "--sensors", sensors, "--id", sensors,
                               "--broker", url, "--line", "gw"};
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

TEST(GatewayBrokerTest, StopSaysOfflineAndAKilledGatewayLeavesItsLastWill) {
    REQUIRE_MOSQUITTO();
    test::TempDir dir;
    MqttBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    MqttSubscriber sub(broker.port());
    auto online = [](const std::string& p) { return p == "online"; };
    auto offline = [](const std::string& p) { return p == "offline"; };
    for (int sig : {SIGTERM, SIGKILL}) {
        const std::size_t from = sub.count();
        test::SimProcess gw(K7700_CLI_PATH, publishArgs(broker.url(), "1"));
        ASSERT_TRUE(sub.waitForMessage("k7700/gw/status", 10s, online, from));
        ASSERT_TRUE(sub.waitForMessage("k7700/gw/1/state", 10s, {}, from));
        const int status = gw.stop(sig);
        if (sig == SIGTERM) {
            ASSERT_TRUE(WIFEXITED(status)) << "killed by SIGTERM instead of stopping";
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        const auto last = sub.waitForMessage("k7700/gw/status", 5s, offline, from);
        ASSERT_TRUE(last) << sig;
        EXPECT_FALSE(last->retained);  // live: the subscriber was there
    }
    // A subscriber that comes later finds the gateway offline (retained).
    MqttSubscriber late(broker.port());
    const auto kept = late.waitForMessage("k7700/gw/status", 5s);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->payload, "offline");
    EXPECT_TRUE(kept->retained);
}

TEST(GatewayBrokerTest, BrokerAwayFor10sTheGatewayPollsOnAndComesBackWithTheLatestState) {
    REQUIRE_MOSQUITTO();
    test::TempDir dir;
    MqttBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    test::SimProcess gw(K7700_CLI_PATH, publishArgs(broker.url(), "1,2,3"));
    {
        MqttSubscriber sub(broker.port());
        for (int tag = 1; tag <= 3; ++tag)
            ASSERT_TRUE(sub.waitForMessage("k7700/gw/" + std::to_string(tag) + "/state", 10s));
    }
    std::this_thread::sleep_for(2s);
    [[maybe_unused]] const long before = rssKiB(gw.pid());
    broker.stop();
    std::this_thread::sleep_for(10s);
    ASSERT_EQ(gw.waitExit(0ms), -1) << "the gateway ended with the broker away";
    [[maybe_unused]] const long during = rssKiB(gw.pid());
    const std::string back = isoLocalTime(std::chrono::system_clock::now());
    ASSERT_TRUE(broker.start());
    MqttSubscriber sub(broker.port());
    // The broker lost everything (no persistence): the gateway sends it all again.
    ASSERT_TRUE(sub.waitForMessage("k7700/gw/status", 40s,
                                   [](const std::string& p) { return p == "online"; }));
    for (int tag = 1; tag <= 3; ++tag) {
        const auto s = sub.waitForMessage("k7700/gw/" + std::to_string(tag) + "/state", 5s);
        ASSERT_TRUE(s) << tag;
        EXPECT_GT(json(s->payload)["time"].toString().toStdString(), back) << "not the latest";
        EXPECT_TRUE(sub.waitForMessage("k7700/gw/" + std::to_string(tag) + "/info", 5s)) << tag;
    }
    [[maybe_unused]] const long after = rssKiB(gw.pid());
#ifndef __SANITIZE_ADDRESS__  // its quarantine keeps freed memory resident for a while
    EXPECT_LT(during - before, 1024) << before << " KiB before, " << during << " KiB during";
    EXPECT_LT(after - before, 1024) << before << " KiB before, " << after << " KiB after";
#endif

    const int status = gw.stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string err = readAll(gw.err());
    // One outage, said once, and the way back with what was skipped meanwhile.
    std::size_t said = 0;
    for (std::size_t at = 0; (at = err.find("the poll goes on", at)) != std::string::npos; ++at)
        ++said;
    EXPECT_EQ(said, 1u) << err;
    EXPECT_NE(err.find("broker " + broker.url() + ": connected again after "), std::string::npos)
        << err;
    EXPECT_NE(err.find("replaced by newer ones"), std::string::npos) << err;
}

TEST(GatewayBrokerTest, AWrongPasswordIsRefusedNamingTheBrokerAndTheRightOneIsTaken) {
    REQUIRE_MOSQUITTO();
    test::TempDir dir;
    const std::string passwords = dir.file("passwd");
    ASSERT_EQ(std::system(("mosquitto_passwd -b -c " + passwords + " gw right-one").c_str()), 0);
    MqttBroker broker(dir.path(), "allow_anonymous false\npassword_file " + passwords + "\n");
    ASSERT_TRUE(broker.start());
    const std::string wrong = dir.file("wrong"), right = dir.file("right");
    std::ofstream(wrong) << "wrong-one\n";
    std::ofstream(right) << "right-one\n";

    test::SimProcess refused(K7700_CLI_PATH, publishArgs(broker.url(), "1",
                                                         {"--username", "gw", "--password-file", wrong}));
    const int status = refused.waitExit(15s);
    ASSERT_NE(status, -1) << "still running after a refused login";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string err = readAll(refused.err());
    EXPECT_NE(err.find("the broker " + broker.url() + " refused the login: "), std::string::npos)
        << err;

    // The password nowhere on the command line: from the file, as the service has it.
    test::SimProcess taken(K7700_CLI_PATH, publishArgs(broker.url(), "1",
                                                       {"--username", "gw", "--password-file", right}));
    EXPECT_EQ(taken.waitExit(3s), -1) << readAll(taken.err());
    EXPECT_EQ(readAll(taken.err()).find("refused"), std::string::npos);
}

// A certificate authority, and a broker certificate it signed for localhost.
bool makeCertificates(const test::TempDir& dir) {
    const std::string d = dir.path().string();
    std::ofstream(d + "/san.cnf") << "subjectAltName=DNS:localhost,IP:127.0.0.1\n";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    const std::string script =
        "(cd " + d + " && openssl req -x509" + ec + "-keyout ca.key -out ca.pem -days 2 " +
        "-subj /CN=k7700-test-ca && openssl req" + ec + "-keyout server.key -out server.csr " +
        "-subj /CN=localhost && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key " +
        "-CAcreateserial -out server.pem -days 2 -extfile san.cnf)";
    return std::system((script + " > /dev/null 2>&1").c_str()) == 0;
}

TEST(GatewayBrokerTest, TlsWithTheGivenAuthorityIsTakenAndAnUnknownCertificateRefused) {
    REQUIRE_MOSQUITTO();
    test::TempDir dir;
    if (!makeCertificates(dir)) GTEST_SKIP() << "openssl could not make the test certificates";
    const int tlsPort = test::freePort();
    const std::string d = dir.path().string();
    MqttBroker broker(dir.path(), "allow_anonymous true\nlistener " + std::to_string(tlsPort) +
                                      " 127.0.0.1\ncafile " + d + "/ca.pem\ncertfile " + d +
                                      "/server.pem\nkeyfile " + d + "/server.key\n");
    ASSERT_TRUE(broker.start());
    MqttSubscriber sub(broker.port());
    const std::string url = "mqtts://localhost:" + std::to_string(tlsPort);

    test::SimProcess verified(K7700_CLI_PATH, publishArgs(url, "1", {"--tls-ca", d + "/ca.pem"}));
    ASSERT_TRUE(sub.waitForMessage("k7700/gw/1/state", 15s)) << readAll(verified.err());
    verified.stop(SIGTERM);

    // Without the authority the broker's certificate is unknown: nothing is sent to it.
    const std::size_t from = sub.count();
    test::SimProcess unknown(K7700_CLI_PATH, publishArgs(url, "1"));
    const int status = unknown.waitExit(15s);
    ASSERT_NE(status, -1) << "still running against a broker it cannot verify";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string err = readAll(unknown.err());
    EXPECT_NE(err.find("the broker " + url + " cannot be verified: "), std::string::npos) << err;
    EXPECT_EQ(sub.count(), from);
}

}  // namespace
}  // namespace k7
