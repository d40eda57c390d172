#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/Discovery.h"
#include "support/LinkFixture.h"

namespace k7 {
namespace {

class DiscoveryTest : public test::LinkFixture {
protected:
    DiscoveryState d;
    void SetUp() override {
        LinkFixture::SetUp();
        d.port = {3, ""};
    }
};

TEST_F(DiscoveryTest, ListsEveryTagFoundAndSelectsTheFirst) {
    addSensor(2);
    addSensor(30);
    EXPECT_EQ(searchForSensors(link, d), SearchResult::Found);
    EXPECT_EQ(ui.listed, (std::vector<int>{2, 30}));
    EXPECT_EQ(d.sensorCount, 2);
    EXPECT_EQ(d.currentIdTag, 2);
    EXPECT_EQ(ui.tag, "2");
    EXPECT_FALSE(link.quickFail);
    EXPECT_FALSE(ui.progressShown);
    EXPECT_EQ(ui.progressCaptions.front(), "Searching for Sensors on Comm 3");
    // Every tag is probed at its ID cell; silent tags cost two attempts of 75 ms.
    EXPECT_EQ(frames(cmd::ReadEeprom), 30 * 2 + 2);
    EXPECT_EQ(ui.progressValues.back(), 100);
}

TEST_F(DiscoveryTest, OneSensorStopsAtTheFirstFound) {
    addSensor(3);
    addSensor(9);
    d.oneSensor = true;
    EXPECT_EQ(searchForSensors(link, d), SearchResult::Found);
    EXPECT_EQ(ui.listed, (std::vector<int>{3}));
    EXPECT_EQ(bus.countReceived(cmd::ReadEeprom, 9), 0);
    EXPECT_EQ(bus.countReceived(cmd::ReadEeprom, 4), 0);
}

TEST_F(DiscoveryTest, AcousticCapabilityIsAskedUntilOneSensorQualifies) {
    addSensor(2, 0, 24);
    addSensor(5, 0, 25);
    addSensor(7, 0, 30);
    searchForSensors(link, d);
    EXPECT_TRUE(d.acousticCapable);
    EXPECT_EQ(bus.countReceived(cmd::FirmwareVersion, 2), 1);
    EXPECT_EQ(bus.countReceived(cmd::FirmwareVersion, 5), 1);
    EXPECT_EQ(bus.countReceived(cmd::FirmwareVersion, 7), 0);

    test::FakeLinkUi ui2;
    Link link2(line, clock, ui2);
    DiscoveryState d2;
    bus.sensor(1).setSilent(true);
    bus.sensor(2).setSilent(true);
    searchForSensors(link2, d2);
    EXPECT_FALSE(d2.acousticCapable);  // only the version-24 sensor is left
}

TEST_F(DiscoveryTest, EmptyLineIsSearchedAgainUntilASensorAnswers) {
    sim::SimSensor& s = addSensor(12);
    s.setSilent(true);
    ui.onProcessEvents = [&] {
        if (ui.listClears == 3) s.setSilent(false);
    };
    const auto start = clock.nowUs();
    EXPECT_EQ(searchForSensors(link, d), SearchResult::Found);
    EXPECT_EQ(ui.listClears, 3);
    EXPECT_EQ(ui.listed, (std::vector<int>{12}));
    // After the first empty pass the progress window says what to check, at every pass.
    ASSERT_EQ(ui.progressNotes.size(), 2u);
    EXPECT_EQ(ui.progressNotes[0], noSensorAnsweredMessage(d.port));
    EXPECT_NE(ui.progressNotes[0].find("No sensor answered on Comm 3"), std::string::npos);
    EXPECT_NE(ui.progressNotes[0].find("powered"), std::string::npos);
    // An empty pass is 32 tags of two 75 ms attempts.
    EXPECT_GE(clock.nowUs() - start, 2 * 32 * 150'000);
}

TEST_F(DiscoveryTest, NewPortButtonLeavesTheSearch) {
    ui.onProcessEvents = [&] {
        if (ui.processEventsCalls == 20) ui.requestNewPort = true;
    };
    EXPECT_EQ(searchForSensors(link, d), SearchResult::NewPortRequested);
    EXPECT_FALSE(ui.progressShown);
    EXPECT_FALSE(link.quickFail);
}

TEST_F(DiscoveryTest, UnavailablePortAsksAgainWithItsNumber) {
    addSensor(1);
    d.port = {7, ""};
    line.setUnavailable({deviceForPortNumber(7)});
    ui.portAnswers = {{true, PortChoice{2, ""}}};
    EXPECT_TRUE(connectToSensors(link, d));
    ASSERT_EQ(ui.portMessages.size(), 1u);
    EXPECT_EQ(ui.portMessages[0],
              "Communications port 7 is unavailable. Select a Comm port below. "
              "If Comm 7 is selected, it will be re-tried.\n\n"
              "No such file or directory: /dev/ttyS6");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(line.device(), deviceForPortNumber(2));
    EXPECT_EQ(d.currentIdTag, 1);
}

TEST_F(DiscoveryTest, NoPortChosenAsksFirstAndExitEnds) {
    d.port = {};
    EXPECT_FALSE(connectToSensors(link, d));
    ASSERT_EQ(ui.portMessages.size(), 1u);
    EXPECT_EQ(ui.portMessages[0], "Select a Communications port (serial port) below:");
    EXPECT_EQ(ui.exitCalls, 1);
    EXPECT_TRUE(link.programEnding);
}

TEST_F(DiscoveryTest, NewPortFromTheProgressWindowSearchesThatPort) {
    // Nothing answers on the first port; the user picks another one from the progress
    // window, where the sensor is.
    addSensor(4);
    bus.sensor(0).setSilent(true);
    ui.portAnswers = {{true, PortChoice{0, "/dev/ttyUSB0"}}};
    bool switched = false;
    ui.onProcessEvents = [&] {
        if (!switched && ui.processEventsCalls == 10) {
            ui.requestNewPort = true;
            switched = true;
        } else if (switched && ui.requestNewPort && !ui.portMessages.empty()) {
            ui.requestNewPort = false;  // the new search's window starts afresh
            bus.sensor(0).setSilent(false);
        }
    };
    EXPECT_TRUE(connectToSensors(link, d));
    EXPECT_EQ(ui.portMessages.size(), 1u);
    EXPECT_EQ(line.device(), "/dev/ttyUSB0");
    EXPECT_EQ(d.port.displayName(), "/dev/ttyUSB0");
    EXPECT_EQ(ui.listed, (std::vector<int>{4}));
}

TEST(PortNames, NumbersAndDevices) {
    EXPECT_EQ(deviceForPortNumber(1), "/dev/ttyS0");
    EXPECT_EQ((PortChoice{3, ""}).displayName(), "Comm 3");
    EXPECT_EQ((PortChoice{0, "/dev/pts/4"}).numberText(), "/dev/pts/4");
    EXPECT_FALSE((PortChoice{}).chosen());
    EXPECT_EQ(portUnavailableMessage(PortChoice{12, ""}),
              "Communications port 12 is unavailable. Select a Comm port below. "
              "If Comm 12 is selected, it will be re-tried.");
}

}  // namespace
}  // namespace k7
