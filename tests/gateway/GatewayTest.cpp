// The gateway without a broker: its options refuse bad input before anything is sent, what
// waits for the broker is bounded, and the line's messages go out when they should with the
// simulated sensors' values (on the virtual clock).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fstream>

#include "gateway/LatestMessages.h"
#include "gateway/LinePublisher.h"
#include "gateway/PublishSettings.h"
#include "link/Commands.h"
#include "settings/EepromMap.h"
#include "support/LinkFixture.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

QJsonObject json(const std::string& payload) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

TEST(PublishSettingsTest, BadInputIsRefusedWithWhatIsWrong) {
    test::TempDir dir;
    const std::string password = dir.file("password");
    std::ofstream(password) << "s3cret\n";
    const std::string empty = dir.file("empty");
    std::ofstream(empty) << "\n";
    const std::map<std::string, std::string> good{{"--broker", "mqtt://plant.example:1884"}};
    struct Case {
        std::map<std::string, std::string> extra;
        std::string error;
    };
    const Case cases[] = {
        {{{"--broker", "tcp://plant"}}, "--broker must be mqtt://HOST[:PORT] or mqtts://"},
        {{{"--broker", "mqtt://"}}, "no host"},
        {{{"--broker", "mqtt://plant:0"}}, "the port must be a number from 1 to 65535"},
        {{{"--broker", "mqtt://plant:99999"}}, "the port must be"},
        {{{"--broker", "mqtt://plant/x"}}, "is no host name"},
        {{{"--broker", "mqtt://user:pw@plant"}}, "not in the URL"},
        {{{"--topic-prefix", "plant/+"}}, "must not hold \"+\", \"#\" or a NUL"},
        {{{"--topic-prefix", "plant/#"}}, "must not hold"},
        {{{"--topic-prefix", std::string("pl\0nt", 5)}}, "must not hold"},
        {{{"--topic-prefix", "/plant"}}, "empty level"},
        {{{"--topic-prefix", "$SYS"}}, "must not start with \"$\""},
        {{{"--line", "hall/3"}}, "--line must be one topic level"},
        {{{"--line", ""}}, "--line must not be empty"},
        {{{"--line", "\xff\xfe"}}, "UTF-8"},
        {{{"--password-file", password}}, "--password-file needs --username"},
        {{{"--username", "gw"}, {"--password-file", dir.file("none")}},
         "cannot read " + dir.file("none")},
        {{{"--username", "gw"}, {"--password-file", empty}}, "holds no password"},
        {{{"--username", "gw"}, {"--password-file", dir.path().string()}}, "not a regular file"},
        {{{"--tls-ca", password}}, "--tls-ca verifies a broker spoken to over TLS"},
        {{{"--broker", "mqtts://plant"}, {"--tls-ca", dir.file("none")}}, "--tls-ca: cannot read"},
        {{{"--discovery", "openhab"}}, "--discovery must be homeassistant"},
    };
    for (const Case& c : cases) {
        auto given = good;
        for (const auto& [k, v] : c.extra) given[k] = v;
        PublishSettings s;
        const auto e = readPublishSettings(given, "ttyUSB0", nullptr, s);
        ASSERT_TRUE(e) << c.error;
        EXPECT_NE(e->find(c.error), std::string::npos) << *e;
    }

    PublishSettings s;
    ASSERT_FALSE(readPublishSettings(good, "ttyUSB0", "from-env", s));
    EXPECT_EQ(s.broker.url, "mqtt://plant.example:1884");
    EXPECT_EQ(s.base(), "k7700/ttyUSB0");
    EXPECT_FALSE(s.password);  // no user name: the variable is not used
    PublishSettings tls;
    ASSERT_FALSE(readPublishSettings({{"--broker", "mqtts://[::1]"}, {"--username", "gw"},
                                      {"--password-file", password}, {"--line", "silo 4"},
                                      {"--topic-prefix", "site/hall2"}},
                                     "ttyUSB0", "from-env", tls));
    EXPECT_TRUE(tls.broker.tls);
    EXPECT_EQ(tls.broker.url, "mqtts://[::1]:8883");
    EXPECT_EQ(tls.password, "s3cret");  // the file wins over the variable
    EXPECT_EQ(tls.base(), "site/hall2/silo 4");
    PublishSettings env;
    ASSERT_FALSE(readPublishSettings({{"--broker", "mqtt://h"}, {"--username", "gw"}}, "l",
                                     "from-env", env));
    EXPECT_EQ(env.password, "from-env");
}

TEST(LatestMessagesTest, ALongOutageKeepsOneMessageATopicAndCountsTheRest) {
    LatestMessages box;
    for (int i = 0; i < 100'000; ++i)
        box.put({"line/" + std::to_string(i % 10) + "/state", std::to_string(i), i % 10 != 9});
    EXPECT_EQ(box.waiting(), 10u);
    EXPECT_EQ(box.skipped(), 100'000u - 10);
    const auto first = box.take();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->topic, "line/0/state");  // oldest topic first, its latest message
    EXPECT_EQ(first->payload, "99990");
    while (box.take()) {
    }
    // A new connection gets every retained topic again, not the one that was not retained.
    box.resendRetained();
    EXPECT_EQ(box.waiting(), 9u);
    EXPECT_EQ(box.topics(), 9u);
}

class RecordingSink final : public MessageSink {
public:
    std::vector<MqttMessage> messages;
    void publish(const std::string& topic, const std::string& payload, bool retain) override {
        messages.push_back({topic, payload, retain});
    }
    std::uint64_t messagesSkipped() const override { return 7; }
    std::uint64_t brokerOutages() const override { return 1; }

    std::vector<QJsonObject> on(const std::string& topic) const {
        std::vector<QJsonObject> found;
        for (const MqttMessage& m : messages)
            if (m.topic == topic) found.push_back(json(m.payload));
        return found;
    }
};

class LinePublisherTest : public test::LinkFixture {
protected:
    RecordingSink sink;

    void run(LinePublisher& p, double seconds) {
        const std::int64_t end = clock.nowUs() + static_cast<std::int64_t>(seconds * 1e6);
        while (clock.nowUs() < end)
            if (!p.step()) clock.sleepUntil(std::min(p.nextDueUs(), end));
    }
};

TEST_F(LinePublisherTest, StateOnChangeAndEvery10sInfoOnceHealthEvery10s) {
    sim::SimSensor& steady = addSensor(1);
    steady.setTargetInches(20);
    steady.setTemperatureC(21.5);
    addSensor(2, 4);
    LinePublisher p(link, {"plant", "hall1", kCm, true}, sink);
    p.setTags({1, 2});
    run(p, 25);

    // Sensor 1 reads the same all the time: its state goes out at first and as a heartbeat.
    const auto states = sink.on("plant/hall1/1/state");
    ASSERT_EQ(states.size(), 3u);
    const QJsonObject s = states.front();
    EXPECT_EQ(s["tag"].toInt(), 1);
    EXPECT_TRUE(s["answering"].toBool());
    EXPECT_EQ(s["distance"].toDouble(), 50.8);
    EXPECT_EQ(s["distance_unit"].toString(), "cm");
    EXPECT_EQ(s["distance_stored"].toInt(), 2560);
    EXPECT_EQ(s["temperature_C"].toDouble(), 21.5);
    EXPECT_TRUE(s["current_mA"].isDouble());
    EXPECT_TRUE(s["faults"].toArray().isEmpty());
    EXPECT_EQ(s["time"].toString().size(), std::string("2024-05-01T14:03:07.123+02:00").size());
    // The moving target of sensor 2 is published at every reading.
    EXPECT_GT(sink.on("plant/hall1/2/state").size(), 50u);

    const auto infos = sink.on("plant/hall1/2/info");
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0]["serial"].toString(), "100002");
    EXPECT_EQ(infos[0]["type"].toInt(), 4);
    EXPECT_EQ(infos[0]["firmware"].toInt(), 25);
    EXPECT_FALSE(infos[0]["settings"].toObject().isEmpty());

    const auto health = sink.on("plant/hall1/health");
    ASSERT_EQ(health.size(), 2u);
    const QJsonArray tags = health[1]["tags"].toArray();
    ASSERT_EQ(tags.size(), 2);
    EXPECT_GT(tags[0].toObject()["exchanges"].toInt(), 80);
    EXPECT_EQ(health[1]["gateway"].toObject()["messages_skipped"].toInt(), 7);

    // Home Assistant: six entities a sensor, retained, on the sensor's state topic.
    int configs = 0;
    for (const MqttMessage& m : sink.messages) {
        if (m.topic.rfind("homeassistant/", 0) != 0) continue;
        ++configs;
        EXPECT_TRUE(m.retain);
        const QJsonObject c = json(m.payload);
        EXPECT_TRUE(c["state_topic"].toString().startsWith("plant/hall1/")) << m.payload;
        EXPECT_FALSE(c["unique_id"].toString().isEmpty());
    }
    EXPECT_EQ(configs, 12);
    const auto distance = sink.on("homeassistant/sensor/k7700_hall1_1/distance/config");
    ASSERT_EQ(distance.size(), 1u);
    EXPECT_EQ(distance[0]["unit_of_measurement"].toString(), "cm");
}

TEST_F(LinePublisherTest, ALineReadBackToBackStillGetsItsInfoAndHealth) {
    addSensor(1);
    addSensor(2);
    LinePublisher p(link, {"k7700", "full", kIn, false, 0}, sink);  // a sensor always due
    p.setTags({1, 2});
    run(p, 12);
    EXPECT_EQ(sink.on("k7700/full/1/info").size(), 1u);
    EXPECT_EQ(sink.on("k7700/full/2/info").size(), 1u);
    EXPECT_EQ(sink.on("k7700/full/health").size(), 1u);
    EXPECT_GT(sink.on("k7700/full/2/state").size(), 100u);
}

TEST_F(LinePublisherTest, SilentSensorKeepsItsLastReadingAndChangedSettingsAreRepublished) {
    addSensor(1).setTargetInches(20);
    LinePublisher p(link, {"k7700", "l", kIn, false}, sink);
    p.setTags({1});
    run(p, 5);
    ASSERT_EQ(sink.on("k7700/l/1/info").size(), 1u);
    EXPECT_EQ(sink.on("k7700/l/1/info")[0]["description"].toString(), "");

    bus.sensor(0).setSilent(true);
    run(p, 14);
    const auto states = sink.on("k7700/l/1/state");
    const QJsonObject last = states.back();
    EXPECT_FALSE(last["answering"].toBool());
    EXPECT_EQ(last["silence"].toString().toStdString(), RoundRobinPoll::silence(*p.poll().row(1)));
    EXPECT_EQ(last["distance"].toDouble(), 20);  // its last reading, kept
    // Silent: said at once, then only the heartbeat.
    std::size_t silentStates = 0;
    for (const QJsonObject& s : states) silentStates += !s["answering"].toBool();
    EXPECT_EQ(silentStates, 2u);

    // Back, with a new description: read again at once.
    for (int i = 0; i < 4; ++i) bus.sensor(0).setCell(addr::Description + i, "Tank"[i]);
    bus.sensor(0).setSilent(false);
    run(p, 5);
    EXPECT_TRUE(sink.on("k7700/l/1/state").back()["answering"].toBool());
    const auto infos = sink.on("k7700/l/1/info");
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[1]["description"].toString(), "Tank");
    // Nothing came from the broker's side: the sensor was only read.
    EXPECT_EQ(bus.countReceived(cmd::WriteEeprom), 0);
}

}  // namespace
}  // namespace k7
