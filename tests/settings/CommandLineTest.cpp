#include <gtest/gtest.h>

#include "settings/CommandLine.h"

namespace k7 {
namespace {

TEST(CommandLine, SwitchesWithAndWithoutSlashes) {
    auto f = ProcessCommandLineOptions("/onesensor /AutoResetError");
    EXPECT_TRUE(f.OneSensor);
    EXPECT_TRUE(f.AutoResetError);
    EXPECT_FALSE(f.FactoryAccess);

    f = ProcessCommandLineOptions("onesensor");
    EXPECT_TRUE(f.OneSensor);
    EXPECT_FALSE(f.AutoResetError);

    f = ProcessCommandLineOptions(" 5290318846 / ONESENSOR ");
    EXPECT_TRUE(f.FactoryAccess);
    EXPECT_TRUE(f.OneSensor);
}

TEST(CommandLine, UnknownOrSplitTokensSetNothing) {
    for (const char* text : {"/ONE SENSOR", "", "/", "//", "ONESENSORX", "/AUTO/RESETERROR", "x"}) {
        auto f = ProcessCommandLineOptions(text);
        EXPECT_FALSE(f.OneSensor) << text;
        EXPECT_FALSE(f.AutoResetError) << text;
        EXPECT_FALSE(f.FactoryAccess) << text;
    }
}

}  // namespace
}  // namespace k7
