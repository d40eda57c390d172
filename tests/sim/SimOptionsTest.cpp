// Sensor lists, fault lists and the tool's command line: what is taken, what is refused and
// with which message.
#include <gtest/gtest.h>

#include "sim/SimOptions.h"

namespace k7::sim {
namespace {

TEST(SimOptions, SensorListsTakeTagTypeAndFirmware) {
    SimSetup setup;
    EXPECT_EQ(addSensors("2:0:24,30:1", setup), std::nullopt);
    EXPECT_EQ(addSensors("3:4", setup), std::nullopt);
    EXPECT_EQ(addSensors("7", setup), std::nullopt);
    EXPECT_EQ(addSensors("8:9", setup), std::nullopt);  // an unknown type is allowed
    ASSERT_EQ(setup.sensors.size(), 5u);
    EXPECT_EQ(setup.sensors[0].tag, 2);
    EXPECT_EQ(setup.sensors[0].firmware, 24);
    EXPECT_EQ(setup.sensors[1].type, 1);
    EXPECT_EQ(setup.sensors[1].firmware, 25);
    EXPECT_EQ(setup.sensors[2].type, 4);
    EXPECT_EQ(setup.sensors[3].type, 0);
    EXPECT_EQ(setup.sensors[4].type, 9);
}

TEST(SimOptions, BadSensorListsAreRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "expected TAG"},    {"0", "tag must be"},        {"33", "tag must be"},
        {"x", "tag must be"},    {"1:256", "type must be"},   {"1:-1", "type must be"},
        {"1:0:300", "firmware"}, {"1:2:3:4", "expected TAG"}, {"1,,2", "expected TAG"},
        {"4,4", "given twice"},  {"1.5", "tag must be"},      {"1 ", "tag must be"},
    };
    for (auto [text, reason] : cases) {
        SimSetup setup;
        const auto error = addSensors(text, setup);
        ASSERT_TRUE(error.has_value()) << text;
        EXPECT_NE(error->find(reason), std::string::npos) << text << ": " << *error;
    }
    SimSetup partly;
    EXPECT_TRUE(addSensors("5,6,x", partly).has_value());
    EXPECT_TRUE(partly.sensors.empty());  // nothing taken from a list with an error
}

TEST(SimOptions, FaultRulesFillTheConfiguration) {
    SimSetup setup;
    EXPECT_EQ(addFaults("drop=0.2,checksum=0.1,badtag=1,short=0,noise=0.05", setup), std::nullopt);
    EXPECT_EQ(addFaults("refuse=90,refuse=91,fail-writes=79:3", setup), std::nullopt);
    EXPECT_EQ(addFaults("lost-first,silent-after=100,status-fault=0x18", setup), std::nullopt);
    const FaultConfig f = faultsFor(setup, 1);
    EXPECT_DOUBLE_EQ(f.dropReply, 0.2);
    EXPECT_DOUBLE_EQ(f.badChecksum, 0.1);
    EXPECT_DOUBLE_EQ(f.badTag, 1);
    EXPECT_DOUBLE_EQ(f.lineNoise, 0.05);
    EXPECT_EQ(f.refuseWriteCells, (std::set<int>{90, 91}));
    EXPECT_EQ(f.failWritesBeforeAccept.at(79), 3);
    EXPECT_TRUE(f.firstAttemptLost);
    EXPECT_EQ(f.silentAfterFrames, 100);
    EXPECT_EQ(f.statusFaultBits, 0x18);
    FaultConfig decimal;
    EXPECT_EQ(applyFault("status-fault=24", decimal), std::nullopt);
    EXPECT_EQ(decimal.statusFaultBits, 24);
}

TEST(SimOptions, TaggedFaultsApplyToTheirSensorInOrder) {
    SimSetup setup;
    EXPECT_EQ(addFaults("drop=0.1,3/drop=0,5/lost-first", setup), std::nullopt);
    EXPECT_DOUBLE_EQ(faultsFor(setup, 1).dropReply, 0.1);
    EXPECT_DOUBLE_EQ(faultsFor(setup, 3).dropReply, 0);
    EXPECT_FALSE(faultsFor(setup, 3).firstAttemptLost);
    EXPECT_TRUE(faultsFor(setup, 5).firstAttemptLost);
}

TEST(SimOptions, BadFaultRulesAreRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"drop=2", "from 0 to 1"},
        {"drop=-0.1", "from 0 to 1"},
        {"drop=", "from 0 to 1"},
        {"drop", "needs a value"},
        {"drop=abc", "from 0 to 1"},
        {"refuse=128", "0 to 127"},
        {"fail-writes=90", "CELL:COUNT"},
        {"fail-writes=90:x", "CELL:COUNT"},
        {"silent-after=-1", "0 or more"},
        {"status-fault=0x100", "0..255"},
        {"status-fault=0xZZ", "0..255"},
        {"lost-first=1", "takes no value"},
        {"explode=1", "unknown fault"},
        {"0/drop=0.1", "tag before /"},
        {"3/", "empty fault"},
        {"", "empty fault"},
        {"drop=0.1,bogus", "unknown fault"},
    };
    for (auto [text, reason] : cases) {
        SimSetup setup;
        const auto error = addFaults(text, setup);
        ASSERT_TRUE(error.has_value()) << text;
        EXPECT_NE(error->find(reason), std::string::npos) << text << ": " << *error;
        EXPECT_TRUE(setup.faults.empty());
    }
}

TEST(SimOptions, ToolArgumentsInBothFormsAndTheirErrors) {
    ToolArguments a;
    EXPECT_EQ(parseToolArguments({"--sensor", "1", "--sensors=3:4", "--fault", "3/drop=0.5",
                                  "--seed=42", "--turnaround-us", "2500"},
                                 a),
              std::nullopt);
    EXPECT_EQ(a.setup.sensors.size(), 2u);
    EXPECT_EQ(a.setup.seed, 42u);
    EXPECT_EQ(a.setup.turnaroundUs, 2500);
    EXPECT_FALSE(a.help);

    ToolArguments help;
    EXPECT_EQ(parseToolArguments({"--help"}, help), std::nullopt);
    EXPECT_TRUE(help.help);
    EXPECT_NE(toolUsage().find("--sensor"), std::string::npos);

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--sensor"}, "needs a value"},
        {{"--bogus"}, "unknown option"},
        {{"stray"}, "unexpected argument \"stray\""},
        {{"--port", "/dev/ttyS0"}, kPortWithSimulate},
        {{"--link"}, "--link needs a value"},
        {{"--seed", "-1"}, "seed"},
        {{"--seed", "4294967296"}, "seed"},
        {{"--turnaround-us", "fast"}, "turnaround"},
        {{"--fault", "4/drop=1"}, "no sensor with tag 4"},
        {{"--sensor", "2", "--fault", "1/drop=1"}, "no sensor with tag 1"},
    };
    for (const auto& [args, reason] : bad) {
        ToolArguments out;
        const auto error = parseToolArguments(args, out);
        ASSERT_TRUE(error.has_value()) << args[0];
        EXPECT_NE(error->find(reason), std::string::npos) << *error;
    }
}

TEST(SimOptions, BuiltBusHasTheSensorsFaultsAndTurnaround) {
    ToolArguments a;
    ASSERT_EQ(
        parseToolArguments(
            {"--sensor", "2:1,9:4:30", "--fault", "9/status-fault=2", "--turnaround-us", "0"}, a),
        std::nullopt);
    SimBus bus;
    buildBus(a.setup, bus);
    ASSERT_EQ(bus.sensorCount(), 2u);
    EXPECT_EQ(bus.sensor(0).activeTag(), 2);
    EXPECT_EQ(bus.sensor(1).type(), 4);
    EXPECT_EQ(bus.sensor(1).config().firmware, 30);
    EXPECT_EQ(bus.sensor(0).faultBits(), 0);
    EXPECT_EQ(bus.sensor(1).faultBits(), 2);
    EXPECT_EQ(bus.turnaroundUs(), 0);

    SimBus lone;
    buildBus(SimSetup{}, lone);
    ASSERT_EQ(lone.sensorCount(), 1u);
    EXPECT_EQ(lone.sensor(0).activeTag(), 1);
    EXPECT_EQ(lone.sensor(0).type(), 0);
}

TEST(SimOptions, SceneItemsShapeEachSensorsRecord) {
    ToolArguments a;
    ASSERT_EQ(parseToolArguments({"--sensors", "1,2", "--scene",
                                  "amplitude=90,noise=0,2/target=30,2/false-echo=12:70",
                                  "--scene=2/multiple,1/target=none,ringdown=4"},
                                 a),
              std::nullopt);
    SimBus bus;
    buildBus(a.setup, bus);
    const SensorConfig& one = bus.sensor(0).config();
    const SensorConfig& two = bus.sensor(1).config();
    EXPECT_TRUE(one.noTarget);
    EXPECT_EQ(one.echo.amplitude, 90.0);
    EXPECT_EQ(one.echo.noise, 0.0);
    EXPECT_EQ(one.echo.multiple, 0.0);
    EXPECT_EQ(two.targetInches, 30.0);
    EXPECT_EQ(two.echo.falseEchoInches, 12.0);
    EXPECT_EQ(two.echo.falseEchoHeight, 70.0);
    EXPECT_EQ(two.echo.multiple, 0.5);
    EXPECT_EQ(two.echo.ringdownInches, 4.0);
    EXPECT_FALSE(bus.sensor(0).measure(0).echo == Reading::Echo::Target);  // nothing reflects

    const std::pair<const char*, const char*> bad[] = {
        {"target=far", "target=INCHES"},
        {"amplitude=300", "amplitude=COUNTS"},
        {"false-echo=1:2:3", "false-echo=INCHES"},
        {"multiple=2", "RATIO 0..1"},
        {"noise", "noise=COUNTS"},
        {"loud=1", "unknown item"},
        {"40/noise=1", "1 to 32"},
        {"", "empty scene"},
    };
    for (auto [text, reason] : bad) {
        SimSetup setup;
        const auto error = addScene(text, setup);
        ASSERT_TRUE(error.has_value()) << text;
        EXPECT_NE(error->find(reason), std::string::npos) << text << ": " << *error;
        EXPECT_TRUE(setup.scene.empty());
    }
    ToolArguments out;
    const auto error = parseToolArguments({"--scene", "4/noise=1"}, out);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("no sensor with tag 4"), std::string::npos) << *error;
}

}  // namespace
}  // namespace k7::sim
