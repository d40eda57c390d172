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
    const CommandLineFlags f = ProcessCommandLineOptions(p.arguments);
    EXPECT_TRUE(f.OneSensor);
    EXPECT_TRUE(f.AutoResetError);
    EXPECT_FALSE(ProcessCommandLineOptions(std::vector<std::string>{"ONE", "SENSOR"}).OneSensor);
}

TEST(AppOptions, BadOptionsAreRefused) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--port"},
                                               {"--sensors", "0"},
                                               {"--fault", "melt"},
                                               {"--seed", "x"},
                                               {"--simulate", "--port", "/dev/ttyS0"},
                                               {"--frobnicate"}}) {
        AppOptions o;
        EXPECT_TRUE(parseAppOptions(args, o)) << args[0];
    }
}

}  // namespace
}  // namespace k7
