#include <gtest/gtest.h>

#include "app/AppOptions.h"
#include "settings/CommandLine.h"

namespace k7 {
namespace {

TEST(AppOptions, OwnOptionsAreTakenOutTheRestIsTheCommandLine) {
    AppOptions o;
    EXPECT_FALSE(parseAppOptions({"--simulate", "/onesensor", "--sensors=1:4,9", "/AutoResetError",
                                  "--fault", "drop=0.1", "--seed", "5"},
                                 o));
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"/onesensor", "/AutoResetError"}));
    EXPECT_EQ(o.sim.sensors.size(), 2u);
    EXPECT_EQ(o.sim.faults.size(), 1u);
    EXPECT_EQ(o.sim.seed, 5u);

    AppOptions p;
    EXPECT_FALSE(parseAppOptions({"--port", "/dev/ttyUSB0", "ONESENSOR", "AUTORESETERROR"}, p));
    EXPECT_EQ(p.port, "/dev/ttyUSB0");
    // Each word is a switch of its own, as the usage text shows them.
    const CommandLineFlags f = processCommandLineOptions(p.arguments);
    EXPECT_TRUE(f.oneSensor);
    EXPECT_TRUE(f.autoResetError);
    EXPECT_FALSE(processCommandLineOptions(std::vector<std::string>{"ONE", "SENSOR"}).oneSensor);
}

TEST(AppOptions, WhatDoesNotApplyIsRefusedByName) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--port"}, "--port needs a value"},
        {{"--port="}, "--port needs a device"},
        {{"--sensors", "0"}, "\"0\""},
        {{"--simulate", "--fault", "melt"}, "melt"},
        {{"--simulate", "--seed", "x"}, "seed"},
        {{"--simulate", "--port", "/dev/ttyS0"}, "--port and --simulate exclude each other"},
        {{"--port", "/dev/ttyS0", "--sensors", "1:4"}, "--sensors"},
        {{"--fault=drop=1"}, "--fault"},
        {{"--simulate=1"}, "--simulate takes no value"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"ONESENSOR", "/onesensr"}, "/onesensr"},
        {{"/ONE/SENSOR"}, "/ONE/SENSOR"},
    };
    for (const auto& [args, named] : cases) {
        AppOptions o;
        const auto error = parseAppOptions(args, o);
        ASSERT_TRUE(error) << args[0];
        EXPECT_NE(error->find(named), std::string::npos) << *error;
    }
    AppOptions o;
    EXPECT_FALSE(
        parseAppOptions({"--port=/dev/ttyUSB1", "/onesensor/AutoResetError", "--help"}, o));
    EXPECT_EQ(o.port, "/dev/ttyUSB1");
    EXPECT_TRUE(o.help);
    AppOptions v;
    EXPECT_FALSE(parseAppOptions({"--version", "--simulate", "--sensor", "3"}, v));
    EXPECT_TRUE(v.version);
    EXPECT_EQ(v.sim.sensors.size(), 1u);
}

}  // namespace
}  // namespace k7
